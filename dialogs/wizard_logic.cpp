#include "dialogs/wizard_logic.h"

#include <algorithm>
#include <cstdio>

#include "link/frame.h"
#include "model/tables.h"
#include "ui/messages.h"

namespace dialogs {
namespace {

constexpr const char* kHighNames[18] = {
    "Front Left Full",     "Front Right Full",    "Front Left Tweeter", "Front Right Tweeter",
    "Front Left Midrange", "Front Right Midrange", "Front Left Woofer",  "Front Right Woofer",
    "Rear Left Full",      "Rear Right Full",     "Rear Left Tweeter",  "Rear Right Tweeter",
    "Rear Left Woofer",    "Rear Right Woofer",   "Center Full",        "Center Tweeter",
    "Center Woofer",       "Subwoofer"};
constexpr const char* kLowNames[6] = {"Front Left", "Front Right", "Rear Left",
                                      "Rear Right", "Center",      "Subwoofer"};
constexpr const char* kOutputNames[6] = {"Front Left", "Front Right", "Rear Left",
                                         "Rear Right", "Center",      "Subwoofer"};

constexpr int kFirstLowIndex = 18;
constexpr int kHighIndexes = 18, kLowIndexes = 6;

// The 15 speakers a car may have, as (position, kind).
constexpr int kDefaultSpeakers[15][2] = {{0, 1}, {0, 2}, {0, 3}, {2, 1}, {2, 2},
                                         {2, 3}, {5, 1}, {5, 3}, {3, 1}, {3, 3},
                                         {1, 1}, {1, 3}, {4, 6}, {4, 5}, {4, 4}};

struct StepFace {
    uint32_t skin, overlay;
};
constexpr StepFace kFaces[kWizardSteps] = {{145, 0},   {150, 0},   {151, 0},   {153, 0},
                                           {155, 0},   {156, 0},   {157, 0},   {158, 0},
                                           {224, 0},   {145, 0},   {197, 259}, {197, 260},
                                           {197, 258}, {197, 261}, {159, 0}};

constexpr int kBoxY[kChannelBoxes] = {83, 107, 132, 156, 180, 204, 229, 253, 286};
constexpr int kBoxTop[8] = {85, 109, 133, 158, 182, 206, 230, 255};
constexpr int kBoxBottom[8] = {99, 123, 147, 172, 196, 220, 244, 269};

constexpr int kRow = 330, kCarRow = 460;
constexpr int kBackX = 31, kNextX = 110, kCancelX = 189;
constexpr int kCarBackX = 106, kCarNextX = 185, kCarCancelX = 264;

bool CarStep(int step) { return step >= 10 && step <= 13; }

int NextStep(int step, int inputType) {
    switch (step) {
        case 0: return 1;
        case 1: return inputType == 1 ? 2 : 3;
        case 2:
        case 3: return 4;
        case 4: return 5;
        case 5: return inputType == 1 ? 6 : 10;
        case 6: return 7;
        case 7: return 8;
        case 8: return 10;
        case 10: return 11;
        case 11: return 12;
        case 12: return 13;
        default: return 14;
    }
}

int BackStep(int step, int inputType) {
    switch (step) {
        case 0:
        case 1: return 0;
        case 2:
        case 3: return 1;
        case 4: return inputType == 1 ? 2 : 3;
        case 5:
        case 6: return 4;
        case 7: return 6;
        case 8: return 7;
        case 10: return inputType == 1 ? 6 : 4;
        case 11: return 10;
        case 12: return 11;
        case 13: return 12;
        default: return 14;
    }
}

}  // namespace

WizardIoRecord DefaultIoRecord() {
    WizardIoRecord r{};
    r.inputType = 0;
    r.inputTypeMenuId = kMenuLowLevel;
    for (int i = 0; i < kHighLevelInputs; ++i) r.highLevelInput[i] = i < 2 ? i : kNotConnected;
    for (int i = 0; i < kLowLevelInputs; ++i)
        r.lowLevelInput[i] = i < 2 ? kFirstLowIndex + i : kNotConnected;
    for (int i = 0; i < pages::kWizardOutputEntries; ++i)
        r.outputTable[i] = i < 15 ? pages::WizardOutputEntry{-1, kDefaultSpeakers[i][0],
                                                             kDefaultSpeakers[i][1], 0, 0, 0}
                                  : pages::WizardOutputEntry{-1, -1, -1, 0, 0, 0};
    r.labelCount = 0;
    for (int32_t& f : r.sourceFlags) f = 1;
    for (int i = 0; i < kHighLevelInputs; ++i)
        r.highLevelMenuId[i] = RoutingIndexToMenuId(r.highLevelInput[i], false);
    for (int i = 0; i < kLowLevelInputs; ++i)
        r.lowLevelMenuId[i] = RoutingIndexToMenuId(r.lowLevelInput[i], true);
    return r;
}

int MenuIdToRoutingIndex(int id) {
    if (id >= kMenuHighFirst && id < kMenuHighFirst + kHighIndexes) return id - kMenuHighFirst;
    if (id == kMenuHighNotConnected || id == kMenuLowNotConnected) return kNotConnected;
    if (id >= kMenuLowFirst && id < kMenuLowFirst + kLowIndexes)
        return kFirstLowIndex + id - kMenuLowFirst;
    return -1;
}

int RoutingIndexToMenuId(int index, bool low) {
    if (low)
        return index >= kFirstLowIndex && index < kFirstLowIndex + kLowIndexes
                   ? kMenuLowFirst + index - kFirstLowIndex
                   : kMenuLowNotConnected;
    return index >= 0 && index < kHighIndexes ? kMenuHighFirst + index : kMenuHighNotConnected;
}

const char* RoutingIndexName(int index, bool low) {
    if (low && index >= kFirstLowIndex && index < kFirstLowIndex + kLowIndexes)
        return kLowNames[index - kFirstLowIndex];
    if (!low && index >= 0 && index < kHighIndexes) return kHighNames[index];
    return "Not Connected";
}

std::vector<model::OutputAssignment> LabelAssignments(const WizardIoRecord& record) {
    constexpr int kMaxIndex = 11;
    model::OutputAssignment byChannel[model::kChannelCount];
    bool used[model::kChannelCount] = {};
    const int count = std::clamp(record.labelCount, 0, pages::kMaxCarLabels);
    for (int i = 0; i < count; ++i) {
        const pages::CarChannelLabel& l = record.labelTable[i];
        if (l.channel < 0 || l.channel >= model::kChannelCount || l.position < 0 ||
            l.position > kMaxIndex || l.kind < 0 || l.kind > kMaxIndex)
            continue;
        const int32_t variant =
            l.position < model::kPositionCount ? record.speakerGrid[l.position].variant[l.kind] : 0;
        byChannel[l.channel] = {l.channel, l.position, l.kind,
                                static_cast<uint32_t>(l.amplifier), variant};
        used[l.channel] = true;
    }
    std::vector<model::OutputAssignment> out;
    for (int c = 0; c < model::kChannelCount; ++c)
        if (used[c]) out.push_back(byChannel[c]);
    return out;
}

namespace {

// A unit's configuration frames: their lengths and where their fields lie.
constexpr size_t kInputConfigLength = 20, kRoutingLength = 46;
constexpr size_t kTypeAt = 5, kSourcesAt = 6, kCodesAt = 11;
constexpr size_t kPositionAt = 13, kKindAt = 21, kVariantAt = 29, kAmplifierAt = 37;
constexpr uint8_t kNoSpeaker = 0xFF;

bool IsCommand(const uint8_t* frame, devlink::DeviceCommand c) {
    return frame[4] == static_cast<uint8_t>(c);
}

// The kinds (Woofer 1, Midrange 2, Tweeter 3) behind a passive crossover of variant v.
std::vector<int> PassiveKinds(int v) {
    switch (v) {
        case 1:
        case 5: return {1, 2};
        case 2:
        case 6:
        case 9: return {1, 3};
        case 3:
        case 7: return {2, 3};
        case 4:
        case 8: return {1, 2, 3};
        default: return {};
    }
}

// One output of a routing frame as the car view reads it: -1 for an unassigned position or kind.
struct RoutedOutput {
    int position, kind, variant, amplifier;
};
RoutedOutput RoutedAt(const uint8_t* frame, int o) {
    const auto field = [&](size_t at) { return frame[at + static_cast<size_t>(o)]; };
    return {field(kPositionAt) == kNoSpeaker ? -1 : field(kPositionAt),
            field(kKindAt) == kNoSpeaker ? -1 : field(kKindAt), field(kVariantAt),
            field(kAmplifierAt) != 0 ? 1 : 0};
}

}  // namespace

std::vector<model::OutputAssignment> RoutingFrameAssignments(const uint8_t* frame, size_t length) {
    constexpr int kMaxIndex = 11;
    std::vector<model::OutputAssignment> out;
    if (!frame || length != kRoutingLength || !IsCommand(frame, devlink::DeviceCommand::Routing))
        return out;
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput r = RoutedAt(frame, o);
        if (r.position < 0 || r.position > kMaxIndex || r.kind < 0 || r.kind > kMaxIndex) continue;
        out.push_back({o, r.position, r.kind, static_cast<uint32_t>(r.amplifier), r.variant});
    }
    return out;
}

