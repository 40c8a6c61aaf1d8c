// Helpers of the tuning-message tests: frames from hex text, a writer that records what the one
// send function puts on the line, and a comparison of crossover frames whose coefficients are
// computed (and so may differ in their last bit between the C runtimes).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "link/bytes.h"
#include "link/frame.h"
#include "model/tuning_model.h"
#include "os/time.h"

namespace msgtest {

using devlink::Frame;

// "46 5A 00 06" -> bytes.
inline Frame Hex(const std::string& text) {
    Frame f;
    std::istringstream in(text);
    std::string byte;
    while (in >> byte) f.push_back(static_cast<uint8_t>(std::stoul(byte, nullptr, 16)));
    return f;
}

inline std::string ToHex(const Frame& f) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < f.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", f[i]);
        s += buf;
    }
    return s;
}

// Records every write; an address-byte write starts a new frame. When a model is watched, each
// write also checks that none of its group locks is held (no lock may be held across pacing).
class RecordingLink : public devlink::FrameWriter {
public:
    RecordingLink() : sleeper(&clock), sender(*this, sleeper) {}

    int Write(const uint8_t* bytes, size_t n, bool addressByte) override {
        if (addressByte || frames.empty()) {
            frames.emplace_back();
            addressWrites.push_back(addressByte && n == 1);
            sentAt.push_back(clock.NowMs());
        }
        frames.back().insert(frames.back().end(), bytes, bytes + n);
        if (watched) {
            for (int g = 0; g < model::kLockGroupCount; ++g) {
                std::mutex& lock = watched->Lock(static_cast<model::LockGroup>(g));
                if (lock.try_lock())
                    lock.unlock();
                else
                    ++writesUnderLock;
            }
        }
        return static_cast<int>(n);
    }

    // The command bytes of the frames sent, in order.
    std::string Commands() const {
        std::string s;
        for (const Frame& f : frames) s += static_cast<char>(f.size() > 4 ? f[4] : '?');
        return s;
    }

    void Clear() {
        frames.clear();
        addressWrites.clear();
        sentAt.clear();
        sleeper.Clear();
    }

    os::ManualClock clock;
    os::FakeSleeper sleeper;
    devlink::FrameSender sender;
    std::vector<Frame> frames;
    std::vector<bool> addressWrites;  // the frame's first write was its address byte alone
    std::vector<uint64_t> sentAt;     // clock when the frame's first byte was written
    model::TuningModel* watched = nullptr;
    int writesUnderLock = 0;
};

inline float F32At(const Frame& f, size_t offset) { return devlink::GetF32LE(&f[offset]); }

// Compares a crossover frame with an expected one: every byte outside the coefficients exactly,
// each coefficient within a few units in the last place with the same sign (a zero's sign
// included), and a valid checksum.
inline void ExpectCrossoverFrame(const Frame& actual, const Frame& expected) {
    ASSERT_EQ(actual.size(), expected.size()) << ToHex(actual);
    ASSERT_GE(actual.size(), 23u);
    const size_t n = expected[7];
    const size_t coefficientsEnd = 8 + 20 * n;
    for (size_t i = 0; i + 1 < actual.size(); ++i) {
        if (i >= 8 && i < coefficientsEnd) continue;
        EXPECT_EQ(actual[i], expected[i]) << "byte " << i << "\n" << ToHex(actual);
    }
    for (size_t i = 8; i < coefficientsEnd; i += 4) {
        const float a = F32At(actual, i), e = F32At(expected, i);
        EXPECT_EQ(std::signbit(a), std::signbit(e)) << "coefficient at " << i;
        EXPECT_NEAR(a, e, 4e-7 * std::fabs(e) + 1e-30) << "coefficient at " << i;
    }
    EXPECT_TRUE(devlink::FrameChecksumValid(actual.data(), actual.size() - 1));
}

}  // namespace msgtest
