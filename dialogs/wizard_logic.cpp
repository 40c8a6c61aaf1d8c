#include "dialogs/wizard_logic.h"

#include <algorithm>
#include <cstdio>

#include "link/frame.h"
#include "model/tables.h"
#include "ui/messages.h"

namespace dialogs {
namespace {

constexpr const char* kOutputNames[6] = {"Front Left", "Front Right", "Rear Left",
                                         "Rear Right", "Center",      "Subwoofer"};

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

WizardLogic::WizardLogic(WizardView& view, bool online)
    : view_(view), online_(online), record_(DefaultIoRecord()), served_(record_) {}

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

void WizardLogic::RefreshMenuIds() { SetIoRecordMenuIds(record_); }

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
