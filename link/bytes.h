// Reading and writing the numbers of a device frame. Payload numbers are little-endian (floats as
// IEEE single precision); the frame length and the integers of the delay message are big-endian.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace devlink {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559, "frames carry IEEE floats");

inline void PutU16BE(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline uint16_t GetU16BE(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

inline void PutU32BE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}
inline uint32_t GetU32BE(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

inline void PutU32LE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline uint32_t GetU32LE(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

inline void PutU16LE(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline uint16_t GetU16LE(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline void PutF32LE(uint8_t* p, float v) { PutU32LE(p, std::bit_cast<uint32_t>(v)); }
inline float GetF32LE(const uint8_t* p) { return std::bit_cast<float>(GetU32LE(p)); }

}  // namespace devlink