WizardLogic::WizardLogic(WizardView& view, bool online)
    : view_(view), online_(online), record_(DefaultIoRecord()), served_(record_) {}

std::optional<std::vector<model::OutputAssignment>> WizardLogic::TakeDeviceLayout() {
    std::optional<std::vector<model::OutputAssignment>> layout;
    layout.swap(deviceLayout_);
    return layout;
}

int WizardLogic::ParseDeviceConfig(const uint8_t* frame, size_t length) {
    if (!frame || length < 7) return 0;
    if (IsCommand(frame, devlink::DeviceCommand::InputConfig)) {
        if (length == kInputConfigLength) ParseInputConfig(frame);
        return 1;
    }
    if (IsCommand(frame, devlink::DeviceCommand::Routing)) {
        if (length == kRoutingLength) ParseRouting(frame);
        return 1;
    }
    return 0;
}

namespace {

// The input a code of the unit's input configuration names, for an input of that type. The
// routing table reads a code it does not know as index 0 (Front Left Full); in the wizard's
// record such a code, or one that names none of this type's choices, is Not Connected, so that it
// is neither counted as a connected input nor sent back to the unit as one.
int32_t InputIndexOfCode(uint8_t code, int type) {
    const bool low = type == 0;
    const int index = model::RoutingCodeToIndex(code, low ? 1 : 0);
    if (index == kNotConnected) return kNotConnected;
    const int first = low ? kFirstLowIndex : 0;
    const int count = low ? kLowLevelInputs : kFirstLowIndex;
    if (index < first || index >= first + count || model::RoutingIndexToCode(index) != code) return kNotConnected;
    return index;
}

}  // namespace

