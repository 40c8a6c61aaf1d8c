#include "os/event.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#endif

namespace os {

#ifdef _WIN32

Event::Event(EventMode mode, bool initiallySet) : mode_(mode) {
    handle_ = ::CreateEventA(nullptr, mode == EventMode::ManualReset ? TRUE : FALSE,
                             initiallySet ? TRUE : FALSE, nullptr);
}

Event::~Event() {
    if (handle_) ::CloseHandle(static_cast<HANDLE>(handle_));
}

void Event::Set() { ::SetEvent(static_cast<HANDLE>(handle_)); }
void Event::Reset() { ::ResetEvent(static_cast<HANDLE>(handle_)); }
void Event::Wait() { ::WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE); }
bool Event::TryWait() { return ::WaitForSingleObject(static_cast<HANDLE>(handle_), 0) == WAIT_OBJECT_0; }
void* Event::NativeHandle() const { return handle_; }

size_t WaitAny(Event& first, Event& second) {
    HANDLE handles[2] = {static_cast<HANDLE>(first.handle_), static_cast<HANDLE>(second.handle_)};
    // WaitForMultipleObjects reports the lowest signalled index, so the first event wins a tie.
    DWORD r = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    return r == WAIT_OBJECT_0 + 1 ? 1 : 0;
}

void SignalEventHandle(void* handle) {
    if (handle) ::SetEvent(static_cast<HANDLE>(handle));
}

#else

namespace {
// One lock and one condition for every event of the process: waits on two events at once then
// need no registration of waiters, and a spurious wake-up only costs a re-check. The program has a
// handful of events, so sharing costs nothing worth measuring.
std::mutex& EventLock() {
    static std::mutex lock;
    return lock;
}
std::condition_variable& EventCondition() {
    static std::condition_variable condition;
    return condition;
}
}  // namespace

Event::Event(EventMode mode, bool initiallySet) : mode_(mode), set_(initiallySet) {}

Event::~Event() = default;

void Event::Set() {
    {
        std::lock_guard<std::mutex> g(EventLock());
        set_ = true;
    }
    EventCondition().notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> g(EventLock());
    set_ = false;
}

void Event::Wait() {
    std::unique_lock<std::mutex> g(EventLock());
    EventCondition().wait(g, [this] { return set_; });
    if (mode_ == EventMode::AutoReset) set_ = false;
}

bool Event::TryWait() {
    std::lock_guard<std::mutex> g(EventLock());
    if (!set_) return false;
    if (mode_ == EventMode::AutoReset) set_ = false;
    return true;
}

void* Event::NativeHandle() const { return const_cast<Event*>(this); }

size_t WaitAny(Event& first, Event& second) {
    std::unique_lock<std::mutex> g(EventLock());
    EventCondition().wait(g, [&] { return first.set_ || second.set_; });
    Event& winner = first.set_ ? first : second;
    if (winner.mode_ == EventMode::AutoReset) winner.set_ = false;
    return &winner == &first ? 0 : 1;
}

void SignalEventHandle(void* handle) {
    if (handle) static_cast<Event*>(handle)->Set();
}

#endif

}  // namespace os
