// The 36 carols. Traditional tunes are arranged from the old melodies; where a title's own
// song is a modern one, the track is a new tune of ours written in the same spirit.

#include <stdexcept>

#include "soundgen/arranger.h"

namespace soundgen {
namespace {

constexpr TuneOrigin T = TuneOrigin::Traditional;
constexpr TuneOrigin O = TuneOrigin::Original;

// The General MIDI programs the tunes are played on (numbered from 0).
enum Program : int {
    kPiano = 0,
    kHarpsichord = 6,
    kCelesta = 8,
    kGlockenspiel = 9,
    kMusicBox = 10,
    kVibraphone = 11,
    kTubularBells = 14,
    kChurchOrgan = 19,
    kNylonGuitar = 24,
    kSteelGuitar = 25,
    kAcousticBass = 32,
    kViolin = 40,
    kCello = 42,
    kContrabass = 43,
    kHarp = 46,
    kStrings = 48,
    kSlowStrings = 49,
    kChoir = 52,
    kTrumpet = 56,
    kTuba = 58,
    kFrenchHorn = 60,
    kBrass = 61,
    kOboe = 68,
    kBassoon = 70,
    kClarinet = 71,
    kPiccolo = 72,
    kFlute = 73,
    kRecorder = 74,
};

// Laid out by hand: the melodies and chords break at bar lines, which a formatter cannot see.
// clang-format off
const Tune kTunes[kTrackCount] = {
    {.info = {1, "Good King Wencesles", T, 112, "horn, flute / strings / cello"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "G4q G G A | G G D4h | E4q D E F# | G4h G | G4q G G A | G G D4h | E4q D E F# | G4h G | "
     "D5q C B4 A | B A G4h | E4q D E F# | G4h G | D4q D E F# | G G A4h | D5q C B4 A | G4h C5 | G4w",
     .chords =
     "G | G:2 D:2 | C:2 D:2 | G | G | G:2 D:2 | C:2 D:2 | G | G:2 D:2 | G | C:2 D:2 | G | D | G:2 D:2 | "
     "G:2 D:2 | Em:2 C:2 | G",
     .style = Style::March,
     .melodyProgram = kFrenchHorn,
     .melodyProgram2 = kFlute,
     .chordProgram = kStrings,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 0},

    {.info = {2, "We Three Kings", T, 100, "oboe, clarinet / harp / cello"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "B4h A4q | G4h E4q | F#4q G F# | E4h. | B4h A4q | G4h E4q | F#4q G F# | E4h. | "
     "G4q G A | B B D5 | C5q B4 A | B4h. | A4q B A | G4h F#4q | E4h. | "
     "D5h D5q | B4h D5q | D5q A4 D5 | D5h. | D5h D5q | B4h D5q | D5q A4 D5 | D5h. | "
     "D5q E5 D5 | C5q B4 C5 | B4q A4 B4 | G4h. ",
     .chords =
     "Em | Em | B7 | Em | Em | Em | B7 | Em | G | G | Am | Em | Am | Em:2 B7:1 | Em | "
     "G | G | D | G | G | G | D | G | G | C | G:2 D:1 | G",
     .style = Style::Waltz,
     .melodyProgram = kOboe,
     .melodyProgram2 = kClarinet,
     .chordProgram = kHarp,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 0},

    {.info = {3, "Deck the Halls", T, 126, "harpsichord, flute / strings / bass"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D5q. C5e B4q A4q | G4q A4q B4q G4q | A4e B4e C5e A4e B4q. A4e | G4q F#4q G4h | "
     "D5q. C5e B4q A4q | G4q A4q B4q G4q | A4e B4e C5e A4e B4q. A4e | G4q F#4q G4h | "
     "A4q. B4e C5q A4q | B4q. C5e D5q A4q | B4e C#5e D5q E5e F#5e G5q | F#5q E5q D5h | "
     "D5q. C5e B4q A4q | G4q A4q B4q G4q | E5e E5e E5e E5e D5q. C5e | B4q A4q G4h",
     .chords =
     "G | G:2 D:2 | Am:2 D:2 | G:1 D:1 G:2 | G | G:2 D:2 | Am:2 D:2 | G:1 D:1 G:2 | "
     "D | G:2 D:2 | G:2 A:2 | A:2 D:2 | G | G:2 D:2 | C:2 D:2 | D:2 G:2",
     .style = Style::March,
     .melodyProgram = kHarpsichord,
     .melodyProgram2 = kFlute,
     .chordProgram = kStrings,
     .bassProgram = kAcousticBass,
     .drums = Drums::Sleigh,
     .loudness = 0,
     .pickup = 0},

    {.info = {4, "Joy to the World", T, 104, "trumpet, brass / organ / tuba"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D5h C#5q. B4e | A4h. G4q | F#4h E4h | D4h. A4q | B4h. B4q | C#5h. C#5q | D5h. D5q | "
     "D5q C#5 B4 A4 | A4q. G4e F#4q D5q | D5q C#5 B4 A4 | A4q. G4e F#4q F#4q | "
     "F#4q F#4 F#4 F#4e G4e | A4h. G4e F#4e | E4q E4 E4 E4e F#4e | G4h. F#4e E4e | "
     "D4q D5h B4q | A4q. G4e F#4q G4q | F#4h E4h | D4w",
     .chords =
     "D | D:3 A7:1 | D:2 A:2 | D | G | A | D | D | A7:2 D:2 | D | A7:2 D:2 | D | D | A | A7 | "
     "D:2 G:2 | D:2 A7:2 | D:2 A7:2 | D",
     .style = Style::Pad,
     .melodyProgram = kTrumpet,
     .melodyProgram2 = kBrass,
     .chordProgram = kChurchOrgan,
     .bassProgram = kTuba,
     .drums = Drums::None,
     .loudness = 6,
     .pickup = 0},

    {.info = {5, "Silent Night", T, 72, "flute, celesta / slow strings / contrabass"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "G4q. A4e G4q | E4h. | G4q. A4e G4q | E4h. | D5h D5q | B4h. | C5h C5q | G4h. | "
     "A4h A4q | C5q. B4e A4q | G4q. A4e G4q | E4h. | A4h A4q | C5q. B4e A4q | G4q. A4e G4q | E4h. | "
     "D5h D5q | F5q. D5e B4q | C5h. | E5h. | C5q G4 E4 | G4q. F4e D4q | C4h. | C4h.",
     .chords =
     "C | C | C | C | G | G | C | C | F | F | C | C | F | F | C | C | G | G7 | C | C | C | G7 | C | C",
     .style = Style::Pad,
     .melodyProgram = kFlute,
     .melodyProgram2 = kCelesta,
     .chordProgram = kSlowStrings,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = -6,
     .pickup = 0},

    {.info = {6, "Greensleeves", T, 100, "recorder, nylon guitar / harp / cello"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "A4q | C5h D5q | E5q. F5e E5q | D5h B4q | G4q. A4e B4q | C5h A4q | A4q. G#4e A4q | B4h G#4q | "
     "E4h A4q | C5h D5q | E5q. F5e E5q | D5h B4q | G4q. A4e B4q | C5q. B4e A4q | G#4q. F#4e G#4q | "
     "A4h. | A4h. | G5h. | G5q. F#5e E5q | D5h B4q | G4q. A4e B4q | C5h A4q | A4q. G#4e A4q | "
     "B4h G#4q | E4h. | G5h. | G5q. F#5e E5q | D5h B4q | G4q. A4e B4q | C5q. B4e A4q | "
     "G#4q. F#4e G#4q | A4h. | A4h",
     .chords =
     "R:1 Am C G Em Am Am E E Am C G Em Am E Am Am C G G Em Am Am E E C G G Em Am E Am Am:2",
     .style = Style::Arpeggio,
     .melodyProgram = kRecorder,
     .melodyProgram2 = kNylonGuitar,
     .chordProgram = kHarp,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = -4,
     .pickup = 1},

    {.info = {7, "Nut Cracker", T, 120, "trumpet, piccolo / brass / tuba (Tchaikovsky's march)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "G4e. G4s G4e G4e G4q D4q | G4e. A4s B4e C5e D5q B4q | A4e. A4s A4e A4e A4q D4q | "
     "A4e. B4s C5e D5e E5q C5q | B4e. B4s B4e B4e B4q G4q | C5e. C5s C5e C5e C5q A4q | "
     "D5e C5e B4e A4e G4q F#4q | G4h G4h | E5q E5e D5e C5q E5q | D5q D5e C5e B4q D5q | "
     "C5e B4e A4e G4e F#4q A4q | G4q B4q D5h | E5q E5e D5e C5q E5q | D5q D5e C5e B4q G4q | "
     "A4e B4e C5e A4e F#4q D4q | G4w",
     .chords =
     "G | G | D | D | G | C:2 Am:2 | D | G | C | G | D | G | C | G | D | G",
     .style = Style::March,
     .melodyProgram = kTrumpet,
     .melodyProgram2 = kPiccolo,
     .chordProgram = kBrass,
     .bassProgram = kTuba,
     .drums = Drums::Snare,
     .loudness = 0,
     .pickup = 0},

    {.info = {8, "Hark the Herald Angel", T, 100, "choir, trumpet / church organ / contrabass"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D4q G4q G4q. F#4e | G4q B4q B4q A4q | D5q D5q D5q. C5e | B4q A4q B4h | "
     "D4q G4q G4q. F#4e | G4q B4q B4q A4q | D5q A4q A4q. F#4e | F#4q E4q D4h | "
     "D5q D5q D5q G4q | C5q B4q B4q A4q | D5q D5q D5q G4q | C5q B4q B4q A4q | "
     "E5q E5q E5q D5q | C5q B4q C5h | A4q B4e C5e D5q. G4e | G4q A4q B4h | "
     "E5q. E5e E5q D5q | C5h B4h | A4q B4e C5e D5q. G4e | G4q A4q G4h",
     .chords =
     "G | G:2 D:2 | G | D:2 G:2 | G | G:2 D:2 | D | A7:2 D:2 | G | C:2 D:2 | G | C:2 D:2 | "
     "C | C:1 G:1 C:2 | D:2 G:2 | C:1 D:1 G:2 | C | C:2 G:2 | D7:2 G:2 | C:1 D:1 G:2",
     .style = Style::Pad,
     .melodyProgram = kChoir,
     .melodyProgram2 = kTrumpet,
     .chordProgram = kChurchOrgan,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 0},

    {.info = {9, "Holy Night", T, 84, "cello, violin / piano / contrabass"},
     .beatsPerBar = 6,
     .transpose = 0,
     .melody =
     "E4q. E4q E4e G4h. | G4q. A4q A4e F4q. A4q. | C5h. G4q. G4q. | E4q. D4q. C4q. E4q. | "
     "F4q. G4q. F4q. D4q. | C4h. R4h. | E4q. E4q E4e G4h. | G4q. A4q A4e F4q. A4q. | "
     "C5h. G4q. G4q. | F#4q. E4q. D4q. G4q. | A4q. G4q. F#4q. A4q. | G4h. R4h. | "
     "G4q. A4q. D4q. G4q. | A4h. G4q. C5q. | F4q. A4q. D4q. A4q. | C5h. B4q. G4q. | "
     "E5h. D5q. C5q. | B4q. C5q. B4q. A4q. | E5h. D5q. C5q. | G5h. E5q. C5q. | "
     "D5h. C5q. B4q. | C5h. G4q. A4q. | G4q. F4q. E4q. D4q. | C4w R4h",
     .chords =
     "C | F:3 C:3 | C | C:3 G:3 | F:3 G:3 | C | C | F:3 C:3 | C | D:3 G:3 | D | G | "
     "G:3 D:3 | D:3 C:3 | F:3 Dm:3 | C:3 G:3 | Am:3 G:3 | G:3 D:3 | Am:3 Em:3 | C | "
     "G | C:3 F:3 | G | C",
     .style = Style::Arpeggio,
     .melodyProgram = kCello,
     .melodyProgram2 = kViolin,
     .chordProgram = kPiano,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = -2,
     .pickup = 0},

    {.info = {10, "Rudolph", O, 132, "clarinet, glockenspiel / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "C5q A4e C5e F5h | E5q D5e C5e D5h | Bb4q G4e Bb4e E5h | D5q C5e Bb4e C5h | "
     "A4q F4e A4e D5q C5q | Bb4q D5e Bb4e G4h | C5e D5e E5e F5e G5q E5q | F5h R4h | "
     "F5q. E5e D5q C5q | D5h Bb4h | E5q. D5e C5q Bb4q | C5h A4h | "
     "D5e C5e Bb4e A4e G4q Bb4q | A4e Bb4e C5e D5e E5q G5q | F5q C5q A4q E5q | F5w",
     .chords =
     "F | Bb:2 F:2 | C | C7:2 F:2 | F:2 Dm:2 | Gm:2 C:2 | C7 | F | Bb | Bb:2 Gm:2 | C | F | "
     "Gm:2 C:2 | C7 | F:2 C7:2 | F",
     .style = Style::March,
     .melodyProgram = kClarinet,
     .melodyProgram2 = kGlockenspiel,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Sleigh,
     .loudness = 0,
     .pickup = 0},

    {.info = {11, "Santas comin' to Town", O, 138, "trumpet, clarinet / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "E4e G4e | C5q E5e D5e C5q A4q | G4h E4q G4e A4e | B4q B4e B4e A4q G4q | A4h R4q E4e G4e | "
     "C5q C5e C5e D5q E5q | F5h D5q B4e C5e | D5q C5e B4e A4q G4q | C5h. E4e G4e | "
     "F5q F5e E5e D5q C5q | B4h G4h | E5q E5e D5e C5q A4q | G4h. E4e G4e | "
     "A4q C5e A4e G4q E4q | D4q E4e F4e G4q B4q | C5q E5q D5q B4q | C5h.",
     .chords =
     "R:1 C | C | G7 | G7 | C | F:2 G:2 | G7 | C | F | G | Am:2 F:2 | C | F:2 C:2 | Dm:2 G:2 | "
     "C:2 G7:2 | C:3",
     .style = Style::March,
     .melodyProgram = kTrumpet,
     .melodyProgram2 = kClarinet,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Brush,
     .loudness = 0,
     .pickup = 1},

    {.info = {12, "Feliz Navidad", O, 140, "nylon guitar, trumpet / guitar / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D5e E5e D5q B4q G4q | A4e B4e A4q F#4h | G4e A4e G4q E4q C5q | B4h. R4q | "
     "D5e E5e D5q B4q G4q | A4e B4e A4q F#4h | G4q A4q B4q C5q | D5h. R4q | "
     "E5e E5e D5q C5q E5q | D5e D5e C5q B4q D5q | C5e C5e B4q A4q C5q | B4h G4h | "
     "E5e D5e C5q A4q F#4q | G4e A4e B4q D5q B4q | A4e G4e F#4q A4q D4q | G4w",
     .chords =
     "G | D | C | G | G | D | C:2 D:2 | G | C | G | Am | G:2 Em:2 | C:2 Am:2 | G | D7 | G",
     .style = Style::Arpeggio,
     .melodyProgram = kNylonGuitar,
     .melodyProgram2 = kTrumpet,
     .chordProgram = kNylonGuitar,
     .bassProgram = kAcousticBass,
     .drums = Drums::Brush,
     .loudness = 0,
     .pickup = 0},

    {.info = {13, "O Tannenbaum", T, 92, "French horn, oboe / strings / cello"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "D4q | G4e. G4s G4q. A4e | B4e. B4s B4q. B4e | A4e B4e C5q F#4q | A4q G4q D4q | "
     "G4e. G4s G4q. A4e | B4e. B4s B4q. B4e | A4e B4e C5q F#4q | A4q G4q D5e B4e | "
     "B4e A4e A4q. C5e | C5e B4e B4q. D5e | D5e C5e C5q. B4e | B4e A4e A4q D4q | "
     "G4e. G4s G4q. A4e | B4e. B4s B4q. B4e | A4e B4e C5q F#4q | A4q G4q",
     .chords =
     "R:1 G | G | D7 | D:1 G:2 | G | G | D7 | D:1 G:2 | D | G | D7 | D | G | G | D7 | D:1 G:1",
     .style = Style::Waltz,
     .melodyProgram = kFrenchHorn,
     .melodyProgram2 = kOboe,
     .chordProgram = kStrings,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 1},

    {.info = {14, "Jingle Bells", T, 144, "piano, glockenspiel / piano / bass"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D4q B4q A4q G4q | D4h. D4e D4e | D4q B4q A4q G4q | E4w | E4q C5q B4q A4q | F#4w | "
     "D5q D5q C5q A4q | B4w | D4q B4q A4q G4q | D4w | D4q B4q A4q G4q | E4h. E4q | "
     "E4q C5q B4q A4q | D5q D5q D5q D5q | E5q D5q C5q A4q | G4h D5h | "
     "B4q B4q B4h | B4q B4q B4h | B4q D5q G4q. A4e | B4w | C5q C5q C5q. C5e | C5q B4q B4q B4e B4e | "
     "B4q A4q A4q B4q | A4h D5h | B4q B4q B4h | B4q B4q B4h | B4q D5q G4q. A4e | B4w | "
     "C5q C5q C5q. C5e | C5q B4q B4q B4e B4e | D5q D5q C5q A4q | G4w",
     .chords =
     "G | G | G | C | C | D | D | G | G | G | G | C | C | D | D | G:2 D:2 | "
     "G | G | G | G | C | G | A7 | D7 | G | G | G | G | C | G | D7 | G",
     .style = Style::March,
     .melodyProgram = kPiano,
     .melodyProgram2 = kGlockenspiel,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Sleigh,
     .loudness = 4,
     .pickup = 0},

    {.info = {15, "Chestnuts Roasting ...", O, 76, "vibraphone, flute / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "E4q G4q B4q D5q | C5h. B4e A4e | G4q E4q A4q G4q | F#4w | D4q F#4q A4q C5q | "
     "B4h. A4e G4e | F#4q D4q G4q A4q | B4w | E4q G4q B4q D5q | E5h. D5e C5e | "
     "B4q G4q C5q B4q | A4h. R4q | A4q C5q E5q D5q | C5q B4q A4q G4q | F#4q A4q D5q F#4q | G4w",
     .chords =
     "Em7 | Am7 | Em:2 C:2 | B7 | D | G | Am:2 D:2 | G | Em | Am | Em:2 C:2 | D | Am | Em:2 C:2 | "
     "Am:2 D:2 | G",
     .style = Style::Arpeggio,
     .melodyProgram = kVibraphone,
     .melodyProgram2 = kFlute,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Brush,
     .loudness = -4,
     .pickup = 0},

    {.info = {16, "Away in the Manger", T, 96, "music box, flute / harp / cello"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "D4q | G4q G4q A4e B4e | G4q G4q B4e C5e | D5q D5q E5q | C5h A4e B4e | C5q C5q D5q | "
     "B4q B4q G4e B4e | A4q E4q G4q | F#4h D4q | G4q G4q A4e B4e | G4q G4q B4e C5e | "
     "D5q D5q E5q | C5h A4e B4e | C5q C5q D5q | B4q B4q G4e B4e | A4q D4q F#4q | G4h",
     .chords =
     "R:1 G | G | G | C | C | G | D | D | G | G | G | C | C | G | D7 | G:2",
     .style = Style::Waltz,
     .melodyProgram = kMusicBox,
     .melodyProgram2 = kFlute,
     .chordProgram = kHarp,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = -6,
     .pickup = 1},

    {.info = {17, "Lit'l Town Of Bethlehem", T, 88, "flute, clarinet / strings / cello"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "B4q | B4q A#4q B4q D5q | C5q E4q A4q. G4e | F#4q G4q A4q D4q | B4h. B4q | "
     "B4q A#4q B4q E5q | D5q C5q E4q A4q | G4q F#4q G4q A4q | B4h. B4q | "
     "B4q B4q A4q G4q | F#4h F#4q F#4q | E4q F#4q G4q E4q | F#4h. B4q | "
     "B4q A#4q B4q D5q | C5q E4q E5q. D5e | D5q G4q A4q F#4q | G4h.",
     .chords =
     "R:1 G | Am:2 D:2 | D | G | G | Am:2 C:2 | G:2 D:2 | G | Em:2 C:2 | B7 | Em:2 C:2 | B7 | "
     "G | Am:2 C:2 | G:2 D7:2 | G:3",
     .style = Style::Pad,
     .melodyProgram = kFlute,
     .melodyProgram2 = kClarinet,
     .chordProgram = kStrings,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = -4,
     .pickup = 1},

    {.info = {18, "O Come All Ye Faithful", T, 96, "trumpet, choir / church organ / tuba"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "G4q | G4h D4q G4q | A4h D4h | B4q A4q B4q C5q | B4h A4q G4q | G4h F#4q E4q | "
     "F#4q G4q A4q B4q | F#4h E4q. D4e | D4w | "
     "D5h C5q B4q | C5h B4h | A4q B4q G4q A4q | F#4q. E4e D4q G4q | "
     "G4q F#4q G4q A4q | G4h D4q B4q | B4q A4q B4q C5q | B4h A4q B4q | C5q B4q A4q G4q | "
     "F#4h G4q C5q | B4h A4q. G4e | G4h.",
     .chords =
     "R:1 G | D | G:1 D:1 G:1 C:1 | G:2 D:2 | Em:2 D:1 C:1 | D:1 G:1 D:1 G:1 | D:2 A7:2 | D | "
     "G:2 D7:1 G:1 | C:2 G:2 | D:1 G:1 C:1 D:1 | D:2 G:2 | "
     "G:1 D:1 G:1 D:1 | G:2 D:1 G:1 | G:1 D:1 G:1 C:1 | G:2 D:1 G:1 | C:1 G:1 D:1 Em:1 | "
     "D:2 G:1 C:1 | G:2 D:2 | G:3",
     .style = Style::Pad,
     .melodyProgram = kTrumpet,
     .melodyProgram2 = kChoir,
     .chordProgram = kChurchOrgan,
     .bassProgram = kTuba,
     .drums = Drums::None,
     .loudness = 4,
     .pickup = 1},

    {.info = {19, "Little Drummer Boy", O, 104, "oboe, French horn / strings / cello + snare (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D5q B4q G4q B4q | A4q F#4q G4h | A4q A4q B4q C5q | D5h. R4q | D5q C5q B4q A4q | "
     "B4q A4q G4q E4q | F#4q G4q A4q F#4q | G4h. R4q | B4q B4q C5q D5q | E5h D5h | "
     "C5q C5q B4q A4q | B4h. R4q | G4q B4q D5q B4q | C5q A4q F#4q A4q | G4q F#4q E4q F#4q | G4w",
     .chords =
     "G | D:2 G:2 | D | D | G | Em | D | G | G | C:2 G:2 | Am:2 D:2 | G | G | Am:2 D:2 | "
     "Em:2 D:2 | G",
     .style = Style::Pad,
     .melodyProgram = kOboe,
     .melodyProgram2 = kFrenchHorn,
     .chordProgram = kStrings,
     .bassProgram = kCello,
     .drums = Drums::Snare,
     .loudness = 0,
     .pickup = 0},

    {.info = {20, "God Rest Ye Merry Gents", T, 112, "bassoon, clarinet / strings / cello"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "E4q | E4q B4q B4q A4q | G4q F#4q E4q D4q | E4q F#4q G4q A4q | B4h. E4q | E4q B4q B4q A4q | "
     "G4q F#4q E4q D4q | E4q F#4q G4q A4q | B4h. B4q | C5q A4q B4q C5q | D5q E5q B4q A4q | "
     "G4q E4q F#4q G4q | A4h G4q A4q | B4h C5q B4q | B4q A4q G4q F#4q | E4h G4e F#4e E4q | "
     "A4h G4q A4q | B4q C5q D5q E5q | B4q A4q G4q F#4q | E4h.",
     .chords =
     "R:1 Em | Em:2 B7:2 | Em | Em:2 B7:1 Em:1 | Em | Em:2 B7:2 | Em | Em:2 B7:1 Em:1 | Am:2 G:2 | "
     "G:2 D:2 | Em:2 D:2 | D:2 G:2 | G:2 C:2 | C:2 D:2 | Em:2 G:2 | D:2 G:2 | G:2 C:2 | Em:2 B7:2 | "
     "Em:3",
     .style = Style::March,
     .melodyProgram = kBassoon,
     .melodyProgram2 = kClarinet,
     .chordProgram = kStrings,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 1},

    {.info = {21, "Sugarplum Fairy", T, 76, "celesta, music box / strings / contrabass (Tchaikovsky)"},
     .beatsPerBar = 2,
     .transpose = 0,
     .melody =
     "G5e E5e G5e F#5e | D#5e E5e R4e E5e | D5e D5e D5e C#5e | C5e C5e C5e B4e | "
     "E5e C5e E5e D#5e | B4e C5e R4e C5e | B4e G4e B4e A#4e | G4e F#4e R4q | "
     "G5e E5e G5e F#5e | D#5e E5e R4e E5e | D5e D5e D5e C#5e | C5e C5e C5e B4e | "
     "E5e C5e E5e D#5e | B4e C5e D5e F#4e | G4e B4e A4e F#4e | E4q R4q",
     .chords =
     "Em | Em | E7 | Am | Am | Am | Em:1 B:1 | Em:1 B:1 | Em | Em | E7 | Am | Am | Am:1 D:1 | "
     "G:1 B7:1 | Em",
     .style = Style::Pad,
     .melodyProgram = kCelesta,
     .melodyProgram2 = kMusicBox,
     .chordProgram = kStrings,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = -4,
     .pickup = 0},

    {.info = {22, "Let it Snow", O, 120, "clarinet, vibraphone / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "G4e A4e B4e G4e D5q B4q | C5q A4q G4h | A4e B4e C5e A4e E5q C5q | D5h. R4q | "
     "E5q D5e C5e B4q A4q | G4q E4q D4h | E4e G4e A4e B4e C5q A4q | B4h. R4q | "
     "G4e A4e B4e G4e D5q B4q | C5q A4q G4h | A4e B4e C5e A4e E5q G5q | F#5h. E5q | "
     "D5q B4q C5q A4q | B4q G4q A4q F#4q | G4q A4q B4q D4q | G4w",
     .chords =
     "G | C:2 G:2 | Am | D | C:2 G:2 | Em:2 D:2 | Am | Em | G | C:2 G:2 | Am:2 C:2 | D | "
     "G:2 Am:2 | Em:2 D:2 | C:2 D7:2 | G",
     .style = Style::Arpeggio,
     .melodyProgram = kClarinet,
     .melodyProgram2 = kVibraphone,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Brush,
     .loudness = 0,
     .pickup = 0},

    {.info = {23, "12 Days of Christmas", T, 120, "flute, recorder / harpsichord / bassoon"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "D4e D4e | D4q G4e G4e G4q F#4e G4e | A4e B4e C5e A4e B4q. C5e | D5h E5q C#5q | D5h. R4q | "
     "D5e C5e B4e A4e G4q. A4e | B4e G4e A4q D4q. D4e | D5q E5e C5e B4q A4q | G4h.",
     .chords =
     "R:1 G | D:2 G:2 | D:2 A:2 | D | D7 | G:2 D:2 | G:2 D:2 | G:3",
     .style = Style::Arpeggio,
     .melodyProgram = kFlute,
     .melodyProgram2 = kRecorder,
     .chordProgram = kHarpsichord,
     .bassProgram = kBassoon,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 1},

    {.info = {24, "Frosty the Snowman", O, 144, "trumpet, clarinet / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "C5q C5e E5e G5q E5q | D5q C5q A4h | G4q A4e B4e C5q D5q | E5h. R4q | "
     "F5q F5e E5e D5q C5q | B4q A4q G4h | A4q B4e C5e D5q B4q | C5h. R4q | "
     "E5q E5e E5e F5q E5q | D5q C5q D5h | C5q C5e C5e D5q C5q | B4q A4q G4h | "
     "A4q A4e B4e C5q A4q | G4q E4q C4h | D4q E4e F4e G4q B4q | C5h. R4q",
     .chords =
     "C | F:2 Am:2 | C:2 G:2 | C | F | G | F:2 G:2 | C | C | G | C:2 F:2 | G | F | C | G7 | C",
     .style = Style::March,
     .melodyProgram = kTrumpet,
     .melodyProgram2 = kClarinet,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Sleigh,
     .loudness = 0,
     .pickup = 0},

    {.info = {25, "Choir of Bells (Loud)", T, 132, "tubular bells, choir / bells / contrabass (Shchedryk)"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | D5e C#5s D5s B4e D5e C#5s D5s B4e | "
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | D5e C#5s D5s B4e D5e C#5s D5s B4e | "
     "F#5e E5s F#5s D5e F#5e E5s F#5s D5e | F#5e E5s F#5s D5e F#5e E5s F#5s D5e | "
     "G5e F#5s G5s E5e G5e F#5s G5s E5e | G5e F#5s G5s E5e G5e F#5s G5s E5e | "
     "B5e B5s B5s A5e G5e F#5s F#5s E5e | D5e D5s D5s E5e F#5e E5s D5s C#5e | "
     "B4e B4s B4s A4e G4e F#4s F#4s E4e | D4e D4s D4s E4e F#4e E4s D4s C#4e | "
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | D5e C#5s D5s B4e D5e C#5s D5s B4e | "
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | B4h.",
     .chords =
     "Bm | Bm | Bm | Bm | D | D | Em | Em | G | D:2 F#:1 | G | Bm:2 F#:1 | Bm | Bm | Bm | Bm",
     .style = Style::Bells,
     .melodyProgram = kTubularBells,
     .melodyProgram2 = kChoir,
     .chordProgram = kTubularBells,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = 18,
     .pickup = 0},

    {.info = {26, "Christmas Medley", T, 116, "piano, strings / piano / bass (Angels We Have Heard on High, "
                                  "Ding Dong Merrily on High)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "B4q B4q B4q D5q | D5q. C5e B4h | B4q A4q B4q D5q | B4q. A4e G4h | "
     "B4q B4q B4q D5q | D5q. C5e B4h | B4q A4q B4q D5q | B4q. A4e G4h | "
     "D5q. E5e D5e C5e B4e C5e | C5q. D5e C5e B4e A4e B4e | B4q. C5e B4e A4e G4e A4e | A4h D4h | "
     "G4q A4q B4q C5q | B4h A4h | G4w | "
     "G4q G4q A4e G4e F#4e E4e | D4h. D4q | E4q G4q G4q F#4q | G4h G4h | "
     "D5q. C5e B4e C5e D5e B4e | C5q. B4e A4e B4e C5e A4e | B4q. A4e G4e A4e B4e G4e | "
     "A4q. G4e F#4e G4e A4e F#4e | G4q D4q E4q F#4q | G4w",
     .chords =
     "G | G | G:2 D:2 | G | G | G | G:2 D:2 | G | G:2 C:2 | C:2 G:2 | G:2 D:2 | D | G:2 C:2 | G:2 D:2 | G | "
     "G:2 D:2 | D | C:2 D:2 | G | G | C:2 Am:2 | G:2 Em:2 | D | Em:2 D:2 | G",
     .style = Style::Pad,
     .melodyProgram = kPiano,
     .melodyProgram2 = kStrings,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::Sleigh,
     .loudness = 0,
     .pickup = 0},

    {.info = {27, "Do You Hear What I Hear", O, 96, "oboe, flute / strings / cello (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "E4h G4q A4q | B4h. A4q | G4q A4q B4q D5q | E5h. R4q | D5q B4q A4q G4q | "
     "A4h. E4q | F#4q G4q A4q F#4q | E4h. R4q | E5h D5q C5q | B4h. A4q | "
     "C5q B4q A4q G4q | A4h. R4q | B4q G4q E4q G4q | A4q F#4q D4q F#4q | G4q F#4q D4q F#4q | E4w",
     .chords =
     "Em | G | Em:2 G:2 | C | G | Am | D | Em | C | G | Am:2 Em:2 | D | Em | D | G:2 D:2 | Em",
     .style = Style::Pad,
     .melodyProgram = kOboe,
     .melodyProgram2 = kFlute,
     .chordProgram = kSlowStrings,
     .bassProgram = kCello,
     .drums = Drums::Brush,
     .loudness = -2,
     .pickup = 0},

    {.info = {28, "Emmanuel", T, 84, "choir, oboe / church organ / contrabass"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "E4q | G4q B4q B4q B4q | A4q C5q B4q A4q | G4h. A4q | B4q G4q E4q G4q | A4q F#4q E4q D4q | "
     "E4h. A4q | A4q E4q E4q F#4q | G4h F#4q E4q | D4h. G4q | A4q B4q B4q B4q | A4q C5q B4q A4q | "
     "G4h. D5q | D5h. B4q | B4h. B4q | A4q C5q B4q A4q | G4h. A4q | B4q G4q E4q G4q | "
     "A4q F#4q E4q D4q | E4h.",
     .chords =
     "R:1 Em | Am:2 D:2 | G | Em | D | Em | Am | G:2 Em:2 | D | G | Am:2 D:2 | G | G | Em | "
     "Am:2 D:2 | G | Em | D | Em:3",
     .style = Style::Pad,
     .melodyProgram = kChoir,
     .melodyProgram2 = kOboe,
     .chordProgram = kChurchOrgan,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = -2,
     .pickup = 1},

    {.info = {29, "My Favorite Things", O, 168, "flute, clarinet / harp / bass (an original tune)"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "G4q F#4q E4q | B4h. | A4q G4q F#4q | E4h. | G4q A4q B4q | E5h D5q | C5q B4q A4q | B4h. | "
     "C5q B4q A4q | G4h E4q | A4q G4q F#4q | D#4h. | E4q F#4q G4q | B4q A4q G4q | F#4q E4q D#4q | E4h. | "
     "E4q G4q B4q | A4q C5q E5q | D5q B4q G4q | A4h. | F#4q A4q C5q | B4q G4q E4q | F#4q D#4q B3q | E4h.",
     .chords =
     "Em | Em | Am:2 B7:1 | Em | G | C | Am | B7 | Am | Em | B7 | B7 | Em | Em:2 C:1 | B7 | Em | Em | Am | G | D | "
     "D | Em | B7 | Em",
     .style = Style::Waltz,
     .melodyProgram = kFlute,
     .melodyProgram2 = kClarinet,
     .chordProgram = kHarp,
     .bassProgram = kAcousticBass,
     .drums = Drums::None,
     .loudness = -2,
     .pickup = 0},

    {.info = {30, "Merry Little Christmas", O, 72, "piano, strings / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "C5q E5q D5q C5q | B4h G4h | A4q C5q B4q A4q | G4w | F4q A4q G4q F4q | E4h C4h | "
     "D4q F4q E4q D4q | G4w | C5q E5q D5q C5q | B4h G4h | A4q C5q F5q E5q | D5w | "
     "C5q B4q A4q G4q | F4q E4q D4q F4q | E4q D4q C4q D4q | C4w",
     .chords =
     "Cmaj7 | Em7 | Am7 | G | Fmaj7 | Am | Dm7 | G7 | Cmaj7 | Em7 | F | G | Am | Dm7 | G7 | C",
     .style = Style::Arpeggio,
     .melodyProgram = kPiano,
     .melodyProgram2 = kSlowStrings,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::None,
     .loudness = -6,
     .pickup = 0},

    {.info = {31, "... Upon a Midnight Clear", T, 100, "strings, flute / harp / cello"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "D4q | B4h A4q | G4h E4q | D4h E4q | G4q G4q A4q | B4h. | B4h B4q | A4h A4q | "
     "G4h D4q | A4h. | B4h A4q | G4h E4q | D4h E4q | G4q G4q A4q | B4h A4q | G4h D4q | "
     "E4q G4q F#4q | G4h",
     .chords =
     "R:1 G | C | G | G:2 D:1 | G | G | D | G | D | G | C | G | G:2 D:1 | G | G:2 D:1 | C:2 D:1 | G:2",
     .style = Style::Waltz,
     .melodyProgram = kStrings,
     .melodyProgram2 = kFlute,
     .chordProgram = kHarp,
     .bassProgram = kCello,
     .drums = Drums::None,
     .loudness = -4,
     .pickup = 1},

    {.info = {32, "Noel", T, 96, "choir, French horn / strings / contrabass"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "F#4e E4e | D4q. E4e F#4e G4e | A4h B4e C#5e | D5q C#5q B4q | A4h B4e C#5e | D5q C#5q B4q | "
     "A4q B4q C#5q | D5q A4q G4q | F#4h F#4e E4e | D4q. E4e F#4e G4e | A4h B4e C#5e | D5q C#5q B4q | "
     "A4h B4e C#5e | D5q C#5q B4q | A4q B4q C#5q | D5q A4q G4q | F#4h F#4e E4e | D4q. E4e F#4e G4e | "
     "A4h D5e C#5e | B4h B4q | A4h. | D5q C#5q B4q | A4q B4q C#5q | D5q A4q G4q | F#4h",
     .chords =
     "R:1 D | D | G | D | G:2 A:1 | D | D:2 G:1 | D | D | D | G | D | G:2 A:1 | D | D:2 G:1 | D | D | "
     "D | G | D | G:2 A:1 | D | D:2 G:1 | D:2",
     .style = Style::Pad,
     .melodyProgram = kChoir,
     .melodyProgram2 = kFrenchHorn,
     .chordProgram = kStrings,
     .bassProgram = kContrabass,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 1},

    {.info = {33, "Silver Bells", O, 108, "glockenspiel, celesta / strings / bass (an original tune)"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "E4h. | G4h C5q | B4h. | G4h. | A4q B4q C5q | D5h C5q | B4h. | G4h. | F4h. | D5h C5q | "
     "B4h. | G4h. | A4q G4q F4q | E4h D4q | C4h. | R4h. | E4h. | C5h B4q | A4h. | E4h. | "
     "F4q G4q A4q | B4h A4q | G4h. | R4h. | E4h. | G4h C5q | D5h. | A4h. | D5q C5q B4q | "
     "A4h B4q | C5h. | C5h.",
     .chords =
     "C | C | G | C | F | G | G | G | G7 | G7 | G | G | Dm | G | C | C | Am | Am | F | F | "
     "Dm | G | C | C | C | C | G | F | Dm | G | C | C",
     .style = Style::Waltz,
     .melodyProgram = kGlockenspiel,
     .melodyProgram2 = kCelesta,
     .chordProgram = kStrings,
     .bassProgram = kAcousticBass,
     .drums = Drums::None,
     .loudness = -2,
     .pickup = 0},

    {.info = {34, "So this is Christmas", O, 96, "acoustic guitar, strings / guitar / bass (an original tune)"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "B4q A4q G4q | E4h. | F#4q G4q A4q | B4h. | C5q B4q A4q | G4h F#4q | E4h. | R4h. | "
     "B4q A4q G4q | A4h. | G4q F#4q E4q | F#4h. | E4q F#4q G4q | A4q G4q F#4q | E4h. | R4h. | "
     "G4q A4q B4q | C5h. | B4q A4q G4q | A4h. | G4q A4q B4q | D5h C5q | B4h. | R4h. | "
     "B4q A4q G4q | A4h F#4q | G4q F#4q E4q | D4h. | E4q G4q F#4q | E4h. | E4h. | R4h.",
     .chords =
     "Em | C | D | G | Am | Em:2 D:1 | Em | Em | G | D | Em | D | C | D | Em | Em | C | C | G | D | C | D | "
     "G | G | Em | D | C | D | C | Em | Em | Em",
     .style = Style::Waltz,
     .melodyProgram = kSteelGuitar,
     .melodyProgram2 = kStrings,
     .chordProgram = kSteelGuitar,
     .bassProgram = kAcousticBass,
     .drums = Drums::None,
     .loudness = -2,
     .pickup = 0},

    {.info = {35, "The Holly and the Ivy", T, 104, "recorder, oboe / harpsichord / bassoon"},
     .beatsPerBar = 3,
     .transpose = 0,
     .melody =
     "G4q | G4q G4q G4q | E5h D5q | B4q. A4e G4q | G4q G4q G4q | E5h D5q | B4h G4q | "
     "G4q G4q G4q | E5h D5q | B4q. A4e G4q | G4q A4q B4q | C5q B4q A4q | G4h D5q | "
     "E5q D5q C5q | B4q A4q G4q | E5h D5q | B4q. A4e G4q | C5q B4q A4q | G4h",
     .chords =
     "R:1 G | C:2 G:1 | G:2 D:1 | G | C:2 G:1 | G | G | C:2 G:1 | G:2 D:1 | G | C:2 D:1 | G:2 D:1 | "
     "C | G:2 D:1 | C:2 G:1 | G:2 D:1 | Am:2 D:1 | G:2",
     .style = Style::Arpeggio,
     .melodyProgram = kRecorder,
     .melodyProgram2 = kOboe,
     .chordProgram = kHarpsichord,
     .bassProgram = kBassoon,
     .drums = Drums::None,
     .loudness = 0,
     .pickup = 1},

    {.info = {36, "I'll be Home for Christmas", O, 80, "French horn, strings / piano / bass (an original tune)"},
     .beatsPerBar = 4,
     .transpose = 0,
     .melody =
     "E4q G4q C5q B4q | A4h G4h | F4q A4q D5q C5q | B4w | A4q C5q E5q D5q | C5h A4h | "
     "G4q F4q E4q D4q | E4w | E4q G4q C5q B4q | A4h G4h | F4q A4q D5q C5q | B4h. C5q | "
     "D5q C5q B4q A4q | G4q E4q F4q D4q | E4q D4q C4q D4q | C4w",
     .chords =
     "C | F:2 C:2 | Dm | G7 | Am | F | Dm:2 G:2 | C | C | F:2 C:2 | Dm | G | Dm:2 G:2 | C:2 Dm:2 | "
     "C:2 G7:2 | C",
     .style = Style::Arpeggio,
     .melodyProgram = kFrenchHorn,
     .melodyProgram2 = kSlowStrings,
     .chordProgram = kPiano,
     .bassProgram = kAcousticBass,
     .drums = Drums::None,
     .loudness = -4,
     .pickup = 0},
};
// clang-format on

}  // namespace

const Tune& TuneFor(int n) {
    if (n < 1 || n > kTrackCount) throw std::out_of_range("no such track");
    return kTunes[n - 1];
}

const TrackInfo& Track(int n) { return TuneFor(n).info; }

Bytes MakeTrack(int n) { return Arrange(TuneFor(n)); }

}  // namespace soundgen