void WizardLogic::ParseInputConfig(const uint8_t* frame) {
    // Only low-level (1) and high-level (2) inputs exist: another type would leave the wizard
    // with an input count, a step and a menu that no type defines.
    const int type = frame[kTypeAt] - 1;
    if (type != 0 && type != 1) return;
    record_.inputType = type;
    for (int i = 0; i < kSourceCount; ++i) record_.sourceFlags[i] = frame[kSourcesAt + static_cast<size_t>(i)];
    for (int32_t& x : record_.highLevelInput) x = kNotConnected;
    for (int32_t& x : record_.lowLevelInput) x = kNotConnected;
    if (type == 0)
        for (int i = 0; i < kLowLevelInputs; ++i)
            record_.lowLevelInput[i] = InputIndexOfCode(frame[kCodesAt + static_cast<size_t>(i)], 0);
    else
        for (int i = 0; i < kHighLevelInputs; ++i)
            record_.highLevelInput[i] = InputIndexOfCode(frame[kCodesAt + static_cast<size_t>(i)], 1);
    RefreshMenuIds();
    PublishRecord();
}

void WizardLogic::ParseRouting(const uint8_t* frame) {
    deviceLayout_ = RoutingFrameAssignments(frame, kRoutingLength);
    pages::WizardOutputEntry* table = record_.outputTable;
    for (pages::WizardOutputEntry& e : record_.outputTable) {
        e.channel = -1;
        e.amplifier = e.passive = e.present = 0;
    }
    // The speakers each output feeds, as themselves.
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput r = RoutedAt(frame, o);
        if (r.position < 0 || r.kind < 0) continue;
        for (pages::WizardOutputEntry& e : record_.outputTable)
            if (e.position == r.position && e.kind == r.kind) {
                e.passive = 0;
                e.present = 1;
                e.channel = o;
            }
    }
    if (!car_) car_ = view_.CarView(10);
    if (!car_) {
        PublishRecord();
        return;
    }
    car_->SetWizardStep(10, table);
    car_->SetWizardStep(11, table);
    // The speakers behind a passive crossover, and the amplifiers.
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput r = RoutedAt(frame, o);
        if (r.position < 0 || r.kind < 0) continue;
        bool known = false;
        for (const pages::WizardOutputEntry& e : record_.outputTable)
            known = known || (e.position == r.position && (e.kind == r.kind || r.kind == 0));
        if (!known) continue;
        if (r.variant == 0 && r.kind != 0) {
            for (pages::WizardOutputEntry& e : record_.outputTable)
                if (e.position == r.position && e.kind == r.kind) {
                    e.passive = 0;
                    e.present = 1;
                    e.amplifier = r.amplifier;
                    e.channel = o;
                }
            continue;
        }
        for (int kind : PassiveKinds(r.variant))
            for (pages::WizardOutputEntry& e : record_.outputTable)
                if (e.position == r.position && e.kind == kind) {
                    e.passive = 1;
                    e.present = 1;
                    e.channel = o;
                    e.amplifier = r.amplifier;
                }
    }
    car_->SetWizardStep(12, table);
    car_->SetWizardStep(13, table);
    GetIoRecord();
    // The labels take the unit's outputs and amplifiers.
    const int labels = std::clamp(car_->GetLabelCount(), 0, pages::kMaxCarLabels);
    for (int o = 0; o < model::kChannelCount; ++o) {
        const RoutedOutput r = RoutedAt(frame, o);
        if (r.position < 0 || r.kind < 0) continue;
        for (int i = 0; i < labels; ++i) {
            const pages::CarChannelLabel& l = car_->GetLabels()[i];
            if (l.position == r.position && l.kind == r.kind) car_->SetLabelOutput(i, o, r.amplifier);
        }
    }
    GetIoRecord();
}

