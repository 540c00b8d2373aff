#include "media/midi_file.h"

#include <algorithm>
#include <map>

#include "media/byte_reader.h"

namespace hg {

namespace {

constexpr uint32_t kDefaultTempoUs = 500000;  // 120 beats a minute until the file says otherwise
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;

struct TickedMessage {
    uint64_t tick;
    uint32_t message;
};

std::optional<uint32_t> VarLength(ByteReader& r) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        auto b = r.U8();
        if (!b) return std::nullopt;
        v = (v << 7) | (*b & 0x7F);
        if (!(*b & 0x80)) return v;
    }
    return std::nullopt;  // the format allows four bytes at most
}

int DataBytes(uint8_t status) {
    uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Appends the track's channel messages and tempo changes; returns the tick where it ends.
std::optional<uint64_t> ParseTrack(std::span<const uint8_t> chunk,
                                   std::vector<TickedMessage>& messages,
                                   std::multimap<uint64_t, uint32_t>& tempos) {
    ByteReader r(chunk);
    uint64_t tick = 0;
    uint8_t running = 0;
    while (!r.AtEnd()) {
        auto delta = VarLength(r);
        auto first = r.U8();
        if (!delta || !first) return std::nullopt;
        tick += *delta;
        if (*first == 0xFF) {
            auto type = r.U8();
            auto length = type ? VarLength(r) : std::nullopt;
            auto body = length ? r.Bytes(*length) : std::nullopt;
            if (!body) return std::nullopt;
            running = 0;
            if (*type == kMetaEndOfTrack) return tick;
            if (*type == kMetaTempo && body->size() == 3) {
                uint32_t us = ((*body)[0] << 16) | ((*body)[1] << 8) | (*body)[2];
                if (us > 0) tempos.emplace(tick, us);
            }
        } else if (*first == 0xF0 || *first == 0xF7) {
            // System exclusive data is not sent: the players we target need none, and a stray
            // one can reconfigure a user's synthesizer.
            auto length = VarLength(r);
            if (!length || !r.Skip(*length)) return std::nullopt;
            running = 0;
        } else if (*first >= 0xF1) {
            return std::nullopt;  // system common and real-time bytes have no place in a file
        } else {
            uint8_t status = *first;
            std::optional<uint8_t> d1;
            if (status < 0x80) {
                if (!running) return std::nullopt;
                d1 = status;  // running status: this byte is already the first data byte
                status = running;
            } else {
                d1 = r.U8();
            }
            std::optional<uint8_t> d2 = DataBytes(status) == 2 ? r.U8() : std::optional<uint8_t>(0);
            if (!d1 || !d2 || *d1 >= 0x80 || *d2 >= 0x80) return std::nullopt;
            running = status;
            messages.push_back({tick, status | (uint32_t{*d1} << 8) | (uint32_t{*d2} << 16)});
        }
    }
    return tick;  // a missing end-of-track marker is common and harmless
}

// Converts ticks to microseconds along the tempo map, refusing absurd lengths.
class TempoMap {
  public:
    TempoMap(const std::multimap<uint64_t, uint32_t>& tempos, uint16_t division) {
        if (division & 0x8000) {
            // Time-code division: frames a second (negative, in the high byte) times ticks a frame.
            int fps = -static_cast<int8_t>(division >> 8);
            double framesPerSec = fps == 29 ? 29.97 : fps;
            fixedUsPerTick_ = 1e6 / (framesPerSec * (division & 0xFF));
        } else {
            ticksPerQuarter_ = division;
            double us = 0;
            uint64_t at = 0;
            uint32_t tempo = kDefaultTempoUs;
            for (const auto& [tick, value] : tempos) {
                us += static_cast<double>(tick - at) * tempo / ticksPerQuarter_;
                at = tick;
                tempo = value;
                segments_.push_back({tick, us, tempo});
            }
        }
    }
    std::optional<int64_t> Us(uint64_t tick) const {
        double us;
        if (ticksPerQuarter_ == 0) {
            us = static_cast<double>(tick) * fixedUsPerTick_;
        } else {
            Segment s{0, 0, kDefaultTempoUs};
            auto it = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                       [](uint64_t t, const Segment& seg) { return t < seg.tick; });
            if (it != segments_.begin()) s = *std::prev(it);
            us = s.us + static_cast<double>(tick - s.tick) * s.tempo / ticksPerQuarter_;
        }
        if (!(us <= static_cast<double>(kMaxSongUs))) return std::nullopt;
        return static_cast<int64_t>(us);
    }

  private:
    struct Segment {
        uint64_t tick;
        double us;
        uint32_t tempo;
    };
    uint32_t ticksPerQuarter_ = 0;
    double fixedUsPerTick_ = 0;
    std::vector<Segment> segments_;
};

}  // namespace

std::optional<MidiSong> ParseMidi(std::span<const uint8_t> bytes) {
    ByteReader r(bytes);
    if (!r.Tag("MThd")) return std::nullopt;
    auto headerLength = r.U32BE();
    auto header = headerLength ? r.Bytes(*headerLength) : std::nullopt;
    if (!header || header->size() < 6) return std::nullopt;
    ByteReader h(*header);
    auto format = h.U16BE();
    auto trackCount = h.U16BE();
    auto division = h.U16BE();
    if (*format > 2 || *trackCount == 0 || (*division & 0x7FFF) == 0) return std::nullopt;
    if ((*division & 0x8000) && (*division & 0xFF) == 0) return std::nullopt;

    // Format 2 (independent sequences) is rare for songs; its tracks are laid over one another
    // like format 1 rather than refused.
    std::vector<TickedMessage> ticked;
    std::multimap<uint64_t, uint32_t> tempos;
    uint64_t endTick = 0;
    int tracks = 0;
    while (tracks < *trackCount && r.Remaining() >= 8) {
        bool isTrack = r.Tag("MTrk");
        if (!isTrack && !r.Skip(4)) break;
        auto length = r.U32BE();
        auto body = length ? r.Bytes(*length) : std::nullopt;
        if (!body) return std::nullopt;
        if (!isTrack) continue;  // chunks of other kinds are to be skipped, says the format
        auto end = ParseTrack(*body, ticked, tempos);
        if (!end) return std::nullopt;
        endTick = std::max(endTick, *end);
        ++tracks;
    }
    if (tracks == 0) return std::nullopt;

    // Tracks were appended one after another; a stable sort by tick merges them and keeps the
    // order of messages that share a tick (a note-off before the note-on that follows it).
    std::stable_sort(
        ticked.begin(), ticked.end(),
        [](const TickedMessage& a, const TickedMessage& b) { return a.tick < b.tick; });
    TempoMap map(tempos, *division);
    MidiSong song;
    auto length = map.Us(endTick);
    if (!length) return std::nullopt;
    song.lengthUs = *length;
    song.messages.reserve(ticked.size());
    for (const auto& m : ticked) song.messages.push_back({*map.Us(m.tick), m.message});
    return song;
}

}  // namespace hg
