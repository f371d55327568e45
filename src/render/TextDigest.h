// A 64-bit digest of bytes: tells whether a text is still the one seen before
// without keeping a copy of it. Two lanes read four bytes a step; each step is a
// one-to-one map of a lane's state for a given word, so texts of one length that
// differ in a single word always get different digests, and other differences
// collide with a chance of about one in 2^64.
#pragma once

#include <cstdint>
#include <cstring>

namespace qv {

inline uint64_t DigestBytes(const uint8_t* text, uint32_t n) {
    uint32_t a = 0x811C9DC5u ^ n, b = 0x01000193u + n;
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t w;
        std::memcpy(&w, text + i, 4);
        a = (a ^ w) * 0x9E3779B1u;
        a = (a << 15) | (a >> 17);
        b = (b + w) * 0x85EBCA77u;
        b = ((b << 13) | (b >> 19)) ^ a;
    }
    for (; i < n; ++i) {
        a = (a ^ text[i]) * 0x9E3779B1u;
        b = (b + text[i]) * 0x85EBCA77u ^ a;
    }
    return (static_cast<uint64_t>(a) << 32) | b;
}

}  // namespace qv
