// Turns a tune written in the note language (notation.h) into a Standard MIDI File: the melody
// on one channel, chords and bass on two more, an optional percussion part, verses repeated
// to a listenable length and a slight ritardando into a held final chord.
#pragma once

#include "soundgen/soundgen.h"

namespace soundgen {

enum class Style {
    Pad,       // sustained chords (strings, organ, choir)
    Arpeggio,  // broken chords in eighths (piano, harp, celesta)
    Waltz,     // bass on one, chords on two and three
    March,     // bass on the beats, short chords off the beat
    Bells,     // chords struck once and left to ring
};

enum class Drums { None, Sleigh, Snare, Brush };

struct Tune {
    TrackInfo info;
    int beatsPerBar;      // quarter notes per bar (6/8 is written as 3)
    int transpose;        // semitones applied to melody and chords
    const char* melody;
    const char* chords;
    Style style;
    int melodyProgram;    // General MIDI program numbers, 0-based
    int melodyProgram2;   // for the even verses, to vary the colour
    int chordProgram;
    int bassProgram;
    Drums drums;
    int loudness;         // added to every velocity
    double pickup;        // beats before the first downbeat; the last bar is short by as much
};

// The table of all 36 tunes, in track order.
const Tune& TuneFor(int n);

Bytes Arrange(const Tune& tune);

// How many times the tune is played, so that the track lasts roughly a minute and a half
// at most and never less than about forty-five seconds.
int VerseCount(const Tune& tune);

}  // namespace soundgen
