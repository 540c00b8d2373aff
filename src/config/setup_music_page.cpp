// Page "Music": the playlist's 36 tracks in three columns, each with a button that plays it on
// the dialog's own music control.
#include "config/setup.h"

namespace hg {

namespace {

const char* const kTrackTitles[36] = {
    "Good King Wencesles",
    "We Three Kings",
    "Deck the Halls",
    "Joy to the World",
    "Silent Night",
    "Greensleeves",
    "Nut Cracker",
    "Hark the Herald Angel",
    "Holy Night",
    "Rudolph",
    "Santas comin' to Town",
    "Feliz Navidad",
    "O Tannenbaum",
    "Jingle Bells",
    "Chestnuts Roasting ...",
    "Away in the Manger",
    "Lit'l Town Of Bethlehem",
    "O Come All Ye Faithful",
    "Little Drummer Boy",
    "God Rest Ye Merry Gents",
    "Sugarplum Fairy",
    "Let it Snow",
    "12 Days of Christmas",
    "Frosty the Snowman",
    "Choir of Bells (Loud)",
    "Christmas Medley",
    "Do You Hear What I Hear",
    "Emmanuel",
    "My Favorite Things",
    "Merry Little Christmas",
    "... Upon a Midnight Clear",
    "Noel",
    "Silver Bells",
    "So this is Christmas",
    "The Holly and the Ivy",
    "I'll be Home for Christmas",
};

// The three columns: where the buttons and the boxes start, and how wide a box may be before
// it meets the next rule (or the page's edge).
struct Column {
    int32_t buttonLeft, boxLeft, boxWidth;
};
constexpr Column kColumns[3] = {{105, 795, 1995}, {3015, 3705, 2325}, {6165, 6870, 2175}};
constexpr int32_t kFirstRowTop = 960;
constexpr int32_t kRowStep = 360;

}  // namespace

const char* TrackTitle(int n) { return n >= 1 && n <= 36 ? kTrackTitles[n - 1] : ""; }

std::vector<ControlRow> MusicPageRows() {
    using K = Kind;
    using R = ControlRow;
    const std::string kPage = "SSTab1(2)";
    // clang-format off
    std::vector<ControlRow> rows = {
    // control              kind              caption                  container  left   top  width height
    R("chkMusic",           K::CheckBox,      "Do Not Play Music",     kPage,     { 240,  450, 1905,  270}).Click(On<&Setup::chkMusic_Click>),
    R("Line1",              K::Line,          "",                      kPage,     {  75,  825, 8865,    0}),
    R("Line2",              K::Line,          "",                      kPage,     {2835,  825,    0, 4440}),
    R("Line3",              K::Line,          "",                      kPage,     {6075,  825,    0, 4440}),
    };
    // clang-format on
    // Track by track, so that Tab goes from a track's button to its box and on to the next.
    for (int16_t i = 0; i < 36; ++i) {
        const Column& c = kColumns[i / 12];
        const int32_t top = kFirstRowTop + kRowStep * (i % 12);
        // Appended piece by piece: GCC 12 sees a false overlap in a chain of + here.
        std::string n = "(";
        n += std::to_string(i);
        n += ')';
        rows.push_back(R(std::string("cmdTestMusic").append(n), K::Button, kTestCaption, kPage,
                         {c.buttonLeft, top, 600, 240})
                           .Click(On<&Setup::cmdTestMusic_Click>));
        rows.push_back(R(std::string("ChkMidi").append(n), K::CheckBox, kTrackTitles[i], kPage,
                         {c.boxLeft, top - 8, c.boxWidth, 255})
                           .Fore(kRed)
                           .Click(On<&Setup::ChkMidi_Click>));
    }
    return rows;
}

void Setup::chkMusic_Click() { SaveCheckBox("xmas", "PlayMusic", "chkMusic"); }

void Setup::ChkMidi_Click(int16_t index) {
    SaveCheckBox("Music", "Music" + std::to_string(index + 1), "ChkMidi", index);
}

void Setup::cmdTestMusic_Click(int16_t index) {
    TegoSnd1.StopMidi();
    ButtonCaption& button = ButtonNamed("cmdTestMusic", index);
    if (button.Caption() == kTestCaption) {
        button.SetCaption(kStopCaption);
        TegoSnd1.PlayMidiFile(AssetFolder + "Music\\midi" + std::to_string(index + 1) + ".mid", 0,
                              -1);
    } else {
        button.SetCaption(kTestCaption);
        TegoSnd1.StopMidi();
    }
}

}  // namespace hg
