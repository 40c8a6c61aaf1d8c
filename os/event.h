// Events a thread can block on, and that a driver can signal.
//
// The link's receiver sleeps on two of them: a manual-reset stop event and an auto-reset receive
// event that the FTDI driver signals when characters arrive. On Windows an Event is a real Win32
// event, so its NativeHandle() can be handed to FT_SetEventNotification and the driver's SetEvent
// wakes us; elsewhere it is a condition-variable event, and NativeHandle() is an opaque pointer
// that SignalEventHandle() accepts (what an in-process driver stand-in calls instead of SetEvent).
#pragma once

#include <cstddef>

namespace os {

enum class EventMode { ManualReset, AutoReset };

class Event {
public:
    explicit Event(EventMode mode, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Blocks until the event is set; an auto-reset event is reset by the wake-up.
    void Wait();
    // True when the event was set (an auto-reset event is then reset); never blocks.
    bool TryWait();

    // A Win32 HANDLE on Windows; elsewhere an opaque pointer for SignalEventHandle().
    void* NativeHandle() const;

private:
    friend size_t WaitAny(Event& first, Event& second);
    EventMode mode_;
#ifdef _WIN32
    void* handle_;
#else
    bool set_;
#endif
};

// Blocks until one of the two events is set and returns its index (0 or 1); when both are set,
// 0. The event that ends the wait is reset when it is auto-reset.
size_t WaitAny(Event& first, Event& second);

// Sets the event behind a NativeHandle() (SetEvent on Windows). A null handle does nothing.
void SignalEventHandle(void* handle);

}  // namespace os
