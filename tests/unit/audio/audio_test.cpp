// The playlist and the crackle's sound-off period, on the fake clock.
#include <gtest/gtest.h>

#include "support/fakes.h"

namespace hg::test {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

// A seeded scene with music on and only `tracks` checked.
struct Playing : Scene {
    explicit Playing(std::initializer_list<int> tracks, Values more = {}) {
        Values values = {{"xmas\\PlayMusic", "0"}};
        for (int t : tracks) values.push_back({"Music\\Music" + std::to_string(t), "1"});
        values.insert(values.end(), more.begin(), more.end());
        snd.trackMs = 3000;
        Seeded(values);
        Load();
    }
    void Key(char k) { form->KeyEvent(static_cast<int16_t>(k), 0); }
    // Plays until `count` tracks have started.
    void UntilPlayed(size_t count, double limitSeconds = 600) {
        for (double t = 0; snd.played.size() < count && t < limitSeconds; t += 0.05) Seconds(0.05);
    }
};

TEST(Playlist, OnlyTrackFiveRestartsWithinOneInterval) {
    Playing s({5});
    int64_t silentSince = -1, longestGap = 0;
    for (int i = 0; i < 400; ++i) {  // 20 seconds in 50 ms steps
        s.Seconds(0.05);
        if (s.snd.IsMidiPlaying()) {
            silentSince = -1;
        } else if (silentSince < 0) {
            silentSince = s.timers.Now();
        } else if (!s.snd.played.empty()) {
            longestGap = std::max(longestGap, s.timers.Now() - silentSince);
        }
    }
    ASSERT_GE(s.snd.played.size(), 4u);
    for (int t : s.snd.played) EXPECT_EQ(t, 5);
    EXPECT_LE(longestGap, 1050);
    EXPECT_EQ(s.log[IndexOf(s.log, "PlayMidiFile")],
              "PlayMidiFile(C:\\Tallowmere\\hrthglow\\Music\\midi5.mid,0,-1)");
}

TEST(Playlist, TracksThreeAndThirtyAlternateFromTheStart) {
    Playing s({3, 30});
    s.Seconds(1.05);
    EXPECT_EQ(s.snd.played, std::vector<int>{3}) << "the first tick starts the lowest";
    s.UntilPlayed(5);
    EXPECT_EQ(s.snd.played, (std::vector<int>{3, 30, 3, 30, 3}));
}

TEST(Playlist, NextAtTheLastTrackWrapsToTheLowestChecked) {
    Playing s({2, 36});
    s.UntilPlayed(2);
    ASSERT_EQ(s.snd.played.back(), 36);
    s.Key('N');
    EXPECT_FALSE(s.snd.IsMidiPlaying());
    s.Seconds(1.05);
    EXPECT_EQ(s.snd.played, (std::vector<int>{2, 36, 2}));
}

TEST(Playlist, PreviousFromTrackTwoSearchesOnFromOneWhenThirtySixIsUnchecked) {
    Playing s({2, 5});
    s.UntilPlayed(1);
    ASSERT_EQ(s.snd.played.back(), 2);
    s.Key('P');
    s.Seconds(1.05);
    EXPECT_EQ(s.snd.played, (std::vector<int>{2, 2}));
    s.UntilPlayed(3);
    EXPECT_EQ(s.snd.played.back(), 5) << "and on from track 2";
}

TEST(Playlist, SWhileATrackPlaysLetsItFinishThenPlaysItOnceMore) {
    Playing s({3, 7});
    s.UntilPlayed(1);
    s.Seconds(1);
    s.Key('S');
    EXPECT_TRUE(s.snd.IsMidiPlaying()) << "the track goes on";
    EXPECT_EQ(CountOf(s.log, "StopMidi"), 0);
    s.UntilPlayed(3);
    EXPECT_EQ(s.snd.played, (std::vector<int>{3, 3, 7}));
}

TEST(Playlist, NoCheckedTrackPlaysNothingAndStopsPolling) {
    // Seeded, every track is unchecked; a 2 from a hand-edited store does not check one either.
    Playing s({}, {{"Music\\Music4", "2"}});
    s.Seconds(1.05);
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    s.Key('S');  // asks again: one more fruitless round, then quiet
    s.Seconds(60);
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    EXPECT_TRUE(s.snd.played.empty());
    EXPECT_FALSE(s.Ended());
}

TEST(Playlist, DoNotPlayMusicWinsOverEveryKey) {
    Playing s({1, 2, 3}, {{"xmas\\PlayMusic", "1"}});
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    for (char k : {'S', 'N', 'P', 'S'}) {
        s.Key(k);
        s.Seconds(2);
    }
    EXPECT_TRUE(s.snd.played.empty());
}

// -- crackle and sound-off ------------------------------------------------------------------

struct Crackling : Scene {
    explicit Crackling(Values values) {
        Seeded(values);
        Load();
    }
    void Key(char k) { form->KeyEvent(static_cast<int16_t>(k), 0); }
    bool Silenced() const { return !ds.AnyPlaying(); }
};

TEST(Crackle, StartsLoopThenVolumeThenTune) {
    Crackling s(Values{{"Settings\\Vol", "-700"}});
    int load = IndexOf(s.log, "DropWave");
    ASSERT_GE(load, 0);
    std::vector<std::string> got(s.log.begin() + load, s.log.begin() + load + 5);
    EXPECT_EQ(got, (std::vector<std::string>{
                       "DropWave(0)", "LoadWave(C:\\Tallowmere\\hrthglow\\fire.wav)",
                       "PlayWaveLooped(1)", "SetWaveVolume(1,-700)", "TuneWave(1,0)"}));
    // A second session (the S key opens one) drops the first buffer before loading the next.
    s.log.clear();
    s.Key('S');
    EXPECT_EQ(Join(s.log),
              "DropWave(1) LoadWave(C:\\Tallowmere\\hrthglow\\fire.wav) PlayWaveLooped(2) "
              "SetWaveVolume(2,-700) TuneWave(2,0)");
}

TEST(Crackle, SoundOnZeroLoadsSilentlyWhileTheCountRuns) {
    Crackling s(Values{{"Settings\\SoundOn", "0"}, {"Settings\\SoundOff", "1"}});
    EXPECT_EQ(CountOf(s.log, "LoadWave"), 1);
    EXPECT_EQ(CountOf(s.log, "PlayWaveLooped"), 0);
    EXPECT_EQ(CountOf(s.log, "SetWaveVolume"), 0);
    s.Seconds(59.5);
    EXPECT_EQ(CountOf(s.log, "StopAllWaves"), 0);
    s.Seconds(0.5);
    EXPECT_EQ(CountOf(s.log, "StopAllWaves"), 1) << "the count ran while nothing played";
}

TEST(SoundOff, OneMinuteSilencesCrackleAndMusicAtTheSixtiethTick) {
    Crackling s(
        Values{{"Settings\\SoundOff", "1"}, {"xmas\\PlayMusic", "0"}, {"Music\\Music1", "1"}});
    s.Seconds(59.5);
    EXPECT_TRUE(s.ds.AnyPlaying());
    EXPECT_TRUE(s.snd.IsMidiPlaying());
    s.log.clear();
    s.Seconds(0.5);
    EXPECT_EQ(Join(s.log), "StopAllWaves DropWave(1) StopMidi");
    EXPECT_TRUE(s.Silenced());
    EXPECT_FALSE(s.timers.Enabled("TimerMIDI"));
    EXPECT_FALSE(s.snd.IsMidiPlaying());
}

// A period the list does not offer reads as its first item, Never, as the dialog shows it.
TEST(SoundOff, AnUnlistedPeriodIsNever) {
    Crackling s(Values{{"Settings\\SoundOff", "7"}});
    s.Seconds(8 * 60);
    EXPECT_TRUE(s.ds.AnyPlaying());
}

TEST(SoundOff, RestartsLastOneTickUntilTheCountWraps) {
    Crackling s(Values{{"Settings\\SoundOff", "1"}});
    s.Seconds(60);
    ASSERT_TRUE(s.Silenced());
    s.Seconds(86397 - 60);  // the count has gone on ticking all day

    s.Key('S');
    EXPECT_TRUE(s.ds.AnyPlaying());
    s.Seconds(1);  // 86398: still past the limit
    EXPECT_TRUE(s.Silenced());

    s.Key('S');
    s.Seconds(1);  // 86399: silences once more, then wraps
    EXPECT_TRUE(s.Silenced());

    s.Key('S');
    s.Seconds(59);
    EXPECT_TRUE(s.ds.AnyPlaying()) << "a full period again after the wrap";
    s.Seconds(1);
    EXPECT_TRUE(s.Silenced());
}

TEST(SoundOff, NeverChangesNothing) {
    // The seeded 0 reads as "Never"; so does a hand-edited word.
    for (const char* value : {"0", "soon"}) {
        Crackling s(Values{{"Settings\\SoundOff", value}});
        s.Seconds(3 * 3600);
        EXPECT_TRUE(s.ds.AnyPlaying()) << value;
        EXPECT_EQ(CountOf(s.log, "StopAllWaves"), 0) << value;
    }
}

}  // namespace
}  // namespace hg::test
