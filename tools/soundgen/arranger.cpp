#include "soundgen/arranger.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <tuple>

#include "soundgen/notation.h"
#include "soundgen/prng.h"

namespace soundgen {
namespace {

constexpr int kPpq = 480;
constexpr int kMelodyChannel = 0;
constexpr int kChordChannel = 1;
constexpr int kBassChannel = 2;
constexpr int kDrumChannel = 9;

std::uint32_t Ticks(double beats) { return static_cast<std::uint32_t>(std::lround(beats * kPpq)); }

struct Event {
    std::uint32_t tick;
    int order;  // at one tick: set-up first, then note-offs, then note-ons
    Bytes bytes;
};

class TrackBuilder {
public:
    void Meta(std::uint32_t tick, std::uint8_t type, const Bytes& data) {
        Bytes b{0xFF, type};
        PutVarLen(b, static_cast<std::uint32_t>(data.size()));
        b.insert(b.end(), data.begin(), data.end());
        events_.push_back({tick, 0, std::move(b)});
    }
    void Text(std::uint32_t tick, std::uint8_t type, const char* text) {
        Bytes data;
        for (const char* p = text; *p; ++p) data.push_back(static_cast<std::uint8_t>(*p));
        Meta(tick, type, data);
    }
    void Program(std::uint32_t tick, int channel, int program) {
        events_.push_back({tick, 0, {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(program)}});
    }
    void Control(std::uint32_t tick, int channel, int controller, int value) {
        events_.push_back({tick, 0,
                           {static_cast<std::uint8_t>(0xB0 | channel), static_cast<std::uint8_t>(controller),
                            static_cast<std::uint8_t>(value)}});
    }
    void NoteOn(double beat, double length, int channel, int pitch, int velocity) {
        const std::uint32_t on = Ticks(beat);
        const std::uint32_t off = std::max(on + 1, Ticks(beat + length));
        pitch = std::clamp(pitch, 0, 127);
        velocity = std::clamp(velocity, 1, 127);
        events_.push_back({on, 2,
                           {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(pitch),
                            static_cast<std::uint8_t>(velocity)}});
        events_.push_back({off, 1,
                           {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(pitch), 64}});
    }

    // The finished "MTrk" chunk, ending at endTick or later.
    Bytes Chunk(std::uint32_t endTick) {
        std::stable_sort(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
            return std::tie(a.tick, a.order) < std::tie(b.tick, b.order);
        });
        Bytes body;
        std::uint32_t now = 0;
        for (const Event& e : events_) {
            PutVarLen(body, e.tick - now);
            now = e.tick;
            body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        }
        PutVarLen(body, endTick > now ? endTick - now : 0);
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        Bytes chunk{'M', 'T', 'r', 'k'};
        PutBe32(chunk, static_cast<std::uint32_t>(body.size()));
        chunk.insert(chunk.end(), body.begin(), body.end());
        return chunk;
    }

