#include "soundgen/soundgen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "soundgen/arranger.h"
#include "soundgen/midi_reader.h"
#include "soundgen/notation.h"

namespace {

using soundgen::Bytes;

std::uint32_t Le(const Bytes& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<std::size_t>(i));
    return v;
}

struct Wave {
    int channels = 0, rate = 0, bits = 0, format = 0;
    std::vector<double> samples;  // first channel, scaled to -1..1
};

// Walks the RIFF chunks the way a player would, rather than assuming a 44-byte header.
Wave ParseWave(const Bytes& b) {
    Wave w;
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(Le(b, 4, 4) + 8, b.size());
    EXPECT_EQ(std::string(b.begin() + 8, b.begin() + 12), "WAVE");
    std::size_t at = 12;
    bool haveFmt = false;
    while (at + 8 <= b.size()) {
        const std::string id(b.begin() + static_cast<std::ptrdiff_t>(at),
                             b.begin() + static_cast<std::ptrdiff_t>(at + 4));
        const std::uint32_t size = Le(b, at + 4, 4);
        EXPECT_LE(at + 8 + size, b.size()) << id;
        if (id == "fmt ") {
            haveFmt = true;
            w.format = static_cast<int>(Le(b, at + 8, 2));
            w.channels = static_cast<int>(Le(b, at + 10, 2));
            w.rate = static_cast<int>(Le(b, at + 12, 4));
            EXPECT_EQ(Le(b, at + 16, 4), static_cast<std::uint32_t>(w.rate * w.channels * 2));
            EXPECT_EQ(Le(b, at + 20, 2), static_cast<std::uint32_t>(w.channels * 2));
            w.bits = static_cast<int>(Le(b, at + 22, 2));
        } else if (id == "data") {
            EXPECT_TRUE(haveFmt) << "data before fmt";
            const std::size_t frame = static_cast<std::size_t>(std::max(1, w.channels)) * 2;
            for (std::size_t i = at + 8; i + frame <= at + 8 + size; i += frame)
                w.samples.push_back(static_cast<std::int16_t>(Le(b, i, 2)) / 32768.0);
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

double Rms(const std::vector<double>& s, std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i) sum += s[i] * s[i];
    return std::sqrt(sum / static_cast<double>(count));
}

class SoundgenFire : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { wave_ = new Wave(ParseWave(soundgen::MakeFireWav())); }
    static void TearDownTestSuite() {
        delete wave_;
        wave_ = nullptr;
    }
    static Wave* wave_;
};
Wave* SoundgenFire::wave_ = nullptr;

TEST_F(SoundgenFire, IsPlainPcmOfAllowedFormatAndLength) {
    const Wave& w = *wave_;
    EXPECT_EQ(w.format, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_TRUE(w.channels == 1 || w.channels == 2);
    EXPECT_TRUE(w.rate == 22050 || w.rate == 44100);
    const double seconds = static_cast<double>(w.samples.size()) / w.rate;
    EXPECT_GE(seconds, 8.0);
    EXPECT_LE(seconds, 15.0);
}

TEST_F(SoundgenFire, LevelIsAudibleButNotClipped) {
    const Wave& w = *wave_;
    const double rms = Rms(w.samples, 0, w.samples.size());
    EXPECT_GT(rms, 0.02);
    EXPECT_LT(rms, 0.35);
    const auto clipped = std::count_if(w.samples.begin(), w.samples.end(),
                                       [](double s) { return std::abs(s) > 0.999; });
    EXPECT_EQ(clipped, 0);
    // No DC offset that would thump when the loop starts.
    EXPECT_LT(std::abs(std::accumulate(w.samples.begin(), w.samples.end(), 0.0) /
                       static_cast<double>(w.samples.size())),
              0.02);
}

TEST_F(SoundgenFire, HasManyPopsOfVariedSize) {
    // Crackle is what stands out of the bed once the low rumble is removed: a pop is a 5 ms
    // window of the first difference (a crude high-pass) well above its typical level.
    const Wave& w = *wave_;
    std::vector<double> bright(w.samples.size());
    for (std::size_t i = 1; i < bright.size(); ++i) bright[i] = w.samples[i] - w.samples[i - 1];
    const std::size_t win = static_cast<std::size_t>(w.rate / 200);
    std::vector<double> level;
    for (std::size_t i = 0; i + win <= bright.size(); i += win)
        level.push_back(Rms(bright, i, win));
    std::vector<double> sorted = level;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    int pops = 0;
    double loudest = 0.0, quietestPop = 1.0;
    for (std::size_t i = 1; i < level.size(); ++i) {
        if (level[i] > 3.0 * median && level[i - 1] <= 3.0 * median) {
            ++pops;
            loudest = std::max(loudest, level[i]);
            quietestPop = std::min(quietestPop, level[i]);
        }
    }
    const double seconds = static_cast<double>(w.samples.size()) / w.rate;
    EXPECT_GE(pops, static_cast<int>(seconds * 2)) << "too few crackles";
    EXPECT_LE(pops, static_cast<int>(seconds * 20)) << "more like rain than a fire";
    EXPECT_GT(loudest, 2.0 * quietestPop) << "every pop has the same size";
}

TEST_F(SoundgenFire, LoopSeamHasNoClick) {
    const Wave& w = *wave_;
    const std::vector<double>& s = w.samples;
    double meanStep = 0.0;
    for (std::size_t i = 1; i < s.size(); ++i) meanStep += std::abs(s[i] - s[i - 1]);
    meanStep /= static_cast<double>(s.size() - 1);
    EXPECT_LT(std::abs(s.front() - s.back()), 4.0 * meanStep);

    // The last and first 10 ms have the same level: no fade, no pop cut in half.
    const std::size_t ms10 = static_cast<std::size_t>(w.rate / 100);
    const double tail = Rms(s, s.size() - ms10, ms10), head = Rms(s, 0, ms10);
    const double bed = Rms(s, 0, s.size());
    EXPECT_GT(tail, 0.05 * bed);
    EXPECT_GT(head, 0.05 * bed);
    EXPECT_LT(std::max(tail, head) / std::min(tail, head), 2.5);
    // The steps just around the seam look like the bed's own steps.
    for (std::size_t k = 1; k < 64; ++k) {
        EXPECT_LT(std::abs(s[k] - s[k - 1]), 8.0 * meanStep) << "head step " << k;
        EXPECT_LT(std::abs(s[s.size() - k] - s[s.size() - k - 1]), 8.0 * meanStep)
            << "tail step " << k;
    }
}

TEST(SoundgenDeterminism, SameBytesEveryRun) {
    EXPECT_EQ(soundgen::MakeFireWav(), soundgen::MakeFireWav());
    for (int n : {1, 14, 25, 36}) EXPECT_EQ(soundgen::MakeTrack(n), soundgen::MakeTrack(n)) << n;
}

TEST(SoundgenNotation, ParsesNotesLengthsAndCarriesOctaveAndLength) {
    const soundgen::Melody m = soundgen::ParseMelody("C4q D | Eb5e. F#s | Rh Cb4w B#3t");
    ASSERT_EQ(m.notes.size(), 7u);
    EXPECT_EQ(m.notes[0].pitch, 60);
    EXPECT_EQ(m.notes[1].pitch, 62);
    EXPECT_DOUBLE_EQ(m.notes[1].length, 1.0);
    EXPECT_EQ(m.notes[2].pitch, 75);
    EXPECT_DOUBLE_EQ(m.notes[2].length, 0.75);
    EXPECT_EQ(m.notes[3].pitch, 78);
    EXPECT_DOUBLE_EQ(m.notes[3].length, 0.25);
    EXPECT_EQ(m.notes[4].pitch, -1);
    EXPECT_DOUBLE_EQ(m.notes[4].length, 2.0);
    EXPECT_EQ(m.notes[5].pitch, 59);
    EXPECT_EQ(m.notes[6].pitch, 60);
    EXPECT_NEAR(m.notes[6].length, 1.0 / 3.0, 1e-12);
    ASSERT_EQ(m.bars.size(), 3u);
    EXPECT_DOUBLE_EQ(m.bars[0], 2.0);
    EXPECT_DOUBLE_EQ(m.bars[1], 1.0);
    EXPECT_NEAR(m.bars[2], 2.0 + 4.0 + 1.0 / 3.0, 1e-9);

    const auto chords = soundgen::ParseChords("G D7:2 Em/B:2 R:1.5", 4.0);
    ASSERT_EQ(chords.size(), 4u);
    EXPECT_EQ(chords[1].intervals, (std::vector<int>{0, 4, 7, 10}));
    EXPECT_DOUBLE_EQ(chords[2].beat, 6.0);
    EXPECT_EQ(chords[2].bass, 11);
    EXPECT_TRUE(chords[3].rest);

    for (const char* bad : {"H4q", "C4x", "C4q..", "C44"})
        EXPECT_THROW(soundgen::ParseMelody(bad), std::invalid_argument) << bad;
    for (const char* bad : {"Gx", "G:0", "G:x", "G/Q"})
        EXPECT_THROW(soundgen::ParseChords(bad, 4), std::invalid_argument) << bad;
}

// Each tune is checked as written: a bar that is a beat short is a transcription slip that
// would otherwise shift every accent and chord after it.
TEST(SoundgenTunes, BarsFitTheMetreAndChordsSpanTheMelody) {
    for (int n = 1; n <= soundgen::kTrackCount; ++n) {
        const soundgen::Tune& t = soundgen::TuneFor(n);
        SCOPED_TRACE(t.info.title);
        EXPECT_EQ(soundgen::Track(n).number, n);
        const soundgen::Melody m = soundgen::ParseMelody(t.melody);
        ASSERT_GE(m.bars.size(), 4u);
        const double bar = t.beatsPerBar;
        EXPECT_DOUBLE_EQ(m.bars.front(), t.pickup > 0 ? t.pickup : bar);
        EXPECT_DOUBLE_EQ(m.bars.back(), bar - t.pickup);
        for (std::size_t i = 1; i + 1 < m.bars.size(); ++i)
            EXPECT_NEAR(m.bars[i], bar, 1e-9) << "bar " << i + 1;
        const auto chords = soundgen::ParseChords(t.chords, bar);
        ASSERT_FALSE(chords.empty());
        EXPECT_NEAR(chords.back().beat + chords.back().length, m.beats, 1e-9);
        for (const auto& note : m.notes)
            if (note.pitch >= 0) {
                EXPECT_GE(note.pitch + t.transpose, 55);
                EXPECT_LE(note.pitch + t.transpose, 96);
            }
    }
}

// The opening phrase of each traditional tune we arrange, written down from the melody as it
// is sung, most in another key or in other note values than the arrangement's. The arrangement
// must have the same notes in the same rhythm, and the same pick-up before the first bar line.
struct Opening {
    int track;
    const char* phrase;
};
const Opening kOpenings[] = {
    {1, "F4q F F G | F F C4h | D4q C D E | F4h F"},
    {2, "E5h D5q | C5h A4q | B4q C5 B4 | A4h."},
    {3, "C5q. Bb4e A4q G4q | F4q G4q A4q F4q | G4e A4e Bb4e G4e A4q. G4e | F4q E4q F4h"},
    {4, "C5h B4q. A4e | G4h. F4q | E4h D4h | C4h."},
    {5, "F4e. G4s F4e D4q. | F4e. G4s F4e D4q. | C5q C5e A4q. | Bb4q Bb4e F4q."},
    {6,
     "D5e | F5q G5e A5e. Bb5s A5e | G5q E5e C5e. D5s E5e | F5q D5e D5e. C#5s D5e | E5q C#5e A4q"},
    {8, "C4q F4q F4q. E4e | F4q A4q A4q G4q | C5q C5q C5q. Bb4e | A4q G4q A4h"},
    {9,
     "F#4q. F#4q F#4e A4h. | A4q. B4q B4e G4q. B4q. | D5h. A4q. A4q. | F#4q. E4q. D4q. F#4q. | "
     "G4q. A4q. G4q. E4q. | D4h."},
    {13, "C4q | F4e. F4s F4q. G4e | A4e. A4s A4q. A4e | G4e A4e Bb4q E4q | G4q F4q"},
    {14, "C4q A4q G4q F4q | C4h. C4e C4e | C4q A4q G4q F4q | D4w"},
    {16,
     "C4q | F4q F4q G4e A4e | F4q F4q A4e Bb4e | C5q C5q D5q | Bb4h G4e A4e | Bb4q Bb4q C5q | "
     "A4q A4q F4e A4e | G4q D4q F4q | E4h"},
    {17, "A4q | A4q G#4q A4q C5q | Bb4q D4q G4q. F4e | E4q F4q G4q C4q | A4h."},
    {18,
     "A4q | A4h E4q A4q | B4h E4h | C#5q B4q C#5q D5q | C#5h B4q A4q | A4h G#4q F#4q | "
     "G#4q A4q B4q C#5q | G#4h F#4q. E4e | E4w"},
    {20, "D4q | D4q A4q A4q G4q | F4q E4q D4q C4q | D4q E4q F4q G4q | A4h."},
    {21, "G4e E4e G4e F#4e | D#4e E4e"},
    {23, "C4e C4e | C4q F4e F4e F4q E4e F4e | G4e A4e Bb4e G4e A4q."},
    {25, "Bb4q A4e Bb4e G4q | Bb4q A4e Bb4e G4q | Bb4q A4e Bb4e G4q | Bb4q A4e Bb4e G4q"},
    {26, "A4q A4q A4q C5q | C5q. Bb4e A4h | A4q G4q A4q C5q | A4q. G4e F4h"},
    {28, "D4q | F4q A4q A4q A4q | G4q Bb4q A4q G4q | F4h."},
    {31, "F4e | D5q C5e Bb4q G4e | F4q G4e Bb4e"},
    {32, "E4e D4e | C4q. D4e E4e F4e | G4h A4e B4e | C5q B4q A4q | G4h"},
    {35, "F4q | F4q F4q F4q | D5h C5q | A4q. G4e F4q | F4q F4q F4q | D5h C5q | A4h"},
};

// The Nutcracker's march is the one traditional piece without a sung line to check it against.
constexpr int kUncheckedMarch = 7;

TEST(SoundgenTunes, TraditionalTunesOpenWithTheirOwnMelody) {
    std::set<int> checked;
    for (const Opening& o : kOpenings) {
        const soundgen::Tune& tune = soundgen::TuneFor(o.track);
        SCOPED_TRACE(tune.info.title);
        checked.insert(o.track);
        const soundgen::Melody known = soundgen::ParseMelody(o.phrase);
        const soundgen::Melody ours = soundgen::ParseMelody(tune.melody);
        ASSERT_GE(ours.notes.size(), known.notes.size());
        // One key and one note value for the whole phrase: the first note sets both.
        const int shift = ours.notes[0].pitch - known.notes[0].pitch;
        const double scale = ours.notes[0].length / known.notes[0].length;
        const bool knownPickup = known.bars.size() > 1 && known.bars[0] < known.bars[1] - 1e-9;
        EXPECT_DOUBLE_EQ(tune.pickup, knownPickup ? known.bars[0] * scale : 0.0) << "pick-up";
        for (size_t i = 0; i < known.notes.size(); ++i) {
            const soundgen::Note& k = known.notes[i];
            const soundgen::Note& a = ours.notes[i];
            const bool same = (k.pitch < 0 ? a.pitch < 0 : a.pitch - shift == k.pitch) &&
                              std::abs(a.length - k.length * scale) < 1e-9;
            EXPECT_TRUE(same) << "note " << i + 1 << ": " << a.pitch - shift << " for "
                              << a.length / scale << " beats where the tune has " << k.pitch
                              << " for " << k.length;
            if (!same) break;
        }
    }
    for (int n = 1; n <= soundgen::kTrackCount; ++n) {
        if (soundgen::Track(n).origin == soundgen::TuneOrigin::Traditional &&
            n != kUncheckedMarch) {
            EXPECT_TRUE(checked.count(n)) << "track " << n << " has no opening to check";
        }
    }
}

TEST(SoundgenTunes, TableNamesEveryDialogTitleOnce) {
    std::set<std::string> titles;
    int originals = 0;
    for (int n = 1; n <= soundgen::kTrackCount; ++n) {
        titles.insert(soundgen::Track(n).title);
        originals += soundgen::Track(n).origin == soundgen::TuneOrigin::Original;
    }
    EXPECT_EQ(titles.size(), 36u);
    EXPECT_EQ(std::string(soundgen::Track(1).title), "Good King Wencesles");
    EXPECT_EQ(std::string(soundgen::Track(36).title), "I'll be Home for Christmas");
    EXPECT_EQ(originals, 13);
    EXPECT_THROW(soundgen::Track(0), std::out_of_range);
    EXPECT_THROW(soundgen::Track(37), std::out_of_range);
}

TEST(SoundgenMidi, EveryTrackIsWellFormedMusicOfTheRightLength) {
    for (int n = 1; n <= soundgen::kTrackCount; ++n) {
        SCOPED_TRACE("track " + std::to_string(n));
        std::string error;
        const auto file = soundgen::ReadMidi(soundgen::MakeTrack(n), &error);
        ASSERT_TRUE(file) << error;
        EXPECT_EQ(file->format, 1);
        ASSERT_GE(file->tracks.size(), 3u);
        const double seconds = soundgen::DurationSeconds(*file);
        EXPECT_GE(seconds, 30.0);
        EXPECT_LE(seconds, 180.0);

        bool tempo = false;
        std::set<int> noteChannels, programChannels;
        int notes = 0;
        for (const auto& track : file->tracks) {
            std::map<std::pair<int, int>, int> sounding;  // (channel, pitch) -> open note-ons
            for (const auto& e : track) {
                tempo |= e.status == 0xFF && e.meta == 0x51;
                const int kind = e.status & 0xF0, ch = e.status & 0x0F;
                if (e.status == 0xFF) continue;
                if (kind == 0xC0) programChannels.insert(ch);
                const bool on = kind == 0x90 && e.data2 > 0;
                const bool off = kind == 0x80 || (kind == 0x90 && e.data2 == 0);
                if (on) {
                    ++notes;
                    noteChannels.insert(ch);
                    EXPECT_GE(e.data2, 30);
                    EXPECT_LE(e.data2, 127);
                    EXPECT_EQ((sounding[std::make_pair(ch, int{e.data1})]++), 0)
                        << "note " << int(e.data1) << " struck again while sounding";
                } else if (off) {
                    EXPECT_GT((sounding[std::make_pair(ch, int{e.data1})]--), 0)
                        << "note-off without note-on";
                }
            }
            for (const auto& [key, open] : sounding)
                EXPECT_EQ(open, 0) << "note " << key.second << " never released";
        }
        EXPECT_TRUE(tempo);
        EXPECT_GE(noteChannels.size(), 2u);
        EXPECT_GT(notes, 100);
        for (int ch : noteChannels)
            if (ch != 9) {
                EXPECT_TRUE(programChannels.count(ch)) << "channel " << ch << " has no instrument";
            }
    }
}

TEST(SoundgenMidi, ReaderHandlesRunningStatusAndRejectsDamage) {
    // One track: tempo, then three notes written with running status (note-on velocity 0 as off).
    const Bytes good{'M',  'T',  'h',  'd',  0,    0,    0,    6,    0,    0,
                     0,    1,    0,    96,   'M',  'T',  'r',  'k',  0,    0,
                     0,    25,   0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 120 bpm
                     0x00, 0x90, 60,   100,  0x60, 60,   0,    0x00, 64,   90,
                     0x81, 0x40, 64,   0,    0x00, 0xFF, 0x2F, 0x00};
    std::string error;
    const auto file = soundgen::ReadMidi(good, &error);
    ASSERT_TRUE(file) << error;
    ASSERT_EQ(file->tracks.size(), 1u);
    ASSERT_EQ(file->tracks[0].size(), 6u);
    EXPECT_EQ(file->tracks[0][2].status, 0x90);
    EXPECT_EQ(file->tracks[0][3].data1, 64);
    EXPECT_EQ(file->tracks[0][4].tick, 96u + 192u);
    EXPECT_DOUBLE_EQ(soundgen::DurationSeconds(*file), 1.5);

    Bytes truncated(good.begin(), good.end() - 5);
    EXPECT_FALSE(soundgen::ReadMidi(truncated));
    Bytes longLength = good;
    longLength[21] = 40;  // chunk claims more bytes than the file has
    EXPECT_FALSE(soundgen::ReadMidi(longLength));
    Bytes noEnd = good;
    noEnd[noEnd.size() - 2] = 0x01;  // end-of-track turned into a text event
    EXPECT_FALSE(soundgen::ReadMidi(noEnd));
    Bytes orphanData = good;
    orphanData[30] = 0x3C;  // first channel event without a status byte
    EXPECT_FALSE(soundgen::ReadMidi(orphanData));
    EXPECT_FALSE(soundgen::ReadMidi(Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1}));
}

TEST(SoundgenMidi, TempoMapSlowsIntoTheFinalChord) {
    // The closing ritardando must lengthen the track beyond its nominal tempo.
    const auto file = soundgen::ReadMidi(soundgen::MakeTrack(5));
    ASSERT_TRUE(file);
    std::uint64_t last = 0;
    for (const auto& track : file->tracks)
        for (const auto& e : track) last = std::max(last, e.tick);
    const double nominal =
        static_cast<double>(last) / file->division * 60.0 / soundgen::Track(5).tempo;
    const double actual = soundgen::DurationSeconds(*file);
    EXPECT_GT(actual, nominal + 1.0);
    EXPECT_LT(actual, nominal * 1.2);
}

}  // namespace