void WizardLogic::SetSourceFlags(const uint32_t flags[kSourceCount]) {
    if (!flags) return;
    for (int i = 0; i < kSourceCount; ++i) record_.sourceFlags[i] = static_cast<int32_t>(flags[i]);
}

WizardIoRecord WizardLogic::GetIoRecord() {
    if (car_) {
        record_.labelCount = car_->GetLabelCount();
        std::copy_n(car_->GetLabels(), pages::kMaxCarLabels, record_.labelTable);
        std::copy_n(car_->GetSpeakerGrid(), model::kPositionCount, record_.speakerGrid);
    } else {
        record_.labelCount = 0;
    }
    PublishRecord();
    return record_;
}

WizardIoRecord WizardLogic::ServedRecord() const {
    std::lock_guard<std::mutex> g(servedLock_);
    return served_;
}

void WizardLogic::SetRecord(const WizardIoRecord& record) {
    record_ = record;
    RefreshMenuIds();
    PublishRecord();
}

void WizardLogic::PublishRecord() {
    std::lock_guard<std::mutex> g(servedLock_);
    served_ = record_;
}

void WizardLogic::RefreshMenuIds() {
    record_.inputTypeMenuId = kMenuLowLevel + record_.inputType;
    for (int i = 0; i < kHighLevelInputs; ++i)
        record_.highLevelMenuId[i] = RoutingIndexToMenuId(record_.highLevelInput[i], false);
    for (int i = 0; i < kLowLevelInputs; ++i)
        record_.lowLevelMenuId[i] = RoutingIndexToMenuId(record_.lowLevelInput[i], true);
}

