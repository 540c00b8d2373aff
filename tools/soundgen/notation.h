// The little note language the tunes are written in.
//
// Melody: tokens separated by spaces. A note is a letter A-G, an optional '#' or 'b', an
// optional octave digit (C4 is middle C) and an optional length: w h q e s (whole .. sixteenth),
// 't' (a triplet eighth), with an optional '.' for dotted. "R" is a rest. Octave and length
// carry over to the next token when left out, so "G4q G G A" is four quarter notes. '|' marks
// a bar line; it makes no sound but lets the bars be checked against the metre.
//
// Chords: tokens such as "G", "Em", "D7", "Cmaj7", "Bdim", "Dsus4", "G/B", each lasting one bar,
// or ":n" beats when written "D7:2". "R" is a bar (or ":n" beats) with no chord.
#pragma once

#include <string_view>
#include <vector>

namespace soundgen {

struct Note {
    double beat;    // start, in quarter notes from the start of the tune
    double length;  // in quarter notes
    int pitch;      // MIDI note number, or -1 for a rest
};

struct Melody {
    std::vector<Note> notes;
    double beats = 0.0;          // total length
    std::vector<double> bars;    // length of each stretch between bar lines
};

struct Chord {
    double beat;
    double length;
    bool rest;
    int root;                    // pitch class 0..11
    int bass;                    // pitch class of the lowest note (differs from root for "G/B")
    std::vector<int> intervals;  // semitones above the root, root included
};

// Both throw std::invalid_argument naming the bad token.
Melody ParseMelody(std::string_view text);
std::vector<Chord> ParseChords(std::string_view text, double beatsPerBar);

}  // namespace soundgen
