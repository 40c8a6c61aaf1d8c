// What the link (and later the poll thread) tells the user interface. In the program this posts
// to the main window and shows the system message box; in tests it records.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace devlink {

// Private messages of the main window that the link posts.
constexpr uint32_t kMsgLinkFailed = 0x8009;    // (1, 0): the link gave up writing
constexpr uint32_t kMsgIdentified = 0x803C;    // (version bytes as LE32, status bits)

class LinkNotifier {
public:
    virtual ~LinkNotifier() = default;
    // PostMessage to the main window: returns at once, from any thread.
    virtual void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // A modal system message box with an OK button, owned by the main window.
    virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;
};

// Keeps every notice in order; safe to use from several threads.
class RecordingNotifier : public LinkNotifier {
public:
    struct Posted {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool operator==(const Posted&) const = default;
    };
    struct Box {
        std::string title;
        std::string text;
        bool operator==(const Box&) const = default;
    };

    void Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
        std::lock_guard<std::mutex> g(lock_);
        posts_.push_back({message, wParam, lParam});
    }
    void ShowMessageBox(const std::string& title, const std::string& text) override {
        std::lock_guard<std::mutex> g(lock_);
        boxes_.push_back({title, text});
    }

    std::vector<Posted> Posts() const {
        std::lock_guard<std::mutex> g(lock_);
        return posts_;
    }
    std::vector<Posted> Posts(uint32_t message) const {
        std::lock_guard<std::mutex> g(lock_);
        std::vector<Posted> out;
        for (const Posted& p : posts_)
            if (p.message == message) out.push_back(p);
        return out;
    }
    std::vector<Box> Boxes() const {
        std::lock_guard<std::mutex> g(lock_);
        return boxes_;
    }
    void Clear() {
        std::lock_guard<std::mutex> g(lock_);
        posts_.clear();
        boxes_.clear();
    }

private:
    mutable std::mutex lock_;
    std::vector<Posted> posts_;
    std::vector<Box> boxes_;
};

}  // namespace devlink