void WizardLogic::Start() {
    StopMeasurement();
    step_ = 0;
    for (auto& f : stepLeft) f = 0;
    for (auto& f : stepClosed) f = 0;
    for (int b = 0; b < kChannelBoxes; ++b) view_.ShowBox(b, false);
    if (car_) view_.ShowCarView(false);
    view_.SetSkin(kFaces[0].skin, 0);
    completedCount = 0;
    menuBox_ = -1;
    detection_ = 0;
    LayOut();
    view_.Repaint();
}

void WizardLogic::GoToStep(int target) { Enter(target < 0 ? NextStep(step_, record_.inputType) : target, true); }

void WizardLogic::GoBack() { Enter(BackStep(step_, record_.inputType), false); }

void WizardLogic::Enter(int step, bool forward) {
    const int old = step_;
    step = std::clamp(step, 0, kWizardSteps - 1);
    StopMeasurement();
    step_ = step;
    if (forward && step != old && old >= 0 && old < kWizardSteps) {
        // The poll thread builds the step's messages from the published record: it must hold
        // what the user chose before the request word rises. The routing comes from the car
        // view's labels, which only GetIoRecord copies.
        if (old == 13) {
            GetIoRecord();
        } else {
            PublishRecord();
        }
        stepLeft[old] = 1;
    }
    if (CarStep(step)) {
        if (!car_) car_ = view_.CarView(step);
        if (car_) {
            car_->SetWizardStep(step, record_.outputTable);
            view_.ShowCarView(true);
            if (step != 12) car_->ShowConflictWarning(false);
            // The crossover step opens with the warning its count calls for.
            if (step == 11) car_->ShowTooManyChannelsWarning(car_->CountOutputChannels() > 8);
        }
    } else if (car_) {
        view_.ShowCarView(false);
        car_->ShowConflictWarning(false);
    }
    view_.SetSkin(kFaces[step].skin, kFaces[step].overlay);
    LayOut();
    view_.Repaint();
    if (step == 5 || step == 8) StartMeasurement();
}

int WizardLogic::BoxCount() const {
    return step_ == 2 ? kHighLevelInputs : step_ == 3 ? kLowLevelInputs : 0;
}

int32_t* WizardLogic::BoxIndexes() {
    return step_ == 2 ? record_.highLevelInput : record_.lowLevelInput;
}

int32_t* WizardLogic::BoxMenuIds() {
    return step_ == 2 ? record_.highLevelMenuId : record_.lowLevelMenuId;
}

void WizardLogic::LayOut() {
    const bool car = CarStep(step_);
    // Input type and sources: step 1 only, from the record.
    for (int c = 0; c < kWizardChecks; ++c) {
        const bool shown = step_ == 1 && c != kWizardChecks - 1;
        if (shown) {
            if (c < kSourceCount) {
                view_.MoveCheck(c, 71, 179 + 24 * c);
                view_.SetCheck(c, record_.sourceFlags[c] != 0);
            } else {
                view_.MoveCheck(c, 71, c == kCheckLowLevel ? 108 : 84);
                view_.SetCheck(c, (c == kCheckHighLevel) == (record_.inputType == 1));
            }
        }
        view_.ShowCheck(c, shown);
    }
    const int boxes = BoxCount();
    for (int b = 0; b < kChannelBoxes; ++b) {
        if (b < boxes) view_.MoveBox(b, step_ == 2 ? 250 : 235, kBoxY[b] - 1);
        view_.ShowBox(b, b < boxes);
    }
    const int row = car ? kCarRow : kRow;
    view_.MoveButton(WizButton::Back, car ? kCarBackX : kBackX, row);
    view_.MoveButton(WizButton::Next, car ? kCarNextX : kNextX, row);
    view_.MoveButton(WizButton::Cancel, car ? kCarCancelX : kCancelX, row);
    view_.MoveButton(WizButton::Skip, kCancelX, kRow);
    const bool last = step_ == kWizardSteps - 1;
    view_.ShowButton(WizButton::Next, !last);
    view_.ShowButton(WizButton::Back, !last);
    view_.ShowButton(WizButton::Cancel, !last && step_ != 6);
    view_.ShowButton(WizButton::Skip, step_ == 6);
    view_.EnableButton(WizButton::Skip, true);
    view_.EnableButton(WizButton::Cancel, true);
    const bool measuring = step_ == 5 || step_ == 8;
    view_.EnableButton(WizButton::Back, step_ != 0 && !measuring);
    if (last) {
        view_.MoveButton(WizButton::Finish, kNextX, kRow);
        view_.EnableButton(WizButton::Finish, true);
    }
    view_.ShowButton(WizButton::Finish, last);
    view_.ShowBar(measuring);
    if (measuring) view_.SetBar(0);
    ApplyNextRule();
}

