// Page "Settings": the message, the mouse, the sound, the calendar and the decorations.
#include "config/setup.h"

namespace hg {

std::vector<ControlRow> SettingsPageRows() {
    using K = Kind;
    using R = ControlRow;
    const FontRole kArialBold = FontRole::ArialBold;
    const std::string kPage = "SSTab1(0)";
    const std::string kStopSoundAfter = "Stop sound after:" + std::string(28, ' ') + "min.";
    // clang-format off
    return {
    // control              kind              caption                      container   left   top  width height
    R("Frame25",            K::Frame,         "Show Message",              kPage,      { 135,  450, 4785, 1170}),
    R("chkShowMessage",     K::CheckBox,      "Show Message",              "Frame25",  { 105,  225, 1455,  255}).Click(On<&Setup::chkShowMessage_Click>),
    R("Label38",            K::Label,         "Font Size:",                "Frame25",  {3195,  255,  735,  210}),
    R("txtFontSizeMsg",     K::TextBox,       "",                          "Frame25",  {3945,  225,  495,  285}).Colours(kBlue, kWhite).Change(On<&Setup::txtFontSizeMsg_Change>),
    R("Label39",            K::Label,         "Type your message below:",  "Frame25",  {  90,  510, 2250,  225}),
    R("txtMessage",         K::TextBox,       "",                          "Frame25",  {  90,  735, 4455,  330}).Colours(kBlue, kWhite).Change(On<&Setup::txtMessage_Change>),

    R("Frame23",            K::Frame,         "Mouse Sensitivity",         kPage,      {5445,  480, 3240,  855}).Tip("Change the sensitivity of the mouse"),
    R("hsbMouseS",          K::HScrollBar,    "",                          "Frame23",  {  75,  300, 2535,  255}).Range(kMouseSenSlider.first, kMouseSenSlider.last, 1, 2).Initially(kMouseSenSlider.initial).Change(On<&Setup::hsbMouseS_Change>).Scroll(On<&Setup::hsbMouseS_Scroll>),
    R("txtMouseS",          K::TextBox,       "",                          "Frame23",  {2625,  285,  495,  285}).Font(kArialBold),
    R("Label32",            K::Label,         "Light Touch",               "Frame23",  { 300,  555,  855,  195}),
    R("Label33",            K::Label,         "HeavyTouch",                "Frame23",  {1710,  570,  960,  195}),

    R("Frame10",            K::Frame,         "SOUND",                     kPage,      { 135, 1905, 6255, 1500}).Tip("2 different bubble effects"),
    R("chkSound",           K::CheckBox,      "Sound On",                  "Frame10",  { 120,  390, 1095,  255}).Click(On<&Setup::chkSound_Click>),
    R("Label26",            K::Label,         "Volume",                    "Frame10",  {2310,  165,  600,  180}),
    R("hsbVol",             K::HScrollBar,    "",                          "Frame10",  {1230,  345, 2325,  300}).Range(kVolSlider.first, kVolSlider.last, 25, 250).Initially(kVolSlider.initial).Change(On<&Setup::hsbVol_Change>).Scroll(On<&Setup::hsbVol_Scroll>),
    R("Label27",            K::Label,         "Soft",                      "Frame10",  {1485,  660,  360,  195}),
    R("txtVol",             K::TextBox,       "",                          "Frame10",  {2100,  660,  645,  255}),
    R("Label28",            K::Label,         "Loud",                      "Frame10",  {2880,  660,  420,  195}),
    R("cmdKeyboard",        K::Button,        "Keyboard Options",          "Frame10",  {3990,  660, 1650,  285}).Click(On<&Setup::cmdKeyboard_Click>),
    R("Label46",            K::Label,         kStopSoundAfter,             "Frame10",  { 105, 1125, 2820,  255}).Around("cboSoundOff"),
    R("cboSoundOff",        K::DropDownList,  "",                          "Frame10",  {1380, 1080, 1155,  315}).Items(SoundOffItems()).Click(On<&Setup::cboSoundOff_Click>),

    R("Frame1",             K::Frame,         "Calendar/Clock",            kPage,      {6975, 1770, 1530, 1680}),
    R("chkCalendar",        K::CheckBox,      "Show",                      "Frame1",   {  90,  255,  750,  210}).Click(On<&Setup::chkCalendar_Click>),
    R("Shape1",             K::Shape,         "",                          "Frame1",   { 105,  570, 1305,  960}),
    R("optCal(0)",          K::OptionButton,  "",                          "Frame1",   { 135,  630,  210,  195}).Back(kWhite).Click(On<&Setup::optCal_Click>),
    R("optCal(1)",          K::OptionButton,  "",                          "Frame1",   { 135, 1290,  210,  195}).Back(kWhite).Click(On<&Setup::optCal_Click>),
    R("optCal(2)",          K::OptionButton,  "",                          "Frame1",   {1125,  630,  210,  195}).Back(kWhite).Click(On<&Setup::optCal_Click>),
    R("optCal(3)",          K::OptionButton,  "",                          "Frame1",   {1125, 1290,  210,  195}).Back(kWhite).Click(On<&Setup::optCal_Click>),
    R("Label11",            K::Label,         "Position on Screen",        "Frame1",   { 300,  825,  870,  450}).Back(kWhite).Centred(),

    R("Frame4",             K::Frame,         "Stockings",                 kPage,      { 150, 3660, 3090, 1380}),
    R("chkStocking(0)",     K::CheckBox,      "Show Stocking 1",           "Frame4",   { 105,  270, 1560,  195}).Click(On<&Setup::chkStocking_Click>),
    R("chkStocking(1)",     K::CheckBox,      "Show Stocking 2",           "Frame4",   { 105,  510, 1560,  195}).Click(On<&Setup::chkStocking_Click>),
    R("chkStocking(2)",     K::CheckBox,      "Show Stocking 3",           "Frame4",   { 105,  765, 1560,  195}).Click(On<&Setup::chkStocking_Click>),
    R("chkStocking(3)",     K::CheckBox,      "Show Stocking 4",           "Frame4",   { 105, 1020, 1560,  195}).Click(On<&Setup::chkStocking_Click>),
    R("Label30",            K::Label,         "Adjust Location",           "Frame4",   {1830,  135, 1155,  225}).Centred(),
    R("vsbStocking",        K::VScrollBar,    "",                          "Frame4",   {1845,  390,  255,  885}).Range(kStockLocSlider.first, kStockLocSlider.last, 1, 10).Initially(kStockLocSlider.initial).Change(On<&Setup::vsbStocking_Change>).Scroll(On<&Setup::vsbStocking_Scroll>),
    R("Label31",            K::Label,         "Higher",                    "Frame4",   {2145,  420,  540,  255}),
    R("Label34",            K::Label,         "Lower",                     "Frame4",   {2160,  900,  495,  195}),

    R("Frame6",             K::Frame,         "Poinsettias",               kPage,      {3420, 3660, 1305,  855}),
    R("chkPoin(0)",         K::CheckBox,      "Left",                      "Frame6",   { 135,  255,  975,  255}).Click(On<&Setup::chkPoin_Click>),
    R("chkPoin(1)",         K::CheckBox,      "Right",                     "Frame6",   { 135,  540,  975,  255}).Click(On<&Setup::chkPoin_Click>),

    R("Frame5",             K::Frame,         "Bells",                     kPage,      {5010, 3660, 1305,  855}),
    R("chkBells(0)",        K::CheckBox,      "Left",                      "Frame5",   { 135,  255,  975,  255}).Click(On<&Setup::chkBells_Click>),
    R("chkBells(1)",        K::CheckBox,      "Right",                     "Frame5",   { 135,  540,  975,  255}).Click(On<&Setup::chkBells_Click>),

    R("cmdColor",           K::Button,        "Set &Color Depth Here",     kPage,      {6750, 3900, 1995,  405}).Click(On<&Setup::cmdColor_Click>),
    R("chkPowerSave",       K::CheckBox,      "Disable any Power Saving settings", kPage, {6255, 5010, 2775, 255}).Click(On<&Setup::chkPowerSave_Click>)
        .Tip("If you have your Monitor set to turn off enabling this will keep that setting, otherwise the screensaver will ignore those settings"),
    };
    // clang-format on
}

void Setup::chkShowMessage_Click() { SaveCheckBox("Settings", "ShowMsg", "chkShowMessage"); }

void Setup::txtFontSizeMsg_Change() {
    Save("Settings", "FontSize", TextBoxNamed("txtFontSizeMsg").Text());
}

void Setup::txtMessage_Change() { Save("Settings", "Message", TextBoxNamed("txtMessage").Text()); }

void Setup::hsbMouseS_Change() {
    MouseSensitivity = ScrollText("hsbMouseS");
    TextBoxNamed("txtMouseS").SetText(MouseSensitivity);
    Save("Settings", "MouseSen", MouseSensitivity);
}

void Setup::hsbMouseS_Scroll() { hsbMouseS_Change(); }

void Setup::chkSound_Click() { SaveCheckBox("Settings", "SoundOn", "chkSound"); }

void Setup::hsbVol_Change() {
    TextBoxNamed("txtVol").SetText(ScrollText("hsbVol"));
    Save("Settings", "Vol", ScrollText("hsbVol"));
}

void Setup::hsbVol_Scroll() {
    hsbVol_Change();
    TextBoxNamed("txtVol").SetText(ScrollText("hsbVol"));
}

void Setup::cmdKeyboard_Click() { host_.ShowMessage(KeyboardHelpText(), kAppTitle); }

void Setup::cboSoundOff_Click() {
    std::string picked = ListNamed("cboSoundOff").Text();
    Save("Settings", "SoundOff", picked == "Never" ? "0" : picked);
}

void Setup::chkCalendar_Click() { SaveCheckBox("Settings", "Calendar", "chkCalendar"); }

void Setup::optCal_Click(int16_t index) {
    CalendarPosition = std::to_string(index);
    Save("Settings", "CalPos", CalendarPosition);
}

void Setup::chkStocking_Click(int16_t index) {
    SaveCheckBox("xmas", "ShowS" + std::to_string(index + 1), "chkStocking", index);
}

void Setup::vsbStocking_Change() { Save("xmas", "StockLoc", ScrollText("vsbStocking")); }

void Setup::vsbStocking_Scroll() { vsbStocking_Change(); }

void Setup::chkPoin_Click(int16_t index) {
    SaveCheckBox("xmas", "Poin" + std::to_string(index + 1), "chkPoin", index);
}

void Setup::chkBells_Click(int16_t index) {
    SaveCheckBox("xmas", "Bell" + std::to_string(index + 1), "chkBells", index);
}

void Setup::cmdColor_Click() { ControlPanels(kColorDepthCommand); }

void Setup::chkPowerSave_Click() { SaveCheckBox("Settings", "PwrSave", "chkPowerSave"); }

}  // namespace hg