    static void PutVarLen(Bytes& b, std::uint32_t v) {
        std::uint8_t tmp[5];
        int n = 0;
        tmp[n++] = static_cast<std::uint8_t>(v & 0x7F);
        while ((v >>= 7) != 0) tmp[n++] = static_cast<std::uint8_t>(0x80 | (v & 0x7F));
        while (n > 0) b.push_back(tmp[--n]);
    }
    static void PutBe32(Bytes& b, std::uint32_t v) {
        for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }

private:
    std::vector<Event> events_;
};

// Close voicing of the chord just below and around middle C, where it stays out of the way
// of both the melody and the bass.
std::vector<int> Voicing(const Chord& c, int transpose) {
    std::vector<int> notes;
    for (int iv : c.intervals) {
        const int pc = ((c.root + iv + transpose) % 12 + 12) % 12;
        notes.push_back(53 + (pc - 53 % 12 + 12) % 12);
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

int BassNote(int pitchClass, int transpose) {
    const int pc = ((pitchClass + transpose) % 12 + 12) % 12;
    return 36 + (pc - 36 % 12 + 12) % 12;  // C2..B2
}

void Tempo(TrackBuilder& t, std::uint32_t tick, double bpm) {
    const auto us = static_cast<std::uint32_t>(std::lround(60000000.0 / bpm));
    t.Meta(tick, 0x51, {static_cast<std::uint8_t>(us >> 16), static_cast<std::uint8_t>(us >> 8), static_cast<std::uint8_t>(us)});
}

void Accompany(TrackBuilder& t, Prng& rng, const Tune& tune, const Chord& c, double offset, int loud) {
    if (c.rest) return;
    const std::vector<int> voice = Voicing(c, tune.transpose);
    const double start = offset + c.beat;
    const double bar = tune.beatsPerBar;
    auto vel = [&](int base) { return base + loud + rng.Int(-4, 4); };

    switch (tune.style) {
        case Style::Pad:
            for (int p : voice) t.NoteOn(start, c.length - 0.05, kChordChannel, p, vel(58));
            break;
        case Style::Bells:
            for (int p : voice) t.NoteOn(start, c.length - 0.05, kChordChannel, p + 12, vel(62));
            break;
        case Style::Arpeggio: {
            // Up and down through the chord, an octave of the root on top.
            std::vector<int> shape = voice;
            shape.push_back(voice.front() + 12);
            std::vector<int> cycle = shape;
            for (std::size_t i = shape.size() - 2; i >= 1; --i) cycle.push_back(shape[i]);
            int k = 0;
            for (double b = 0.0; b < c.length - 1e-6; b += 0.5, ++k) {
                const double len = std::min(0.5, c.length - b) - 0.02;
                t.NoteOn(start + b, len, kChordChannel, cycle[static_cast<std::size_t>(k) % cycle.size()],
                         vel(k == 0 ? 60 : 50));
            }
            break;
        }
        case Style::Waltz:
        case Style::March:
            for (double b = 0.0; b < c.length - 1e-6; b += (tune.style == Style::Waltz ? 1.0 : 0.5)) {
                const double inBar = std::fmod(c.beat + b - tune.pickup + 4.0 * bar, bar);
                const bool onBeat = std::abs(inBar - std::round(inBar)) < 1e-6;
                const bool play = tune.style == Style::Waltz ? (onBeat && inBar > 0.5) : !onBeat;
                if (!play) continue;
                const double len = std::min(tune.style == Style::Waltz ? 0.8 : 0.4, c.length - b - 0.02);
                if (len <= 0.05) continue;
                for (int p : voice) t.NoteOn(start + b, len, kChordChannel, p, vel(54));
            }
            break;
    }
}

void Bass(TrackBuilder& t, Prng& rng, const Tune& tune, const Chord& c, double offset, int loud) {
    if (c.rest) return;
    const int root = BassNote(c.bass, tune.transpose);
    const int fifth = BassNote(c.root + 7, tune.transpose);
    const double start = offset + c.beat;
    const double bar = tune.beatsPerBar;
    auto vel = [&](int base) { return base + loud + rng.Int(-3, 3); };
    if (tune.style == Style::Waltz || tune.style == Style::March) {
        // Root and fifth in turn on the strong beats.
        const double step = tune.style == Style::Waltz ? bar : (bar >= 4 ? 2.0 : 1.0);
        int k = 0;
        for (double b = 0.0; b < c.length - 1e-6; b += step, ++k) {
            const double len = std::min(tune.style == Style::Waltz ? 1.0 : step * 0.8, c.length - b - 0.02);
            if (len > 0.05) t.NoteOn(start + b, len, kBassChannel, (k % 2 == 0) ? root : fifth, vel(76));
        }
        return;
    }
    if (c.length >= 4.0 - 1e-6 && tune.style != Style::Bells) {
        t.NoteOn(start, 1.9, kBassChannel, root, vel(74));
        t.NoteOn(start + 2.0, c.length - 2.05, kBassChannel, fifth, vel(66));
    } else {
        t.NoteOn(start, c.length - 0.05, kBassChannel, root, vel(74));
    }
}

void Percussion(TrackBuilder& t, Prng& rng, Drums drums, double from, double to, int beatsPerBar) {
    constexpr int kBassDrum = 36, kSnare = 38, kTambourine = 54, kBrush = 40 /* electric snare, soft */;
    int k = 0;
    for (double b = from; b < to - 1e-6; b += 0.5, ++k) {
        const bool downbeat = k % (beatsPerBar * 2) == 0;
        const bool onBeat = k % 2 == 0;
        switch (drums) {
            case Drums::None: return;
            case Drums::Sleigh:
                t.NoteOn(b, 0.2, kDrumChannel, kTambourine, (onBeat ? 78 : 58) + rng.Int(-5, 5));
                break;
            case Drums::Snare:
                // The drummer's steady rum-pa-pum: a roll of two sixteenths before each beat.
                if (onBeat) t.NoteOn(b, 0.2, kDrumChannel, kSnare, (downbeat ? 84 : 70) + rng.Int(-4, 4));
                else {
                    t.NoteOn(b, 0.1, kDrumChannel, kSnare, 48 + rng.Int(-4, 4));
                    t.NoteOn(b + 0.25, 0.1, kDrumChannel, kSnare, 54 + rng.Int(-4, 4));
                }
                if (downbeat) t.NoteOn(b, 0.3, kDrumChannel, kBassDrum, 80);
                break;
            case Drums::Brush:
                if (onBeat) t.NoteOn(b, 0.2, kDrumChannel, kBrush, (downbeat ? 52 : 40) + rng.Int(-4, 4));
                break;
        }
    }
}

}  // namespace

int VerseCount(const Tune& tune) {
    const double beats = ParseMelody(tune.melody).beats;
    const double seconds = beats * 60.0 / tune.info.tempo;
    int verses = 1;
    while (verses * seconds < 50.0 && (verses + 1) * seconds < 140.0) ++verses;
    return verses;
}

Bytes Arrange(const Tune& tune) {
    const Melody melody = ParseMelody(tune.melody);
    const std::vector<Chord> chords = ParseChords(tune.chords, tune.beatsPerBar);
    const int verses = VerseCount(tune);
    const double bar = tune.beatsPerBar;
    const double songEnd = melody.beats * verses;
    const double finalEnd = songEnd + bar;  // one held bar after the last note
    Prng rng(0x5EED0000u + static_cast<std::uint64_t>(tune.info.number));

    TrackBuilder conductor, lead, harmony, bass, drums;

    conductor.Text(0, 0x03, tune.info.title);
    conductor.Meta(0, 0x58, {static_cast<std::uint8_t>(tune.beatsPerBar == 3 && tune.style != Style::Waltz ? 6 : tune.beatsPerBar),
                             static_cast<std::uint8_t>(tune.beatsPerBar == 3 && tune.style != Style::Waltz ? 3 : 2), 24, 8});
    Tempo(conductor, 0, tune.info.tempo);
    // Broaden the last two bars, then hold the final chord a little slower still.
    const double ritStart = std::max(0.0, songEnd - 2.0 * bar);
    for (int i = 1; i <= 4; ++i)
        Tempo(conductor, Ticks(ritStart + (songEnd - ritStart) * (i - 1) / 4.0), tune.info.tempo * (1.0 - 0.05 * i));
    Tempo(conductor, Ticks(songEnd), tune.info.tempo * 0.75);

    lead.Text(0, 0x03, "Melody");
    harmony.Text(0, 0x03, "Chords");
    bass.Text(0, 0x03, "Bass");
    struct Setup { TrackBuilder* track; int channel; int program; int volume; int pan; };
    for (const Setup& s : {Setup{&lead, kMelodyChannel, tune.melodyProgram, 110, 64},
                           Setup{&harmony, kChordChannel, tune.chordProgram, 88, 44},
                           Setup{&bass, kBassChannel, tune.bassProgram, 100, 84}}) {
        s.track->Program(0, s.channel, s.program);
        s.track->Control(0, s.channel, 7, s.volume);
        s.track->Control(0, s.channel, 10, s.pan);
        s.track->Control(0, s.channel, 91, 50);  // some room around the sound
    }

    const bool bellLike = tune.style == Style::Bells;
    for (int v = 0; v < verses; ++v) {
        const double offset = melody.beats * v;
        const bool alternate = v % 2 == 1;
        if (v > 0) lead.Program(Ticks(offset), kMelodyChannel, alternate ? tune.melodyProgram2 : tune.melodyProgram);
        const int lift = alternate && bellLike ? 12 : 0;
        for (const Note& n : melody.notes) {
            if (n.pitch < 0) continue;
            const double inBar = std::fmod(n.beat - tune.pickup + 4.0 * bar, bar);
            const int accent = inBar < 1e-6 ? 8 : (std::abs(inBar - std::round(inBar)) < 1e-6 ? 3 : 0);
            const bool last = v == verses - 1 && &n == &melody.notes.back();
            const double len = last ? n.length + bar - 0.1 : std::max(0.08, n.length * 0.92);
            lead.NoteOn(offset + n.beat, len, kMelodyChannel, n.pitch + tune.transpose + lift,
                        86 + accent + tune.loudness + rng.Int(-4, 4));
        }
        for (const Chord& c : chords) {
            if (c.beat >= melody.beats - 1e-6) break;
            Chord clipped = c;
            clipped.length = std::min(c.length, melody.beats - c.beat);
            Accompany(harmony, rng, tune, clipped, offset, tune.loudness);
            Bass(bass, rng, tune, clipped, offset, tune.loudness);
        }
        if (tune.drums != Drums::None) Percussion(drums, rng, tune.drums, offset + tune.pickup, offset + melody.beats, tune.beatsPerBar);
    }

    // The final chord: the last real chord of the tune, held through the closing bar.
    for (auto it = chords.rbegin(); it != chords.rend(); ++it) {
        if (it->rest) continue;
        for (int p : Voicing(*it, tune.transpose))
            harmony.NoteOn(songEnd, bar - 0.1, kChordChannel, p + (bellLike ? 12 : 0), 58 + tune.loudness);
        bass.NoteOn(songEnd, bar - 0.1, kBassChannel, BassNote(it->bass, tune.transpose), 72 + tune.loudness);
        break;
    }

    const std::uint32_t end = Ticks(finalEnd);
    std::vector<Bytes> chunks{conductor.Chunk(end), lead.Chunk(end), harmony.Chunk(end), bass.Chunk(end)};
    if (tune.drums != Drums::None) {
        drums.Text(0, 0x03, "Percussion");
        chunks.push_back(drums.Chunk(end));
    }

    Bytes file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    file.push_back(0);
    file.push_back(static_cast<std::uint8_t>(chunks.size()));
    file.push_back(static_cast<std::uint8_t>(kPpq >> 8));
    file.push_back(static_cast<std::uint8_t>(kPpq & 0xFF));
    for (const Bytes& c : chunks) file.insert(file.end(), c.begin(), c.end());
    return file;
}

}  // namespace soundgen