bool WizardLogic::NextRule() const {
    switch (step_) {
        case 2: {
            bool left = false, right = false;
            for (int i = 0; i < kHighLevelInputs; ++i) {
                const int x = record_.highLevelInput[i];
                if (x == 0 || x == 2 || x == 4 || x == 6) left = true;
                if (x == 1 || x == 3 || x == 5 || x == 7) right = true;
            }
            return left && right;
        }
        case 3: {
            bool fl = false, fr = false;
            for (int i = 0; i < kLowLevelInputs; ++i) {
                fl = fl || record_.lowLevelInput[i] == kFirstLowIndex;
                fr = fr || record_.lowLevelInput[i] == kFirstLowIndex + 1;
            }
            return fl && fr;
        }
        case 5:
        case 8: return false;  // until the device's result
        case 10: return car_ && car_->CountSelected() != 0;
        case 11: return car_ && car_->CountOutputChannels() <= 8;
        case 12: return car_ && car_->HasChannelConflict() == 0;
        case 14: return false;
        default: return true;
    }
}

void WizardLogic::ApplyNextRule() {
    nextEnabled_ = NextRule();
    view_.EnableButton(WizButton::Next, nextEnabled_);
}

int WizardLogic::MeasuredInputs() const {
    int n = 0;
    if (record_.inputType == 1) {
        for (int i = 0; i < kHighLevelInputs; ++i) n += record_.highLevelInput[i] != kNotConnected;
    } else {
        for (int i = 0; i < kLowLevelInputs; ++i) n += record_.lowLevelInput[i] != kNotConnected;
    }
    return n;
}

void WizardLogic::StartMeasurement() {
    detection_ = 0;
    status_ = 0;
    if (step_ == 5) {
        inputChannel = -1;
        inputShown_ = -1;
    } else {
        outputChannel = -1;
        outputShown_ = -1;
    }
    completedCount = 0;
    measuring_ = true;
    // The status line of an earlier run goes.
    view_.Repaint();
    view_.StartTimer(step_ == 5 ? kInputTimer : kOutputTimer, kTimerMs);
}

void WizardLogic::StopMeasurement() {
    if (!measuring_) return;
    measuring_ = false;
    view_.StopTimer(step_ == 5 ? kInputTimer : kOutputTimer);
}

void WizardLogic::OnTimer(uint32_t id) {
    if (!measuring_ || id != (step_ == 5 ? kInputTimer : kOutputTimer)) return;
    const int n = step_ == 5 ? MeasuredInputs() : kOutputSources;
    const int done = completedCount;
    view_.SetBar(done >= n ? kBarRange : done * static_cast<double>(kBarRange) / n);
    // Online the unit ends the detection (its result is posted by the poll thread); with no unit
    // there is nothing to measure, and the step ends on its first tick.
    if (online_) {
        int& shown = step_ == 5 ? inputShown_ : outputShown_;
        const int reported = step_ == 5 ? inputChannel.load() : outputChannel.load();
        if (reported != shown) {
            shown = reported;
            detection_ = 3;
            view_.Repaint();
        }
    } else {
        view_.PostToSelf(step_ == 5 ? ui::MsgInputDetectDone : ui::MsgOutputDetectDone, 1, 0);
    }
}

