// The 36 carols. Traditional tunes are arranged from the old melodies; where a title's own
// song is a modern one, the track is a new tune of ours written in the same spirit.
//
// General MIDI programs (0-based) used below: 0 piano, 6 harpsichord, 8 celesta,
// 9 glockenspiel, 10 music box, 11 vibraphone, 14 tubular bells, 19 church organ, 21 accordion,
// 24 nylon guitar, 32 acoustic bass, 42 cello, 43 contrabass, 46 harp, 48 strings,
// 49 slow strings, 52 choir, 56 trumpet, 58 tuba, 60 French horn, 61 brass, 68 oboe,
// 70 bassoon, 71 clarinet, 72 piccolo, 73 flute, 74 recorder.

#include <stdexcept>

#include "soundgen/arranger.h"

namespace soundgen {
namespace {

constexpr TuneOrigin T = TuneOrigin::Traditional;
constexpr TuneOrigin O = TuneOrigin::Original;

const Tune kTunes[kTrackCount] = {
    {{1, "Good King Wencesles", T, 112, "horn, flute / strings / cello"}, 4, 0,
     "G4q G G A | G G D4h | E4q D E F# | G4h G | G4q G G A | G G D4h | E4q D E F# | G4h G | "
     "D5q C B4 A | B A G4h | E4q D E F# | G4h G | D4q D E F# | G G A4h | D5q C B4 A | G4h C5 | G4w",
     "G | G:2 D:2 | C:2 D:2 | G | G | G:2 D:2 | C:2 D:2 | G | G:2 D:2 | G | C:2 D:2 | G | D | G:2 D:2 | "
     "G:2 D:2 | Em:2 C:2 | G",
     Style::March, 60, 73, 48, 42, Drums::None, 0, 0},

    {{2, "We Three Kings", T, 100, "oboe, clarinet / harp / cello"}, 3, 0,
     "B4h A4q | G4h E4q | F#4q G F# | E4h. | B4h A4q | G4h E4q | F#4q G F# | E4h. | "
     "G4q G A | B B D5 | C5q B4 A | B4h. | A4q B A | G4h F#4q | E4h. | "
     "D5h D5q | B4h D5q | D5q A4 D5 | D5h. | D5h D5q | B4h D5q | D5q A4 D5 | D5h. | "
     "D5q E5 D5 | C5q B4 C5 | B4q A4 B4 | G4h. ",
     "Em | Em | B7 | Em | Em | Em | B7 | Em | G | G | Am | Em | Am | Em:2 B7:1 | Em | "
     "G | G | D | G | G | G | D | G | G | C | G:2 D:1 | G",
     Style::Waltz, 68, 71, 46, 42, Drums::None, 0, 0},

    {{3, "Deck the Halls", T, 126, "harpsichord, flute / strings / bass"}, 4, 0,
     "D5q. C5e B4q A4q | G4q A4q B4q G4q | A4e B4e C5e A4e B4q. A4e | G4q F#4q G4h | "
     "D5q. C5e B4q A4q | G4q A4q B4q G4q | A4e B4e C5e A4e B4q. A4e | G4q F#4q G4h | "
     "A4q. B4e C5q A4q | B4q. C5e D5q A4q | B4e C#5e D5q E5e F#5e G5q | F#5q E5q D5h | "
     "D5q. C5e B4q A4q | G4q A4q B4q G4q | E5e E5e E5e E5e D5q. C5e | B4q A4q G4h",
     "G | G:2 D:2 | Am:2 D:2 | G:1 D:1 G:2 | G | G:2 D:2 | Am:2 D:2 | G:1 D:1 G:2 | "
     "D | G:2 D:2 | G:2 A:2 | A:2 D:2 | G | G:2 D:2 | C:2 D:2 | D:2 G:2",
     Style::March, 6, 73, 48, 32, Drums::Sleigh, 0, 0},

    {{4, "Joy to the World", T, 104, "trumpet, brass / organ / tuba"}, 4, 0,
     "D5h C#5q. B4e | A4h. G4q | F#4h E4h | D4h. A4q | B4h. B4q | C#5h. C#5q | D5h. D5q | "
     "D5q C#5 B4 A4 | A4q. G4e F#4q D5q | D5q C#5 B4 A4 | A4q. G4e F#4q F#4q | "
     "F#4q F#4 F#4 F#4e G4e | A4h. G4e F#4e | E4q E4 E4 E4e F#4e | G4h. F#4e E4e | "
     "D4q D5h B4q | A4q. G4e F#4q G4q | F#4h E4h | D4w",
     "D | D:3 A7:1 | D:2 A:2 | D | G | A | D | D | A7:2 D:2 | D | A7:2 D:2 | D | D | A | A7 | "
     "D:2 G:2 | D:2 A7:2 | D:2 A7:2 | D",
     Style::Pad, 56, 61, 19, 58, Drums::None, 6, 0},

    {{5, "Silent Night", T, 72, "flute, celesta / slow strings / contrabass"}, 3, 0,
     "G4q. A4e G4q | E4h. | G4q. A4e G4q | E4h. | D5h D5q | B4h. | C5h C5q | G4h. | "
     "A4h A4q | C5q. B4e A4q | G4q. A4e G4q | E4h. | A4h A4q | C5q. B4e A4q | G4q. A4e G4q | E4h. | "
     "D5h D5q | F5q. D5e B4q | C5h. | E5h. | C5q G4 E4 | G4q. F4e D4q | C4h. | C4h.",
     "C | C | C | C | G | G | C | C | F | F | C | C | F | F | C | C | G | G7 | C | C | C | G7 | C | C",
     Style::Pad, 73, 8, 49, 43, Drums::None, -6, 0},

    {{6, "Greensleeves", T, 100, "recorder, nylon guitar / harp / cello"}, 3, 0,
     "A4q | C5h D5q | E5q. F5e E5q | D5h B4q | G4q. A4e B4q | C5h A4q | A4q. G#4e A4q | B4h G#4q | "
     "E4h A4q | C5h D5q | E5q. F5e E5q | D5h B4q | G4q. A4e B4q | C5q. B4e A4q | G#4q. F#4e G#4q | "
     "A4h. | A4h. | G5h. | G5q. F#5e E5q | D5h B4q | G4q. A4e B4q | C5h A4q | A4q. G#4e A4q | "
     "B4h G#4q | E4h. | G5h. | G5q. F#5e E5q | D5h B4q | G4q. A4e B4q | C5q. B4e A4q | "
     "G#4q. F#4e G#4q | A4h. | A4h",
     "R:1 Am C G Em Am Am E E Am C G Em Am E Am Am C G G Em Am Am E E C G G Em Am E Am Am:2",
     Style::Arpeggio, 74, 24, 46, 42, Drums::None, -4, 1},

    {{7, "Nut Cracker", T, 120, "trumpet, piccolo / brass / tuba (Tchaikovsky's march)"}, 4, 0,
     "G4e. G4s G4e G4e G4q D4q | G4e. A4s B4e C5e D5q B4q | A4e. A4s A4e A4e A4q D4q | "
     "A4e. B4s C5e D5e E5q C5q | B4e. B4s B4e B4e B4q G4q | C5e. C5s C5e C5e C5q A4q | "
     "D5e C5e B4e A4e G4q F#4q | G4h G4h | E5q E5e D5e C5q E5q | D5q D5e C5e B4q D5q | "
     "C5e B4e A4e G4e F#4q A4q | G4q B4q D5h | E5q E5e D5e C5q E5q | D5q D5e C5e B4q G4q | "
     "A4e B4e C5e A4e F#4q D4q | G4w",
     "G | G | D | D | G | C:2 Am:2 | D | G | C | G | D | G | C | G | D | G",
     Style::March, 56, 72, 61, 58, Drums::Snare, 0, 0},

    {{8, "Hark the Herald Angel", T, 100, "choir, trumpet / church organ / contrabass"}, 4, 0,
     "D4q G4q G4q. F#4e | G4q B4q B4q A4q | D5q D5q D5q. C5e | B4q A4q B4h | "
     "D4q G4q G4q. F#4e | G4q B4q B4q A4q | D5q A4q A4q. F#4e | F#4q E4q D4h | "
     "D5q D5q D5q G4q | C5q B4q B4q A4q | D5q D5q D5q G4q | C5q B4q B4q A4q | "
     "E5q E5q E5q D5q | C5q B4q C5h | A4q B4e C5e D5q. G4e | G4q A4q B4h | "
     "E5q. E5e E5q D5q | C5h B4h | A4q B4e C5e D5q. G4e | G4q A4q G4h",
     "G | G:2 D:2 | G | D:2 G:2 | G | G:2 D:2 | D | A7:2 D:2 | G | C:2 D:2 | G | C:2 D:2 | "
     "C | C:1 G:1 C:2 | D:2 G:2 | C:1 D:1 G:2 | C | C:2 G:2 | D7:2 G:2 | C:1 D:1 G:2",
     Style::Pad, 52, 56, 19, 43, Drums::None, 0, 0},

    {{9, "Holy Night", T, 84, "cello, violin / piano / contrabass"}, 6, 0,
     "E4q. E4q E4e G4h. | G4q. A4q A4e F4q. A4q. | C5h. G4q. G4q. | E4q. D4q. C4q. E4q. | "
     "F4q. G4q. F4q. D4q. | C4h. R4h. | E4q. E4q E4e G4h. | G4q. A4q A4e F4q. A4q. | "
     "C5h. G4q. G4q. | F#4q. E4q. D4q. G4q. | A4q. G4q. F#4q. A4q. | G4h. R4h. | "
     "G4q. A4q. D4q. G4q. | A4h. G4q. C5q. | F4q. A4q. D4q. A4q. | C5h. B4q. G4q. | "
     "E5h. D5q. C5q. | B4q. C5q. B4q. A4q. | E5h. D5q. C5q. | G5h. E5q. C5q. | "
     "D5h. C5q. B4q. | C5h. G4q. A4q. | G4q. F4q. E4q. D4q. | C4w R4h",
     "C | F:3 C:3 | C | C:3 G:3 | F:3 G:3 | C | C | F:3 C:3 | C | D:3 G:3 | D | G | "
     "G:3 D:3 | D:3 C:3 | F:3 Dm:3 | C:3 G:3 | Am:3 G:3 | G:3 D:3 | Am:3 Em:3 | C | "
     "G | C:3 F:3 | G | C",
     Style::Arpeggio, 42, 40, 0, 43, Drums::None, -2, 0},

    {{10, "Rudolph", O, 132, "clarinet, glockenspiel / piano / bass (an original tune)"}, 4, 0,
     "C5q A4e C5e F5h | E5q D5e C5e D5h | Bb4q G4e Bb4e E5h | D5q C5e Bb4e C5h | "
     "A4q F4e A4e D5q C5q | Bb4q D5e Bb4e G4h | C5e D5e E5e F5e G5q E5q | F5h R4h | "
     "F5q. E5e D5q C5q | D5h Bb4h | E5q. D5e C5q Bb4q | C5h A4h | "
     "D5e C5e Bb4e A4e G4q Bb4q | A4e Bb4e C5e D5e E5q G5q | F5q C5q A4q E5q | F5w",
     "F | Bb:2 F:2 | C | C7:2 F:2 | F:2 Dm:2 | Gm:2 C:2 | C7 | F | Bb | Bb:2 Gm:2 | C | F | "
     "Gm:2 C:2 | C7 | F:2 C7:2 | F",
     Style::March, 71, 9, 0, 32, Drums::Sleigh, 0, 0},

    {{11, "Santas comin' to Town", O, 138, "trumpet, clarinet / piano / bass (an original tune)"}, 4, 0,
     "E4e G4e | C5q E5e D5e C5q A4q | G4h E4q G4e A4e | B4q B4e B4e A4q G4q | A4h R4q E4e G4e | "
     "C5q C5e C5e D5q E5q | F5h D5q B4e C5e | D5q C5e B4e A4q G4q | C5h. E4e G4e | "
     "F5q F5e E5e D5q C5q | B4h G4h | E5q E5e D5e C5q A4q | G4h. E4e G4e | "
     "A4q C5e A4e G4q E4q | D4q E4e F4e G4q B4q | C5q E5q D5q B4q | C5h.",
     "R:1 C | C | G7 | G7 | C | F:2 G:2 | G7 | C | F | G | Am:2 F:2 | C | F:2 C:2 | Dm:2 G:2 | "
     "C:2 G7:2 | C:3",
     Style::March, 56, 71, 0, 32, Drums::Brush, 0, 1},

    {{12, "Feliz Navidad", O, 140, "nylon guitar, trumpet / guitar / bass (an original tune)"}, 4, 0,
     "D5e E5e D5q B4q G4q | A4e B4e A4q F#4h | G4e A4e G4q E4q C5q | B4h. R4q | "
     "D5e E5e D5q B4q G4q | A4e B4e A4q F#4h | G4q A4q B4q C5q | D5h. R4q | "
     "E5e E5e D5q C5q E5q | D5e D5e C5q B4q D5q | C5e C5e B4q A4q C5q | B4h G4h | "
     "E5e D5e C5q A4q F#4q | G4e A4e B4q D5q B4q | A4e G4e F#4q A4q D4q | G4w",
     "G | D | C | G | G | D | C:2 D:2 | G | C | G | Am | G:2 Em:2 | C:2 Am:2 | G | D7 | G",
     Style::Arpeggio, 24, 56, 24, 32, Drums::Brush, 0, 0},

    {{13, "O Tannenbaum", T, 92, "French horn, oboe / strings / cello"}, 3, 0,
     "D4q | G4e. G4s G4q. A4e | B4e. B4s B4q. B4e | A4e B4e C5q F#4q | A4q G4q D4q | "
     "G4e. G4s G4q. A4e | B4e. B4s B4q. B4e | A4e B4e C5q F#4q | A4q G4q D5e B4e | "
     "B4e A4e A4q. C5e | C5e B4e B4q. D5e | D5e C5e C5q. B4e | B4e A4e A4q D4q | "
     "G4e. G4s G4q. A4e | B4e. B4s B4q. B4e | A4e B4e C5q F#4q | A4q G4q",
     "R:1 G | G | D7 | D:1 G:2 | G | G | D7 | D:1 G:2 | D | G | D7 | D | G | G | D7 | D:1 G:1",
     Style::Waltz, 60, 68, 48, 42, Drums::None, 0, 1},

    {{14, "Jingle Bells", T, 144, "piano, glockenspiel / piano / bass"}, 4, 0,
     "D4q B4q A4q G4q | D4h. D4e D4e | D4q B4q A4q G4q | E4w | E4q C5q B4q A4q | F#4w | "
     "D5q D5q C5q A4q | B4w | D4q B4q A4q G4q | D4w | D4q B4q A4q G4q | E4h. E4q | "
     "E4q C5q B4q A4q | D5q D5q D5q D5q | E5q D5q C5q A4q | G4h D5h | "
     "B4q B4q B4h | B4q B4q B4h | B4q D5q G4q. A4e | B4w | C5q C5q C5q. C5e | C5q B4q B4q B4e B4e | "
     "B4q A4q A4q B4q | A4h D5h | B4q B4q B4h | B4q B4q B4h | B4q D5q G4q. A4e | B4w | "
     "C5q C5q C5q. C5e | C5q B4q B4q B4e B4e | D5q D5q C5q A4q | G4w",
     "G | G | G | C | C | D | D | G | G | G | G | C | C | D | D | G:2 D:2 | "
     "G | G | G | G | C | G | A7 | D7 | G | G | G | G | C | G | D7 | G",
     Style::March, 0, 9, 0, 32, Drums::Sleigh, 4, 0},

    {{15, "Chestnuts Roasting ...", O, 76, "vibraphone, flute / piano / bass (an original tune)"}, 4, 0,
     "E4q G4q B4q D5q | C5h. B4e A4e | G4q E4q A4q G4q | F#4w | D4q F#4q A4q C5q | "
     "B4h. A4e G4e | F#4q D4q G4q A4q | B4w | E4q G4q B4q D5q | E5h. D5e C5e | "
     "B4q G4q C5q B4q | A4h. R4q | A4q C5q E5q D5q | C5q B4q A4q G4q | F#4q A4q D5q F#4q | G4w",
     "Em7 | Am7 | Em:2 C:2 | B7 | D | G | Am:2 D:2 | G | Em | Am | Em:2 C:2 | D | Am | Em:2 C:2 | "
     "Am:2 D:2 | G",
     Style::Arpeggio, 11, 73, 0, 32, Drums::Brush, -4, 0},

    {{16, "Away in the Manger", T, 96, "music box, flute / harp / cello"}, 3, 0,
     "D4q | G4q G4q A4e B4e | G4q G4q B4e C5e | D5q D5q E5q | C5h A4e B4e | C5q C5q D5q | "
     "B4q B4q G4e B4e | A4q E4q G4q | F#4h D4q | G4q G4q A4e B4e | G4q G4q B4e C5e | "
     "D5q D5q E5q | C5h A4e B4e | C5q C5q D5q | B4q B4q G4e B4e | A4q D4q F#4q | G4h",
     "R:1 G | G | G | C | C | G | D | D | G | G | G | C | C | G | D7 | G:2",
     Style::Waltz, 10, 73, 46, 42, Drums::None, -6, 1},

    {{17, "Lit'l Town Of Bethlehem", T, 88, "flute, clarinet / strings / cello"}, 4, 0,
     "B4q | B4q A#4q B4q D5q | C5q E4q A4q. G4e | F#4q G4q A4q D4q | B4h. B4q | "
     "B4q A#4q B4q E5q | D5q C5q E4q A4q | G4q F#4q G4q A4q | B4h. B4q | "
     "B4q B4q A4q G4q | F#4h F#4q F#4q | E4q F#4q G4q E4q | F#4h. B4q | "
     "B4q A#4q B4q D5q | C5q E4q E5q. D5e | D5q G4q A4q F#4q | G4h.",
     "R:1 G | Am:2 D:2 | D | G | G | Am:2 C:2 | G:2 D:2 | G | Em:2 C:2 | B7 | Em:2 C:2 | B7 | "
     "G | Am:2 C:2 | G:2 D7:2 | G:3",
     Style::Pad, 73, 71, 48, 42, Drums::None, -4, 1},

    {{18, "O Come All Ye Faithful", T, 96, "trumpet, choir / church organ / tuba"}, 4, 0,
     "G4h G4q D4q | G4h A4h | D4w | B4h A4q B4q | C5h B4h | A4h G4q G4q | G4h F#4q E4q | "
     "F#4q G4q A4q B4q | F#4h. E4q | D4w | D5h C5q B4q | C5h B4h | A4q B4q G4q A4q | "
     "F#4h. E4q | D4q G4q G4q F#4q | G4q A4q G4q D4q | B4q G4q B4q C5q | B4h A4h | "
     "B4q C5q B4q A4q | B4q G4q A4h | B4q C5q B4q A4q | G4q F#4q G4q C5q | B4h. A4q | G4w",
     "G | G:2 D:2 | D | G:2 D:2 | C:2 G:2 | D:2 G:2 | C:2 D:2 | D:2 G:2 | D:2 A7:2 | D | G | C:2 G:2 | "
     "D:2 G:2 | D | G | G:2 D:2 | G:2 C:2 | G:2 D:2 | G:2 D:2 | G:2 D:2 | G:2 D:2 | "
     "Em:2 C:2 | G:2 D:2 | G",
     Style::Pad, 56, 52, 19, 58, Drums::None, 4, 0},

    {{19, "Little Drummer Boy", O, 104, "oboe, French horn / strings / cello + snare (an original tune)"}, 4, 0,
     "D5q B4q G4q B4q | A4q F#4q G4h | A4q A4q B4q C5q | D5h. R4q | D5q C5q B4q A4q | "
     "B4q A4q G4q E4q | F#4q G4q A4q F#4q | G4h. R4q | B4q B4q C5q D5q | E5h D5h | "
     "C5q C5q B4q A4q | B4h. R4q | G4q B4q D5q B4q | C5q A4q F#4q A4q | G4q F#4q E4q F#4q | G4w",
     "G | D:2 G:2 | D | D | G | Em | D | G | G | C:2 G:2 | Am:2 D:2 | G | G | Am:2 D:2 | "
     "Em:2 D:2 | G",
     Style::Pad, 68, 60, 48, 42, Drums::Snare, 0, 0},

    {{20, "God Rest Ye Merry Gents", T, 112, "bassoon, clarinet / strings / cello"}, 4, 0,
     "E4q | E4q B4q B4q A4q | G4q F#4q E4q D4q | E4q F#4q G4q A4q | B4h. E4q | E4q B4q B4q A4q | "
     "G4q F#4q E4q D4q | E4q F#4q G4q A4q | B4h. B4q | C5q A4q B4q C5q | D5q E5q B4q A4q | "
     "G4q E4q F#4q G4q | A4h G4q A4q | B4h C5q B4q | B4q A4q G4q F#4q | E4h G4e F#4e E4q | "
     "A4h G4q A4q | B4q C5q D5q E5q | B4q A4q G4q F#4q | E4h.",
     "R:1 Em | Em:2 B7:2 | Em | Em:2 B7:1 Em:1 | Em | Em:2 B7:2 | Em | Em:2 B7:1 Em:1 | Am:2 G:2 | "
     "G:2 D:2 | Em:2 D:2 | D:2 G:2 | G:2 C:2 | C:2 D:2 | Em:2 G:2 | D:2 G:2 | G:2 C:2 | Em:2 B7:2 | "
     "Em:3",
     Style::March, 70, 71, 48, 42, Drums::None, 0, 1},

    {{21, "Sugarplum Fairy", T, 76, "celesta, music box / strings / contrabass (Tchaikovsky)"}, 2, 0,
     "G5e E5e G5e F#5e | D#5e E5e R4e E5e | D5e D5e D5e C#5e | C5e C5e C5e B4e | "
     "E5e C5e E5e D#5e | B4e C5e R4e C5e | B4e G4e B4e A#4e | G4e F#4e R4q | "
     "G5e E5e G5e F#5e | D#5e E5e R4e E5e | D5e D5e D5e C#5e | C5e C5e C5e B4e | "
     "E5e C5e E5e D#5e | B4e C5e D5e F#4e | G4e B4e A4e F#4e | E4q R4q",
     "Em | Em | E7 | Am | Am | Am | Em:1 B:1 | Em:1 B:1 | Em | Em | E7 | Am | Am | Am:1 D:1 | "
     "G:1 B7:1 | Em",
     Style::Pad, 8, 10, 48, 43, Drums::None, -4, 0},

    {{22, "Let it Snow", O, 120, "clarinet, vibraphone / piano / bass (an original tune)"}, 4, 0,
     "G4e A4e B4e G4e D5q B4q | C5q A4q G4h | A4e B4e C5e A4e E5q C5q | D5h. R4q | "
     "E5q D5e C5e B4q A4q | G4q E4q D4h | E4e G4e A4e B4e C5q A4q | B4h. R4q | "
     "G4e A4e B4e G4e D5q B4q | C5q A4q G4h | A4e B4e C5e A4e E5q G5q | F#5h. E5q | "
     "D5q B4q C5q A4q | B4q G4q A4q F#4q | G4q A4q B4q D4q | G4w",
     "G | C:2 G:2 | Am | D | C:2 G:2 | Em:2 D:2 | Am | Em | G | C:2 G:2 | Am:2 C:2 | D | "
     "G:2 Am:2 | Em:2 D:2 | C:2 D7:2 | G",
     Style::Arpeggio, 71, 11, 0, 32, Drums::Brush, 0, 0},

    {{23, "12 Days of Christmas", T, 120, "flute, recorder / harpsichord / bassoon"}, 4, 0,
     "D4e D4e | D4q G4e G4e G4q F#4e G4e | A4e B4e C5e A4e B4q. C5e | D5h E5q C#5q | D5h. R4q | "
     "D5e C5e B4e A4e G4q. A4e | B4e G4e A4q D4q. D4e | D5q E5e C5e B4q A4q | G4h.",
     "R:1 G | D:2 G:2 | D:2 A:2 | D | D7 | G:2 D:2 | G:2 D:2 | G:3",
     Style::Arpeggio, 73, 74, 6, 70, Drums::None, 0, 1},

    {{24, "Frosty the Snowman", O, 144, "trumpet, clarinet / piano / bass (an original tune)"}, 4, 0,
     "C5q C5e E5e G5q E5q | D5q C5q A4h | G4q A4e B4e C5q D5q | E5h. R4q | "
     "F5q F5e E5e D5q C5q | B4q A4q G4h | A4q B4e C5e D5q B4q | C5h. R4q | "
     "E5q E5e E5e F5q E5q | D5q C5q D5h | C5q C5e C5e D5q C5q | B4q A4q G4h | "
     "A4q A4e B4e C5q A4q | G4q E4q C4h | D4q E4e F4e G4q B4q | C5h. R4q",
     "C | F:2 Am:2 | C:2 G:2 | C | F | G | F:2 G:2 | C | C | G | C:2 F:2 | G | F | C | G7 | C",
     Style::March, 56, 71, 0, 32, Drums::Sleigh, 0, 0},

    {{25, "Choir of Bells (Loud)", T, 132, "tubular bells, choir / bells / contrabass (Shchedryk)"}, 3, 0,
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | D5e C#5s D5s B4e D5e C#5s D5s B4e | "
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | D5e C#5s D5s B4e D5e C#5s D5s B4e | "
     "F#5e E5s F#5s D5e F#5e E5s F#5s D5e | F#5e E5s F#5s D5e F#5e E5s F#5s D5e | "
     "G5e F#5s G5s E5e G5e F#5s G5s E5e | G5e F#5s G5s E5e G5e F#5s G5s E5e | "
     "B5e B5s B5s A5e G5e F#5s F#5s E5e | D5e D5s D5s E5e F#5e E5s D5s C#5e | "
     "B4e B4s B4s A4e G4e F#4s F#4s E4e | D4e D4s D4s E4e F#4e E4s D4s C#4e | "
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | D5e C#5s D5s B4e D5e C#5s D5s B4e | "
     "D5e C#5s D5s B4e D5e C#5s D5s B4e | B4h.",
     "Bm | Bm | Bm | Bm | D | D | Em | Em | G | D:2 F#:1 | G | Bm:2 F#:1 | Bm | Bm | Bm | Bm",
     Style::Bells, 14, 52, 14, 43, Drums::None, 18, 0},

    {{26, "Christmas Medley", T, 116, "piano, strings / piano / bass (Angels We Have Heard on High, "
                                  "Ding Dong Merrily on High)"}, 4, 0,
     "B4q B4q B4q D5q | D5q. C5e B4h | B4q A4q B4q D5q | B4q. A4e G4h | "
     "B4q B4q B4q D5q | D5q. C5e B4h | B4q A4q B4q D5q | B4q. A4e G4h | "
     "D5q. E5e D5e C5e B4e C5e | C5q. D5e C5e B4e A4e B4e | B4q. C5e B4e A4e G4e A4e | A4h D4h | "
     "G4q A4q B4q C5q | B4h A4h | G4w | "
     "G4q G4q A4e G4e F#4e E4e | D4h. D4q | E4q G4q G4q F#4q | G4h G4h | "
     "D5q. C5e B4e C5e D5e B4e | C5q. B4e A4e B4e C5e A4e | B4q. A4e G4e A4e B4e G4e | "
     "A4q. G4e F#4e G4e A4e F#4e | G4q D4q E4q F#4q | G4w",
     "G | G | G:2 D:2 | G | G | G | G:2 D:2 | G | G:2 C:2 | C:2 G:2 | G:2 D:2 | D | G:2 C:2 | G:2 D:2 | G | "
     "G:2 D:2 | D | C:2 D:2 | G | G | C:2 Am:2 | G:2 Em:2 | D | Em:2 D:2 | G",
     Style::Pad, 0, 48, 0, 32, Drums::Sleigh, 0, 0},

    {{27, "Do You Hear What I Hear", O, 96, "oboe, flute / strings / cello (an original tune)"}, 4, 0,
     "E4h G4q A4q | B4h. A4q | G4q A4q B4q D5q | E5h. R4q | D5q B4q A4q G4q | "
     "A4h. E4q | F#4q G4q A4q F#4q | E4h. R4q | E5h D5q C5q | B4h. A4q | "
     "C5q B4q A4q G4q | A4h. R4q | B4q G4q E4q G4q | A4q F#4q D4q F#4q | G4q F#4q D4q F#4q | E4w",
     "Em | G | Em:2 G:2 | C | G | Am | D | Em | C | G | Am:2 Em:2 | D | Em | D | G:2 D:2 | Em",
     Style::Pad, 68, 73, 49, 42, Drums::Brush, -2, 0},

    {{28, "Emmanuel", T, 84, "choir, oboe / church organ / contrabass"}, 4, 0,
     "E4q | G4q B4q B4q B4q | A4q C5q B4q A4q | G4h. A4q | B4q G4q E4q G4q | A4q F#4q E4q D4q | "
     "E4h. A4q | A4q E4q E4q F#4q | G4h F#4q E4q | D4h. G4q | A4q B4q B4q B4q | A4q C5q B4q A4q | "
     "G4h. D5q | D5h. B4q | B4h. B4q | A4q C5q B4q A4q | G4h. A4q | B4q G4q E4q G4q | "
     "A4q F#4q E4q D4q | E4h.",
     "R:1 Em | Am:2 D:2 | G | Em | D | Em | Am | G:2 Em:2 | D | G | Am:2 D:2 | G | G | Em | "
     "Am:2 D:2 | G | Em | D | Em:3",
     Style::Pad, 52, 68, 19, 43, Drums::None, -2, 1},

    {{29, "My Favorite Things", O, 168, "flute, clarinet / harp / bass (an original tune)"}, 3, 0,
     "G4q F#4q E4q | B4h. | A4q G4q F#4q | E4h. | G4q A4q B4q | E5h D5q | C5q B4q A4q | B4h. | "
     "C5q B4q A4q | G4h E4q | A4q G4q F#4q | D#4h. | E4q F#4q G4q | B4q A4q G4q | F#4q E4q D#4q | E4h. | "
     "E4q G4q B4q | A4q C5q E5q | D5q B4q G4q | A4h. | F#4q A4q C5q | B4q G4q E4q | F#4q D#4q B3q | E4h.",
     "Em | Em | Am:2 B7:1 | Em | G | C | Am | B7 | Am | Em | B7 | B7 | Em | Em:2 C:1 | B7 | Em | Em | Am | G | D | "
     "D | Em | B7 | Em",
     Style::Waltz, 73, 71, 46, 32, Drums::None, -2, 0},

    {{30, "Merry Little Christmas", O, 72, "piano, strings / piano / bass (an original tune)"}, 4, 0,
     "C5q E5q D5q C5q | B4h G4h | A4q C5q B4q A4q | G4w | F4q A4q G4q F4q | E4h C4h | "
     "D4q F4q E4q D4q | G4w | C5q E5q D5q C5q | B4h G4h | A4q C5q F5q E5q | D5w | "
     "C5q B4q A4q G4q | F4q E4q D4q F4q | E4q D4q C4q D4q | C4w",
     "Cmaj7 | Em7 | Am7 | G | Fmaj7 | Am | Dm7 | G7 | Cmaj7 | Em7 | F | G | Am | Dm7 | G7 | C",
     Style::Arpeggio, 0, 49, 0, 32, Drums::None, -6, 0},

    {{31, "... Upon a Midnight Clear", T, 100, "strings, flute / harp / cello"}, 3, 0,
     "D4q | B4h A4q | G4h E4q | D4h E4q | G4q G4q A4q | B4h. | B4h B4q | A4h A4q | "
     "G4h D4q | A4h. | B4h A4q | G4h E4q | D4h E4q | G4q G4q A4q | B4h A4q | G4h D4q | "
     "E4q G4q F#4q | G4h",
     "R:1 G | C | G | G:2 D:1 | G | G | D | G | D | G | C | G | G:2 D:1 | G | G:2 D:1 | C:2 D:1 | G:2",
     Style::Waltz, 48, 73, 46, 42, Drums::None, -4, 1},

    {{32, "Noel", T, 96, "choir, French horn / strings / contrabass"}, 3, 0,
     "F#4e E4e | D4q. E4e F#4e G4e | A4h B4e C#5e | D5q C#5q B4q | A4h B4e C#5e | D5q C#5q B4q | "
     "A4q B4q C#5q | D5q A4q G4q | F#4h F#4e E4e | D4q. E4e F#4e G4e | A4h B4e C#5e | D5q C#5q B4q | "
     "A4h B4e C#5e | D5q C#5q B4q | A4q B4q C#5q | D5q A4q G4q | F#4h F#4e E4e | D4q. E4e F#4e G4e | "
     "A4h D5e C#5e | B4h B4q | A4h. | D5q C#5q B4q | A4q B4q C#5q | D5q A4q G4q | F#4h",
     "R:1 D | D | G | D | G:2 A:1 | D | D:2 G:1 | D | D | D | G | D | G:2 A:1 | D | D:2 G:1 | D | D | "
     "D | G | D | G:2 A:1 | D | D:2 G:1 | D:2",
     Style::Pad, 52, 60, 48, 43, Drums::None, 0, 1},

    {{33, "Silver Bells", O, 108, "glockenspiel, celesta / strings / bass (an original tune)"}, 3, 0,
     "E4h. | G4h C5q | B4h. | G4h. | A4q B4q C5q | D5h C5q | B4h. | G4h. | F4h. | D5h C5q | "
     "B4h. | G4h. | A4q G4q F4q | E4h D4q | C4h. | R4h. | E4h. | C5h B4q | A4h. | E4h. | "
     "F4q G4q A4q | B4h A4q | G4h. | R4h. | E4h. | G4h C5q | D5h. | A4h. | D5q C5q B4q | "
     "A4h B4q | C5h. | C5h.",
     "C | C | G | C | F | G | G | G | G7 | G7 | G | G | Dm | G | C | C | Am | Am | F | F | "
     "Dm | G | C | C | C | C | G | F | Dm | G | C | C",
     Style::Waltz, 9, 8, 48, 32, Drums::None, -2, 0},

    {{34, "So this is Christmas", O, 96, "acoustic guitar, strings / guitar / bass (an original tune)"}, 3, 0,
     "B4q A4q G4q | E4h. | F#4q G4q A4q | B4h. | C5q B4q A4q | G4h F#4q | E4h. | R4h. | "
     "B4q A4q G4q | A4h. | G4q F#4q E4q | F#4h. | E4q F#4q G4q | A4q G4q F#4q | E4h. | R4h. | "
     "G4q A4q B4q | C5h. | B4q A4q G4q | A4h. | G4q A4q B4q | D5h C5q | B4h. | R4h. | "
     "B4q A4q G4q | A4h F#4q | G4q F#4q E4q | D4h. | E4q G4q F#4q | E4h. | E4h. | R4h.",
     "Em | C | D | G | Am | Em:2 D:1 | Em | Em | G | D | Em | D | C | D | Em | Em | C | C | G | D | C | D | "
     "G | G | Em | D | C | D | C | Em | Em | Em",
     Style::Waltz, 25, 48, 25, 32, Drums::None, -2, 0},

    {{35, "The Holly and the Ivy", T, 104, "recorder, oboe / harpsichord / bassoon"}, 3, 0,
     "G4q | G4q G4q G4q | E5h D5q | B4q. A4e G4q | G4q G4q G4q | E5h D5q | B4h G4q | "
     "G4q G4q G4q | E5h D5q | B4q. A4e G4q | G4q A4q B4q | C5q B4q A4q | G4h D5q | "
     "E5q D5q C5q | B4q A4q G4q | E5h D5q | B4q. A4e G4q | C5q B4q A4q | G4h",
     "R:1 G | C:2 G:1 | G:2 D:1 | G | C:2 G:1 | G | G | C:2 G:1 | G:2 D:1 | G | C:2 D:1 | G:2 D:1 | "
     "C | G:2 D:1 | C:2 G:1 | G:2 D:1 | Am:2 D:1 | G:2",
     Style::Arpeggio, 74, 68, 6, 70, Drums::None, 0, 1},

    {{36, "I'll be Home for Christmas", O, 80, "French horn, strings / piano / bass (an original tune)"}, 4, 0,
     "E4q G4q C5q B4q | A4h G4h | F4q A4q D5q C5q | B4w | A4q C5q E5q D5q | C5h A4h | "
     "G4q F4q E4q D4q | E4w | E4q G4q C5q B4q | A4h G4h | F4q A4q D5q C5q | B4h. C5q | "
     "D5q C5q B4q A4q | G4q E4q F4q D4q | E4q D4q C4q D4q | C4w",
     "C | F:2 C:2 | Dm | G7 | Am | F | Dm:2 G:2 | C | C | F:2 C:2 | Dm | G | Dm:2 G:2 | C:2 Dm:2 | "
     "C:2 G7:2 | C",
     Style::Arpeggio, 60, 49, 0, 32, Drums::None, -4, 0},
};

}  // namespace

const Tune& TuneFor(int n) {
    if (n < 1 || n > kTrackCount) throw std::out_of_range("no such track");
    return kTunes[n - 1];
}

const TrackInfo& Track(int n) { return TuneFor(n).info; }

Bytes MakeTrack(int n) { return Arrange(TuneFor(n)); }

}  // namespace soundgen
