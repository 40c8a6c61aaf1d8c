#include "dialogs/scan_port_logic.h"

#include <algorithm>
#include <cstring>

#include "link/usb_link.h"
#include "os/time.h"

namespace dialogs {
namespace {

constexpr const char* kFoundHead = "'darvix' found on '";
constexpr const char* kFoundTail = "'. Press 'Ok' to connect or press 'Next' to continue scanning.";
constexpr const char* kShortened = "...";

}  // namespace

ScanPortLogic::ScanPortLogic(const devlink::FtdiApiTable* ftdi, int clientWidth, int clientHeight)
    : ftdi_(ftdi), width_(clientWidth), height_(clientHeight) {
    // As the dialog is made: Cancel only, Next and OK in place but disabled, Retry and the close
    // button hidden, the bar at its start.
    Show(ScanButton::Close, false);
    Show(ScanButton::Cancel, true);
    Enable(ScanButton::Cancel, true);
    Show(ScanButton::Next, true);
    Show(ScanButton::Ok, true);
    Enable(ScanButton::Close, true);
}

void ScanPortLogic::SetBar(double position) { face_.bar = std::clamp(position, kBarMin, kBarMax); }

void ScanPortLogic::StartScan() {
    Enable(ScanButton::Retry, false);
    Show(ScanButton::Retry, false);
    Enable(ScanButton::Ok, false);
    Enable(ScanButton::Next, false);
    Enable(ScanButton::Cancel, true);
    Show(ScanButton::Next, true);
    DrawResult(0);
    face_.barShown = true;
    choice_.store(0);
    found_.store(-1);
    // The poll thread starts on the start request with scanning and finish clear: those go first.
    scanning_.store(0);
    finish_.store(0);
    paused_.store(0);
    start_.store(1);
}

int ScanPortLogic::OnButton(ScanButton button) {
    const ScanFace::Button& b = face_[button];
    if (!b.shown || !b.enabled) return -1;
    switch (button) {
        case ScanButton::Close:
        case ScanButton::Cancel:
        case ScanButton::Ok: {
            const int choice = button == ScanButton::Ok ? 1 : 0;
            choice_.store(choice);
            for (ScanButton d : {ScanButton::Next, ScanButton::Ok, ScanButton::Cancel, ScanButton::Retry})
                Enable(d, false);
            if (!scanning_.load()) {
                // A scan asked for but not begun must not begin after the answer.
                start_.store(0);
                return choice;
            }
            finish_.store(1);
            return -1;
        }
        case ScanButton::Next:
            if (!scanning_.load()) return -1;
            found_.store(-1);
            Enable(ScanButton::Ok, false);
            Enable(ScanButton::Next, false);
            Show(ScanButton::Next, true);
            Show(ScanButton::Retry, false);
            Enable(ScanButton::Cancel, true);
            DrawResult(0);
            face_.barShown = true;
            paused_.store(0);
            return -1;
        case ScanButton::Retry:
            if (!scanning_.load()) return -1;
            SetBar(0);
            StartScan();
            return -1;
    }
    return -1;
}

void ScanPortLogic::OnScanMessage(uintptr_t wParam, intptr_t lParam) {
    // Once the user has answered, what the last probe says changes nothing on the face.
    if (finish_.load()) return;
    const int n = static_cast<int>(lParam);
    if (wParam == 1) {
        found_.store(n);
        paused_.store(1);
        Enable(ScanButton::Ok, true);
        Enable(ScanButton::Next, true);
        Enable(ScanButton::Cancel, true);
        SetBar(n);
        DrawResult(n);
        face_.barShown = false;
    } else if (n >= 1) {
        SetBar(n);
    } else {
        Enable(ScanButton::Ok, false);
        Enable(ScanButton::Next, false);
        Show(ScanButton::Next, false);
        Enable(ScanButton::Retry, true);
        Show(ScanButton::Retry, true);
        Enable(ScanButton::Cancel, true);
        DrawResult(-1);
        face_.barShown = false;
    }
}

std::string ScanPortLogic::FoundText(const std::string& description, int number) {
    std::string name = description;
    if (name.empty()) name = "Device " + std::to_string(number);
    const size_t fixed = std::strlen(kFoundHead) + std::strlen(kFoundTail);
    const size_t room = kTextBuffer - 1 - fixed;
    if (name.size() > room) name = name.substr(0, room - std::strlen(kShortened)) + kShortened;
    return kFoundHead + name + kFoundTail;
}

std::string ScanPortLogic::DescriptionOf(int number) const {
    if (!ftdi_ || number < 1) return {};
    auto createList = ftdi_->Get<devlink::FT_CreateDeviceInfoList_t>(devlink::kFT_CreateDeviceInfoList);
    auto detail = ftdi_->Get<devlink::FT_GetDeviceInfoDetail_t>(devlink::kFT_GetDeviceInfoDetail);
    devlink::FT_DWORD count = 0;
    if (!createList || !detail || createList(&count) != devlink::FT_OK || count == 0) return {};
    // The driver fills its 64 bytes to the last one without a terminator when the description is
    // that long: read into zeroed room beyond them and never look past the 64.
    char description[kDriverDescription + 16] = {};
    char serial[kDriverDescription + 16] = {};
    devlink::FT_DWORD flags = 0, type = 0, id = 0, location = 0;
    devlink::FT_HANDLE handle = nullptr;
    if (detail(static_cast<devlink::FT_DWORD>(number - 1), &flags, &type, &id, &location, serial,
               description, &handle) != devlink::FT_OK)
        return {};
    return std::string(description, strnlen(description, kDriverDescription));
}

void ScanPortLogic::DrawResult(int number) {
    // The text area: the client inset 5 left and right, 45 from the top and 50 from the bottom.
    // The right edge stays inside the dialog when the area is moved right, so that the text
    // wraps within the skin instead of running off its edge.
    TextBox a{5, 45, width_ - 5, height_ - 50};
    if (number == 0) {
        face_.text.clear();
        face_.area = {};
        return;
    }
    if (number < 0) {
        a.left += 50;
        a.top += 30;
        a.bottom += 30;
        face_.text = kNotFoundText;
        face_.area = a;
        return;
    }
    a.left += 35;
    a.top += 20;
    a.bottom += 20 + 25;
    const std::string description = DescriptionOf(number);
    if (!description.empty()) {
        a.top -= 20;
        a.bottom -= 20 - 10;
    }
    face_.text = FoundText(description, number);
    face_.area = a;
}

int ScanPortLogic::ScanStep(devlink::UsbLink& link, ScanReport& report, ComSetting& com,
                            os::Sleeper& sleeper) {
    const bool start = start_.load() != 0, scanning = scanning_.load() != 0,
               finish = finish_.load() != 0;
    if (start && !scanning && !finish) {
        next_.store(kFirstNumber);
        start_.store(0);
        link.SendCommand35();
        link.Close();
        // Units plugged in since the list was made (or since the last scan) are probed too.
        link.RebuildDeviceList();
        scanning_.store(1);
        return 0;
    }
    if (!start && scanning && finish) {
        finish_.store(0);
        scanning_.store(0);
        const int choice = choice_.load();
        const int found = found_.load();
        int outcome = 0;
        int opened = 0;
        if (choice == 1) {
            const int32_t number = found > 0 ? found : com.Get();
            opened = link.Open(number);
            // A unit gone or silent since it was found cannot be read back: offline instead.
            if (opened && link.IsIdentified()) {
                if (found > 0) com.Set(found);
                outcome = link.IsBlankUnit() ? 2 : 1;
            }
        } else {
            opened = link.Open(com.Get());
        }
        report.Outcome(outcome);
        return opened;
    }
    const int number = next_.load();
    if (!start && scanning && !finish && !paused_.load() && number < kEndNumber) {
        devlink::DeviceProbeInfo info{};
        info.deviceNumber = number;
        if (link.Probe(info)) {
            // Paused here too, so that no further probe runs whenever the dialog takes the find.
            paused_.store(1);
            report.Found(number);
        } else {
            report.Progress(number);
        }
        next_.store(number + 1);
        if (number + 1 >= kEndNumber) report.EndOfNumbers();
        return 0;
    }
    sleeper.SleepMs(kIdleMs);
    return 0;
}

}  // namespace dialogs