void WizardLogic::OnDetectionDone(int step, uintptr_t end, intptr_t status) {
    // A result belongs to its own step's running measurement; a late one (after a cancel or a
    // restart) changes nothing.
    if (step_ != step || !measuring_) return;
    status_ = static_cast<int>(status & 0xFF);
    StopMeasurement();
    view_.EnableButton(WizButton::Next, true);
    view_.EnableButton(WizButton::Back, true);
    view_.SetBar(kBarRange);
    detection_ = end ? 1 : 2;
    nextEnabled_ = step == 8 || (detection_ == 1 && status_ == 0);
    view_.EnableButton(WizButton::Next, nextEnabled_);
    view_.Repaint();
}

std::string WizardLogic::StatusText() const {
    if (step_ != 5 && step_ != 8) return "";
    char text[64] = "";
    switch (detection_) {
        case 1:
            if (status_ == 0) return "Press 'Next' to Continue.";
            if ((status_ & 0xC0) == 0x40)
                std::snprintf(text, sizeof text, "Channel %d - Input Level too low.", (status_ & 7) + 1);
            return text;
        case 2: return "TimeOut: Repeat the Procedure.";
        case 3:
            if (step_ == 5) {
                std::snprintf(text, sizeof text, "Channel %d completed.", inputShown_ + 1);
            } else if (outputShown_ >= 0 && outputShown_ < kOutputSources) {
                std::snprintf(text, sizeof text, "'%s' completed.", kOutputNames[outputShown_]);
            } else {
                std::snprintf(text, sizeof text, "Channel %d completed.", outputShown_ + 1);
            }
            return text;
        default: return "";
    }
}

std::vector<WizardLogic::BoxLabel> WizardLogic::BoxLabels() const {
    std::vector<BoxLabel> out;
    if (step_ == 2)
        for (int i = 0; i < kHighLevelInputs; ++i)
            out.push_back({{141, kBoxTop[i], 248, kBoxBottom[i]}, record_.highLevelMenuId[i]});
    if (step_ == 3)
        for (int i = 0; i < kLowLevelInputs; ++i)
            out.push_back({{i == 2 ? 157 : 156, kBoxTop[i], i == 2 ? 234 : 233, kBoxBottom[i]},
                           record_.lowLevelMenuId[i]});
    return out;
}

void WizardLogic::OnButton(WizButton button) {
    switch (button) {
        case WizButton::Next:
            if (step_ != kWizardSteps - 1) GoToStep(-1);
            break;
        case WizButton::Back: GoBack(); break;
        case WizButton::Skip:
            if (step_ == 6) GoToStep(10);
            break;
        case WizButton::Cancel:
            if (step_ == 6 || step_ == kWizardSteps - 1) break;
            StopMeasurement();
            stepClosed[step_] = 1;
            view_.PostToParent(ui::MsgWizard, 0, 0);
            break;
        case WizButton::Finish:
            if (step_ == kWizardSteps - 1) view_.PostToParent(ui::MsgWizard, 0, 1);
            break;
    }
}

void WizardLogic::OnCheckClicked(int check, bool nowChecked) {
    if (step_ != 1 || check < 0 || check >= kWizardChecks) return;
    if (check < kSourceCount) {
        record_.sourceFlags[check] = nowChecked ? 1 : 0;
        return;
    }
    if (check != kCheckLowLevel && check != kCheckHighLevel) return;
    // A pair of radio buttons: the clicked one is on, also when it was on already.
    view_.SetCheck(check, true);
    view_.SetCheck(check == kCheckLowLevel ? kCheckHighLevel : kCheckLowLevel, false);
    record_.inputType = check == kCheckHighLevel ? 1 : 0;
    record_.inputTypeMenuId = kMenuLowLevel + record_.inputType;
}

