#include "soundgen/midi_reader.h"

#include <algorithm>
#include <map>

namespace soundgen {
namespace {

class Cursor {
public:
    Cursor(const Bytes& b, std::size_t begin, std::size_t end) : b_(b), pos_(begin), end_(end) {}
    bool AtEnd() const { return pos_ >= end_; }
    std::size_t Pos() const { return pos_; }
    bool Byte(std::uint8_t& out) {
        if (pos_ >= end_) return false;
        out = b_[pos_++];
        return true;
    }
    bool Peek(std::uint8_t& out) const {
        if (pos_ >= end_) return false;
        out = b_[pos_];
        return true;
    }
    bool Be(int bytes, std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < bytes; ++i) {
            std::uint8_t v;
            if (!Byte(v)) return false;
            out = (out << 8) | v;
        }
        return true;
    }
    bool VarLen(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t v;
            if (!Byte(v)) return false;
            out = (out << 7) | (v & 0x7F);
            if ((v & 0x80) == 0) return true;
        }
        return false;  // longer than the four bytes the format allows
    }
    bool Take(std::uint32_t n, std::vector<std::uint8_t>& out) {
        if (n > end_ - pos_) return false;
        out.assign(b_.begin() + static_cast<std::ptrdiff_t>(pos_), b_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return true;
    }

private:
    const Bytes& b_;
    std::size_t pos_;
    std::size_t end_;
};

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

bool ReadTrack(const Bytes& bytes, std::size_t begin, std::size_t end, std::vector<MidiEvent>& events,
               std::string* error) {
    Cursor c(bytes, begin, end);
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    bool ended = false;
    while (!c.AtEnd()) {
        if (ended) return Fail(error, "data after end of track");
        std::uint32_t delta;
        if (!c.VarLen(delta)) return Fail(error, "bad delta time");
        tick += delta;
        MidiEvent e{tick, 0, 0, 0, 0, {}};
        std::uint8_t first;
        if (!c.Peek(first)) return Fail(error, "event missing");
        if (first == 0xFF) {
            c.Byte(first);
            std::uint32_t len;
            if (!c.Byte(e.meta) || !c.VarLen(len) || !c.Take(len, e.payload)) return Fail(error, "bad meta event");
            e.status = 0xFF;
            if (e.meta == 0x2F) ended = true;
            if (e.meta == 0x51 && len != 3) return Fail(error, "bad tempo event");
        } else if (first == 0xF0 || first == 0xF7) {
            c.Byte(first);
            std::uint32_t len;
            if (!c.VarLen(len) || !c.Take(len, e.payload)) return Fail(error, "bad sysex event");
            e.status = first;
            running = 0;
        } else {
            if (first & 0x80) {
                c.Byte(first);
                if (first >= 0xF0) return Fail(error, "system message in a file");
                running = first;
            } else if (running == 0) {
                return Fail(error, "running status without a status");
            }
            e.status = running;
            const std::uint8_t kind = running & 0xF0;
            const bool oneByte = kind == 0xC0 || kind == 0xD0;
            if (!c.Byte(e.data1) || (!oneByte && !c.Byte(e.data2))) return Fail(error, "truncated channel event");
            if ((e.data1 | e.data2) & 0x80) return Fail(error, "data byte out of range");
        }
        events.push_back(std::move(e));
    }
    if (!ended) return Fail(error, "track without end-of-track event");
    return true;
}

}  // namespace

std::optional<MidiFile> ReadMidi(const Bytes& bytes, std::string* error) {
    Cursor c(bytes, 0, bytes.size());
    std::vector<std::uint8_t> tag;
    std::uint32_t len, format, ntracks, division;
    if (!c.Take(4, tag) || std::string(tag.begin(), tag.end()) != "MThd") return Fail(error, "no MThd"), std::nullopt;
    if (!c.Be(4, len) || len < 6 || !c.Be(2, format) || !c.Be(2, ntracks) || !c.Be(2, division))
        return Fail(error, "short header"), std::nullopt;
    if (format > 2 || ntracks == 0 || division == 0 || (division & 0x8000))
        return Fail(error, "unsupported header"), std::nullopt;
    std::vector<std::uint8_t> skip;
    if (!c.Take(len - 6, skip)) return Fail(error, "short header"), std::nullopt;

    MidiFile file;
    file.format = static_cast<int>(format);
    file.division = static_cast<int>(division);
    while (file.tracks.size() < ntracks) {
        std::uint32_t size;
        if (!c.Take(4, tag) || !c.Be(4, size)) return Fail(error, "missing track chunk"), std::nullopt;
        const std::size_t begin = c.Pos();
        if (!c.Take(size, skip)) return Fail(error, "track chunk runs past the file"), std::nullopt;
        if (std::string(tag.begin(), tag.end()) != "MTrk") continue;  // unknown chunks are skipped
        std::vector<MidiEvent> events;
        if (!ReadTrack(bytes, begin, begin + size, events, error)) return std::nullopt;
        file.tracks.push_back(std::move(events));
    }
    if (!c.AtEnd()) return Fail(error, "bytes after the last track"), std::nullopt;
    return file;
}

double DurationSeconds(const MidiFile& file) {
    std::map<std::uint64_t, std::uint32_t> tempos{{0, 500000}};
    std::uint64_t last = 0;
    for (const auto& track : file.tracks) {
        for (const MidiEvent& e : track) {
            last = std::max(last, e.tick);
            if (e.status == 0xFF && e.meta == 0x51 && e.payload.size() == 3)
                tempos[e.tick] = (std::uint32_t{e.payload[0]} << 16) | (std::uint32_t{e.payload[1]} << 8) | e.payload[2];
        }
    }
    double seconds = 0.0;
    for (auto it = tempos.begin(); it != tempos.end() && it->first < last; ++it) {
        const auto next = std::next(it);
        const std::uint64_t until = (next == tempos.end() || next->first > last) ? last : next->first;
        seconds += static_cast<double>(until - it->first) * it->second / 1e6 / file.division;
    }
    return seconds;
}

}  // namespace soundgen
