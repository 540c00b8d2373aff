#include "config/help.h"

#include "config/setup.h"
#include "settings/settings.h"

namespace hg {

namespace {

FormLayout MakeHelpLayout() {
    using K = Kind;
    using R = ControlRow;
    FormLayout f;
    f.caption = "Screensaver Help";
    f.clientWidth = 9750;
    f.clientHeight = 6330;
    // clang-format off
    f.rows = {
    // control            kind              caption                   container  left   top   width  height
    R("Text1",            K::MultiLineText, "",                       "",        { 135,  150, 9480, 5625}).Back(kWhite),
    R("Command1",         K::Button,        "&Close",                 "",        {8325, 5970, 1275,  270}).Click(On<&Help::Command1_Click>),
    R("cmdOnlineHelp",    K::Button,        "&Go Online for Help",    "",        {3810, 5865, 2025,  420}).Click(On<&Help::cmdOnlineHelp_Click>),
    };
    // clang-format on
    return f;
}

const char* const kHelpText = R"(HEARTHGLOW SCREENSAVER

WHAT YOU SEE
When your computer has been idle for the time set in Windows' Screen Saver Settings, Hearthglow fills the screen with a fire burning on a hearth. Around the fire stands one of six hearth surrounds: Dark Marble, Light Marble, Light Colored River Rock, Dark Colored River Rock, Flat Stone and Old Rock. It can change from one to the next every few minutes. You may add andirons, a mantel, stockings, poinsettias, bells, a calendar with a clock and a message of your own. The crackle of the fire plays in the background, and Christmas carols can play one after another.

Move the mouse, press a mouse button or press a key to end the screen saver (the keys N, P, Q and S control the music instead; see below).

THE SETTINGS
Every change you make in this dialog is saved at once; there is no Apply or Cancel. The screen saver reads your settings when it starts, so a change shows the next time it runs.

Settings page
- Show Message: shows your message at the top of the screen. Type the message in the box below it, and its size in the Font Size box.
- Mouse Sensitivity: how many mouse movements end the screen saver, from Light Touch (2) to HeavyTouch (20). With a light touch the smallest nudge ends it; with a heavy touch you have to move the mouse for a while.
- SOUND: Sound On plays the crackle of the fire. Volume runs from Soft to Loud. Stop sound after: silences the fire and the music after the chosen number of minutes, or Never. Keyboard Options lists the music keys.
- Calendar/Clock: Show puts a calendar page with the date and a running clock on the screen. Choose its corner with the four buttons in the white screen picture.
- Stockings: shows up to four stockings hung at the hearth. Adjust Location moves them higher or lower.
- Poinsettias and Bells: a poinsettia or a bell on the left, on the right, or both.
- Set Color Depth Here: opens the display settings of Windows.
- Disable any Power Saving settings: if your monitor is set to turn itself off, tick this to keep it on while Hearthglow runs. Leave it clear and the monitor turns off as Windows says; the music then stops shortly afterwards.

Hearthglow Settings page
- Show Hearthglow: the surrounds to show. With more than one ticked and Rotate Hearthglows ticked, the screen saver moves from one to the next every so many minutes (choose 1 to 60).
- Show Mantle: a mantel shelf above the surrounds that have one (Dark Marble and Light Marble have none).
- Show Andirons: the iron fire dogs in front of the logs.
- Flame Speed: from Slow to Fast.

Music page
- Tick the carols you want to hear; they play in order, starting again after the last one.
- Do Not Play Music: when ticked, no music plays, whatever else is ticked.
- Test plays a carol here and now, and turns into Stop while it plays. Press Stop to end it. Only one carol plays at a time.

THE MUSIC KEYS
While the screen saver runs, these keys control the music and do not end the screen saver:
N - next carol
P - previous carol
Q - stop all sound (the music and the fire's crackle)
S - start all sound again

WHERE THE FILES ARE
The pictures, the crackle (fire.wav) and the carols (the folder Music, files midi1.mid to midi36.mid) are in the folder C:\Tallowmere\hrthglow\. Your settings are kept for each user in the registry, under HKEY_CURRENT_USER\Software\Tallowmere\hrthglow.

RESTORING THE DEFAULTS
To go back to the settings Hearthglow came with, delete the registry key HKEY_CURRENT_USER\Software\Tallowmere\hrthglow (for example with the Registry Editor, regedit), or set its value Settings\SetReg to 1. The next time the screen saver or this dialog starts, every setting is set back to its default.

MORE HELP
Press Go Online for Help to open our support page in your web browser.)";

}  // namespace

const FormLayout& HelpLayout() {
    static const FormLayout layout = MakeHelpLayout();
    return layout;
}

std::string HelpText() {
    // A Windows text box breaks lines only at a carriage return and line feed.
    std::string text;
    for (const char* p = kHelpText; *p; ++p) {
        if (*p == '\n') text += '\r';
        text += *p;
    }
    return text;
}

Help::Help(FormControls& controls, DialogHost& host) : Form(HelpLayout(), controls, host) {}

void Help::Load() { TextBoxNamed("Text1").SetText(HelpText()); }

void Help::Command1_Click() { host_.Unload(*this); }

void Help::cmdOnlineHelp_Click() { Navigate(*this, kSupportPage); }

}  // namespace hg