void WizardLogic::OnBoxClicked(int box) {
    const int boxes = BoxCount();
    if (box < 0 || box >= boxes) return;
    const bool low = step_ == 3;
    const int32_t* ids = BoxMenuIds();
    const int first = low ? kMenuLowFirst : kMenuHighFirst;
    const int notConnected = low ? kMenuLowNotConnected : kMenuHighNotConnected;
    std::vector<MenuItemState> items;
    for (int id = first; id <= notConnected; ++id) {
        bool taken = false;
        for (int b = 0; b < boxes; ++b)
            if (b != box && ids[b] == id) taken = true;
        items.push_back({id, ids[box] == id, taken && id != notConnected});
    }
    const BoxLabel label = BoxLabels()[static_cast<size_t>(box)];
    menuBox_ = box;
    view_.OpenPopup(low ? kMenuLowInputs : kMenuHighInputs, label.rect.left, label.rect.bottom + 2,
                    items);
}

void WizardLogic::OnCommand(int menuId) {
    const int box = menuBox_;
    menuBox_ = -1;
    if (box < 0 || box >= BoxCount()) return;
    const int index = MenuIdToRoutingIndex(menuId);
    const bool low = step_ == 3;
    // Only the open menu's own commands count.
    if (index < 0 || RoutingIndexToMenuId(index, low) != menuId) return;
    BoxIndexes()[box] = index;
    BoxMenuIds()[box] = menuId;
    ApplyNextRule();
    view_.Repaint();
}

void WizardLogic::SetPresent(int position, int kind, int present) {
    for (pages::WizardOutputEntry& e : record_.outputTable)
        if (e.position == position && e.kind == kind) e.present = present;
    if (car_) car_->SetSpeakerSelected(position, kind, present != 0, false, true);
}

void WizardLogic::OnSpeakerPicked(int kind, int position) {
    if (!car_) return;
    const int present = car_->IsSpeakerSelected(position, kind) ? 1 : 0;
    for (pages::WizardOutputEntry& e : record_.outputTable)
        if (e.position == position && e.kind == kind) {
            e.present = present;
            break;
        }
    const int mirror = position == 0 ? 2 : position == 2 ? 0 : position == 5 ? 3 : position == 3 ? 5 : -1;
    if (mirror >= 0) SetPresent(mirror, kind, present);
    if (position == 4) {
        constexpr int kSubR = 4, kSub = 5, kSubL = 6;
        if (kind == kSubL || kind == kSubR) {
            SetPresent(4, kind == kSubL ? kSubR : kSubL, present);
            if (present) SetPresent(4, kSub, 0);
        } else if (kind == kSub && present) {
            SetPresent(4, kSubL, 0);
            SetPresent(4, kSubR, 0);
        }
    }
}

void WizardLogic::OnPassiveGroup(const pages::PassiveGroupNotice& n) {
    const int count = std::clamp(n.count, 0, 3);
    for (int i = 0; i < count; ++i)
        for (pages::WizardOutputEntry& e : record_.outputTable)
            if (e.position == n.position[i]) {
                e.passive = 0;
                break;
            }
    for (int i = 0; i < count; ++i)
        for (pages::WizardOutputEntry& e : record_.outputTable)
            if (e.position == n.position[i] && e.kind == n.kind[i]) e.passive = n.state[i];
}

void WizardLogic::OnAppMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case ui::MsgSpeakerPicked:
            if (step_ != 10) break;
            if (lParam == -1) {
                nextEnabled_ = wParam != 0;
                view_.EnableButton(WizButton::Next, nextEnabled_);
            } else {
                OnSpeakerPicked(static_cast<int>(wParam), static_cast<int>(lParam));
            }
            break;
        case ui::MsgCarViewEdit:
            if (step_ != 11) break;
            if (lParam == -2) {
                nextEnabled_ = wParam <= 8;
                view_.EnableButton(WizButton::Next, nextEnabled_);
            } else if (wParam) {
                OnPassiveGroup(*reinterpret_cast<const pages::PassiveGroupNotice*>(wParam));
            }
            break;
        case ui::MsgCarViewNextState:
            if (step_ != 12) break;
            nextEnabled_ = wParam == 0;
            view_.EnableButton(WizButton::Next, nextEnabled_);
            break;
        case ui::MsgInputDetectDone: OnDetectionDone(5, wParam, lParam); break;
        case ui::MsgOutputDetectDone: OnDetectionDone(8, wParam, lParam); break;
        default: break;
    }
}

}  // namespace dialogs
