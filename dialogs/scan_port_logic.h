// What the device scan decides, without a window: the words the user interface and the poll thread
// share (start request, scanning, finish request, paused, choice, next number, found number), the
// poll thread's steps over the link, and the face each message leaves (which buttons show and take
// clicks, the bar, the text and where it goes). ScanPortDlg applies the face and carries the
// reports between the threads.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "dialogs/dialog_view.h"
#include "link/ftdi.h"

namespace devlink {
class UsbLink;
}
namespace os {
class Sleeper;
}

namespace dialogs {

enum class ScanButton { Close, Cancel, Next, Ok, Retry };
constexpr size_t kScanButtonCount = 5;

// What the poll thread's steps tell the dialog and the main window.
class ScanReport {
public:
    virtual ~ScanReport() = default;
    // Number n was probed and nothing identified itself there.
    virtual void Progress(int number) = 0;
    // A unit identified itself at n; returns once the dialog has taken it, so that the dialog is
    // paused before the next step runs.
    virtual void Found(int number) = 0;
    // All 99 numbers are probed.
    virtual void EndOfNumbers() = 0;
    // The scan is over: 0 cancelled (or the chosen unit is gone), 1 connect, 2 connect a blank unit.
    virtual void Outcome(int outcome) = 0;
};

// The stored device number ("Com").
class ComSetting {
public:
    virtual ~ComSetting() = default;
    virtual int32_t Get() = 0;
    virtual void Set(int32_t number) = 0;
};

struct ScanFace {
    struct Button {
        bool shown;
        bool enabled;
        bool operator==(const Button&) const = default;
    };
    std::array<Button, kScanButtonCount> buttons{};
    bool barShown = true;
    double bar = 1.0;
    std::string text;  // empty: the background only
    TextBox area{};

    const Button& operator[](ScanButton b) const { return buttons[static_cast<size_t>(b)]; }
    Button& operator[](ScanButton b) { return buttons[static_cast<size_t>(b)]; }
};

class ScanPortLogic {
public:
    static constexpr int kFirstNumber = 1;
    static constexpr int kEndNumber = 100;  // numbers 1 to 99 are probed
    static constexpr uint32_t kIdleMs = 25;
    static constexpr double kBarMin = 1.0;
    static constexpr double kBarMax = 100.0;
    static constexpr size_t kTextBuffer = 120;  // the found text fits 119 characters
    static constexpr size_t kDriverDescription = 64;  // the driver's description field, unterminated when full

    static constexpr const char* kNotFoundText = "'darvix' device not found.";

    // ftdi: names a found unit by the driver's description (may be null). The client size places
    // the texts.
    explicit ScanPortLogic(const devlink::FtdiApiTable* ftdi, int clientWidth = 300, int clientHeight = 220);

    // --- user interface thread ---
    void StartScan();
    // A click: returns the outcome to post to the main window at once (no scan running), else -1.
    // A button that is hidden or disabled takes no click.
    int OnButton(ScanButton button);
    // The poll thread's 0x8032 (wParam, lParam).
    void OnScanMessage(uintptr_t wParam, intptr_t lParam);
    const ScanFace& Face() const { return face_; }

    // --- poll thread: one step a cycle; 1 when the finish step opened the link ---
    int ScanStep(devlink::UsbLink& link, ScanReport& report, ComSetting& com, os::Sleeper& sleeper);

    // The words, for tests and the window.
    bool StartRequested() const { return start_.load() != 0; }
    bool Scanning() const { return scanning_.load() != 0; }
    bool FinishRequested() const { return finish_.load() != 0; }
    bool Paused() const { return paused_.load() != 0; }
    int Choice() const { return choice_.load(); }
    int NextNumber() const { return next_.load(); }
    int FoundNumber() const { return found_.load(); }

    // "'darvix' found on '...'. Press ..." for a description (empty: 'Device n'), shortened so that
    // the whole text has at most 119 characters.
    static std::string FoundText(const std::string& description, int number);
    // The driver's description of the unit at 0-based index n - 1; empty when it has none.
    std::string DescriptionOf(int number) const;

private:
    void DrawResult(int number);
    void Show(ScanButton b, bool shown) { face_[b].shown = shown; }
    void Enable(ScanButton b, bool enabled) { face_[b].enabled = enabled; }
    void SetBar(double position);

    const devlink::FtdiApiTable* ftdi_;
    int width_, height_;
    ScanFace face_;  // user interface thread only

    std::atomic<int> start_{0};
    std::atomic<int> scanning_{0};
    std::atomic<int> finish_{0};
    std::atomic<int> paused_{0};
    std::atomic<int> choice_{0};
    std::atomic<int> next_{kFirstNumber};
    std::atomic<int> found_{-1};
};

}  // namespace dialogs
