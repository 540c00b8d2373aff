// The wave and MIDI readers on good files, odd but valid files, and broken ones.
#include <gtest/gtest.h>

#include "media/midi_file.h"
#include "media/wav_file.h"
#include "support/sound_bytes.h"

namespace hg::test {
namespace {

TEST(WavFile, ReadsFormatAndSamplesPastOtherChunks) {
    Bytes data = {1, 2, 3, 4, 5, 6};
    // An odd-sized chunk first: its pad byte must be skipped to find the format.
    auto wave =
        ParseWav(Riff({Chunk("LIST", {9, 9, 9}), FmtChunk(1, 2, 11025, 8), Chunk("data", data)}));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.channels, 2);
    EXPECT_EQ(wave->format.samplesPerSec, 11025u);
    EXPECT_EQ(wave->format.bitsPerSample, 8);
    EXPECT_EQ(wave->format.BlockAlign(), 2);
    EXPECT_EQ(wave->format.AvgBytesPerSec(), 22050u);
    EXPECT_EQ(wave->samples, data);
}

TEST(WavFile, ToleratesWhatCommonWritersGetWrong) {
    Bytes good = SimpleWave(4);
    // A RIFF size that is too large.
    Bytes riff = good;
    riff[4] = 0xFF, riff[5] = 0xFF;
    ASSERT_TRUE(ParseWav(riff));
    // A header whose block align and byte rate lie: derived from channels and bits instead.
    Bytes fmt = FmtChunk(1, 2, 8000, 16);
    fmt[8 + 8] = 0x01, fmt[8 + 12] = 0x01;  // byte rate, block align
    auto wave = ParseWav(Riff({fmt, Chunk("data", Bytes(10, 7))}));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.BlockAlign(), 4);
    EXPECT_EQ(wave->samples.size(), 8u) << "a partial frame at the end is dropped";
    // A data chunk cut short by a truncated copy: what is there plays.
    Bytes cut = good;
    cut.resize(cut.size() - 3);
    wave = ParseWav(cut);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->samples.size(), 4u);
}

TEST(WavFile, AcceptsExtensiblePcmOnly) {
    auto extensible = [](uint16_t subFormat) {
        Bytes body;
        PutLE(body, 0xFFFE, 2);
        PutLE(body, 1, 2);
        PutLE(body, 44100, 4);
        PutLE(body, 88200, 4);
        PutLE(body, 2, 2);
        PutLE(body, 16, 2);
        PutLE(body, 22, 2);  // extra bytes
        PutLE(body, 16, 2);  // valid bits
        PutLE(body, 4, 4);   // channel mask
        PutLE(body, subFormat, 2);
        body.resize(body.size() + 14, 0);  // rest of the GUID
        return Riff({Chunk("fmt ", body), Chunk("data", {0, 0, 1, 0})});
    };
    EXPECT_TRUE(ParseWav(extensible(1)));
    EXPECT_FALSE(ParseWav(extensible(3))) << "float samples";
}

TEST(WavFile, RefusesWhatCannotPlay) {
    Bytes data = {0, 0, 0, 0};
    Bytes good = SimpleWave();
    Bytes notRiff = good;
    notRiff[0] = 'X';
    Bytes notWave = good;
    notWave[8] = 'X';
    Bytes shortFmt = Riff({Chunk("fmt ", Bytes(12, 1)), Chunk("data", data)});
    Bytes fmtPastEnd = Riff({FmtChunk(1, 1, 8000, 16)});
    fmtPastEnd[16] = 0x40;  // fmt size larger than the file
    const std::vector<std::pair<const char*, Bytes>> bad = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 12)},
        {"not RIFF", notRiff},
        {"not WAVE", notWave},
        {"float", Riff({FmtChunk(3, 1, 8000, 32), Chunk("data", data)})},
        {"24-bit", Riff({FmtChunk(1, 1, 8000, 24), Chunk("data", Bytes(6, 0))})},
        {"3 channels", Riff({FmtChunk(1, 3, 8000, 16), Chunk("data", Bytes(6, 0))})},
        {"no channels", Riff({FmtChunk(1, 0, 8000, 16), Chunk("data", data)})},
        {"rate 0", Riff({FmtChunk(1, 1, 0, 16), Chunk("data", data)})},
        {"rate 1 MHz", Riff({FmtChunk(1, 1, 1000000, 16), Chunk("data", data)})},
        {"no data", Riff({FmtChunk(1, 1, 8000, 16)})},
        {"no fmt", Riff({Chunk("data", data)})},
        {"short fmt", shortFmt},
        {"fmt past end", fmtPastEnd},
        {"empty data", Riff({FmtChunk(1, 1, 8000, 16), Chunk("data", {})})},
        {"less than a frame", Riff({FmtChunk(1, 2, 8000, 16), Chunk("data", {1, 2, 3})})},
    };
    for (const auto& [name, bytes] : bad) EXPECT_FALSE(ParseWav(bytes)) << name;
}

constexpr uint8_t kNoteOn = 0x90, kNoteOff = 0x80;

TEST(MidiFile, LengthFollowsTheTempoMapOfAnotherTrack) {
    // Conductor track: 120 bpm, then 240 bpm from beat 2 on. Notes in the second track.
    Bytes conductor = Track(Cat({TempoEvent(0, 500000), TempoEvent(480, 250000)}));
    Bytes notes = Track(Cat({Event(0, {kNoteOn, 60, 100}), Event(480, {kNoteOff, 60, 0}),
                             Event(480, {kNoteOn, 62, 100}), Event(480, {kNoteOff, 62, 0})}));
    auto song = ParseMidi(Smf(1, 480, {conductor, notes}));
    ASSERT_TRUE(song);
    ASSERT_EQ(song->messages.size(), 4u);
    EXPECT_EQ(song->messages[0].timeUs, 0);
    EXPECT_EQ(song->messages[1].timeUs, 500000);
    EXPECT_EQ(song->messages[2].timeUs, 750000);
    EXPECT_EQ(song->messages[3].timeUs, 1000000);
    EXPECT_EQ(song->lengthUs, 1000000);
    EXPECT_EQ(song->messages[0].message, 0x00643C90u) << "status, then data bytes, low first";
}

