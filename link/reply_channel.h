// What an exchange that awaits a reply needs of the link besides writing: the receive gate, the
// one reply wait, and emptying the received-frame list. UsbLink implements it; tests give a fake.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace devlink {

class ReplyChannel {
public:
    virtual ~ReplyChannel() = default;
    // 1 closes the gate (the receiver drops every byte), 0 opens it.
    virtual void SetReceiveGate(int closed) = 0;
    // 1 when a frame of that command came (min(size, its length) bytes copied into out, the rest
    // zeroed), 0 on time-out or cancel.
    virtual int WaitResponse(uint8_t command, uint8_t* out, size_t size, int timeoutMs, bool remove,
                             const std::atomic<int>* cancel) = 0;
    virtual void ClearReceived() = 0;
};

}  // namespace devlink
