#pragma once
// Writers of small wave and MIDI files for the tests of the sound controls.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace hg::test {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& b, const std::string& tag) { b.insert(b.end(), tag.begin(), tag.end()); }
inline void PutLE(Bytes& b, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutBE(Bytes& b, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutVarLength(Bytes& b, uint32_t v) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = v & 0x7F;
        v >>= 7;
    } while (v);
    while (n > 1) b.push_back(groups[--n] | 0x80);
    b.push_back(groups[0]);
}

inline Bytes FmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes b;
    Put(b, "fmt ");
    PutLE(b, 16, 4);
    PutLE(b, tag, 2);
    PutLE(b, channels, 2);
    PutLE(b, rate, 4);
    PutLE(b, rate * channels * bits / 8, 4);
    PutLE(b, channels * bits / 8, 2);
    PutLE(b, bits, 2);
    return b;
}

inline Bytes Chunk(const std::string& tag, const Bytes& body) {
    Bytes b;
    Put(b, tag);
    PutLE(b, static_cast<uint32_t>(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

inline Bytes Riff(std::initializer_list<Bytes> chunks) {
    Bytes body;
    Put(body, "WAVE");
    for (const auto& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    Put(b, "RIFF");
    PutLE(b, static_cast<uint32_t>(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A mono 16-bit wave of `frames` samples counting up from 1.
inline Bytes SimpleWave(int frames = 8, uint32_t rate = 22050) {
    Bytes data;
    for (int i = 1; i <= frames; ++i) PutLE(data, static_cast<uint32_t>(i), 2);
    return Riff({FmtChunk(1, 1, rate, 16), Chunk("data", data)});
}

// One MIDI track; events are raw bytes with their delta times already in place.
inline Bytes Track(const Bytes& events, bool endMarker = true) {
    Bytes body = events;
    if (endMarker) body.insert(body.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes b;
    Put(b, "MTrk");
    PutBE(b, static_cast<uint32_t>(body.size()), 4);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

inline Bytes Smf(uint16_t format, uint16_t division, std::initializer_list<Bytes> tracks) {
    Bytes b;
    Put(b, "MThd");
    PutBE(b, 6, 4);
    PutBE(b, format, 2);
    PutBE(b, static_cast<uint32_t>(tracks.size()), 2);
    PutBE(b, division, 2);
    for (const auto& t : tracks) b.insert(b.end(), t.begin(), t.end());
    return b;
}

inline Bytes TempoEvent(uint32_t delta, uint32_t usPerQuarter) {
    Bytes b;
    PutVarLength(b, delta);
    b.insert(b.end(), {0xFF, 0x51, 0x03});
    PutBE(b, usPerQuarter, 3);
    return b;
}

inline Bytes Event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
    Bytes b;
    PutVarLength(b, delta);
    b.insert(b.end(), bytes);
    return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const auto& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

}  // namespace hg::test