TEST(MidiFile, DefaultTempoTimeCodeDivisionAndTheLongestTrack) {
    // No tempo event: 120 bpm. The end-of-track marker of the longer track sets the length.
    auto song = ParseMidi(
        Smf(1, 96, {Track(Event(96, {kNoteOn, 60, 1})), Track(Event(192, {kNoteOff, 60, 0}))}));
    ASSERT_TRUE(song);
    EXPECT_EQ(song->lengthUs, 1000000);
    EXPECT_EQ(song->messages[0].timeUs, 500000);

    // 25 frames a second of 40 ticks: a millisecond a tick, tempo events notwithstanding.
    uint16_t timeCode = static_cast<uint16_t>((0x100 - 25) << 8 | 40);
    song = ParseMidi(Smf(0, timeCode, {Track(Cat({TempoEvent(0, 1000), Event(1500, {0xC0, 5})}))}));
    ASSERT_TRUE(song);
    EXPECT_EQ(song->lengthUs, 1500000);

    // A track without its end marker ends at its last event; a tempo of 0 is ignored.
    song = ParseMidi(
        Smf(0, 480, {Track(Cat({TempoEvent(0, 0), Event(960, {kNoteOn, 1, 1})}), false)}));
    ASSERT_TRUE(song);
    EXPECT_EQ(song->lengthUs, 1000000);
}

TEST(MidiFile, RunningStatusSysexMetaAndForeignChunks) {
    Bytes events = Cat({
        Event(0, {0xF0, 0x03, 0x7E, 0x7F, 0xF7}),          // sysex: skipped
        Event(0, {0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g'}),  // track name: skipped
        Event(0, {0xC1, 19}),                              // program change, one data byte
        Event(0, {20}),                                    // running status, one data byte
        Event(10, {0x91, 64, 90}), Event(10, {64, 0}),     // running status note "off"
    });
    Bytes file = Smf(0, 480, {Track(events)});
    Bytes foreign = Chunk("XFIH", {1, 2, 3, 4});
    foreign[4] = 0, foreign[5] = 0, foreign[6] = 0, foreign[7] = 4;  // big-endian length
    file.insert(file.begin() + 14, foreign.begin(), foreign.end());
    auto song = ParseMidi(file);
    ASSERT_TRUE(song);
    std::vector<uint32_t> got;
    for (const auto& m : song->messages) got.push_back(m.message);
    EXPECT_EQ(got, (std::vector<uint32_t>{0x13C1, 0x14C1, 0x5A4091, 0x004091}));
}

TEST(MidiFile, EqualTicksKeepTrackOrder) {
    Bytes a = Track(Event(10, {kNoteOff, 60, 0}));
    Bytes b = Track(Event(10, {kNoteOn, 60, 100}));
    auto song = ParseMidi(Smf(1, 480, {a, b}));
    ASSERT_TRUE(song);
    ASSERT_EQ(song->messages.size(), 2u);
    EXPECT_EQ(song->messages[0].message & 0xF0, kNoteOff);
}

TEST(MidiFile, RefusesMalformedFiles) {
    Bytes good = Smf(0, 480, {Track(Event(0, {kNoteOn, 60, 100}))});
    Bytes chunkPastEnd = good;
    chunkPastEnd[21] += 1;
    Bytes truncated(good.begin(), good.end() - 1);
    Bytes badHeader = good;
    badHeader[0] = 'X';
    // About 16 s a tick for 2^28 ticks: a month, not a carol.
    Bytes endless =
        Smf(0, 1, {Track(Cat({TempoEvent(0, 0xFFFFFF), Event(0x0FFFFFFF, {0xC0, 1})}))});
    const std::vector<std::pair<const char*, Bytes>> bad = {
        {"empty", {}},
        {"not MThd", badHeader},
        {"header only", Smf(0, 480, {})},
        {"format 3", Smf(3, 480, {Track({})})},
        {"division 0", Smf(0, 0, {Track({})})},
        {"time code without ticks", Smf(0, 0xE700, {Track({})})},
        {"chunk past end", chunkPastEnd},
        {"truncated", truncated},
        {"running status first", Smf(0, 480, {Track(Event(0, {60, 100}))})},
        {"running status after meta",
         Smf(0, 480,
             {Track(Cat({Event(0, {0x90, 60, 1}), TempoEvent(0, 500000), Event(0, {60, 0})}))})},
        {"data byte with top bit", Smf(0, 480, {Track(Event(0, {0x90, 0x80, 1}))})},
        {"five-byte delta", Smf(0, 480, {Track(Cat({{0x81, 0x81, 0x81, 0x81, 0x01, 0xC0, 1}}))})},
        {"system real-time byte", Smf(0, 480, {Track(Event(0, {0xF8}))})},
        {"meta past chunk", Smf(0, 480, {Track({0x00, 0xFF, 0x01, 0x20, 'a'}, false)})},
        {"endless", endless},
    };
    for (const auto& [name, bytes] : bad) EXPECT_FALSE(ParseMidi(bytes)) << name;
}

}  // namespace
}  // namespace hg::test
