// Page "Hearthglow Settings": the six hearth styles, their rotation, the andirons and the
// speed of the flames.
#include "config/setup.h"

namespace hg {

std::vector<ControlRow> HearthglowPageRows() {
    using K = Kind;
    using R = ControlRow;
    const std::string kPage = "SSTab1(1)";
    const std::string kRotateEvery =
        "Rotate Hearthglows every" + std::string(19, ' ') + "Minute(s)";
    auto fp = On<&Setup::chkFP_Click>;
    auto mantle = On<&Setup::chkMantle_Click>;
    // clang-format off
    return {
    // control              kind              caption                          container  left   top  width height
    R("Frame2",             K::Frame,         "Hearthglow",                    kPage,     { 930,  405, 7425, 3495}),
    // Style 1
    R("Picture2",           K::Picture,       "",                              "Frame2",  { 105,  255,  810,  810}).Shows("THUMB1"),
    R("Label1",             K::Label,         "Dark Marble",                   "Frame2",  { 990,  255, 2535,  255}),
    R("chkFP(0)",           K::CheckBox,      "Show Hearthglow",               "Frame2",  { 990,  540, 1665,  195}).Click(fp),
    R("Label7",             K::Label,         "No Mantle",                     "Frame2",  { 990,  840, 1665,  255}).Fore(kRed),
    // Style 2
    R("Picture3",           K::Picture,       "",                              "Frame2",  { 105, 1200,  810,  810}).Shows("THUMB2"),
    R("Label2",             K::Label,         "Light Marble ",                 "Frame2",  { 990, 1215, 2535,  255}),
    R("chkFP(1)",           K::CheckBox,      "Show Hearthglow",               "Frame2",  { 990, 1470, 1665,  195}).Click(fp),
    R("Label8",             K::Label,         "No Mantle",                     "Frame2",  { 975, 1740, 1665,  255}).Fore(kRed),
    // Style 3
    R("Picture4",           K::Picture,       "",                              "Frame2",  { 120, 2145,  810,  810}).Shows("THUMB3"),
    R("Label3",             K::Label,         "Light Colored River Rock",      "Frame2",  { 990, 2175, 2535,  255}),
    R("chkFP(2)",           K::CheckBox,      "Show Hearthglow",               "Frame2",  {1020, 2430, 1665,  195}).Click(fp),
    R("chkMantle(0)",       K::CheckBox,      "Show Mantle",                   "Frame2",  {1020, 2685, 1800,  225}).Click(mantle),
    // Style 4
    R("Picture5",           K::Picture,       "",                              "Frame2",  {4080,  240,  810,  810}).Shows("THUMB4"),
    R("Label4",             K::Label,         "Dark Colored River Rock",       "Frame2",  {4995,  270, 2250,  255}),
    R("chkFP(3)",           K::CheckBox,      "Show Hearthglow",               "Frame2",  {4995,  540, 1665,  195}).Click(fp),
    R("chkMantle(1)",       K::CheckBox,      "Show Mantle",                   "Frame2",  {4995,  780, 1800,  225}).Click(mantle),
    // Style 5
    R("Picture6",           K::Picture,       "",                              "Frame2",  {4080, 1185,  810,  810}).Shows("THUMB5"),
    R("Label5",             K::Label,         "Flat Stone",                    "Frame2",  {4995, 1170, 2250,  255}),
    R("chkFP(4)",           K::CheckBox,      "Show Hearthglow",               "Frame2",  {5025, 1440, 1665,  195}).Click(fp),
    R("chkMantle(2)",       K::CheckBox,      "Show Mantle",                   "Frame2",  {5025, 1695, 1800,  225}).Click(mantle),
    // Style 6
    R("Picture7",           K::Picture,       "",                              "Frame2",  {4095, 2130,  810,  810}).Shows("THUMB6"),
    R("Label6",             K::Label,         "Old Rock",                      "Frame2",  {5070, 2130, 2250,  255}),
    R("chkFP(5)",           K::CheckBox,      "Show Hearthglow",               "Frame2",  {5070, 2400, 1665,  195}).Click(fp),
    R("chkMantle(3)",       K::CheckBox,      "Show Mantle",                   "Frame2",  {5070, 2655, 1800,  225}).Click(mantle),

    R("chkRotate",          K::CheckBox,      "Rotate Hearthglows.........",   "Frame2",  {  60, 3180, 2340,  210}).Click(On<&Setup::chkRotate_Click>),
    R("Label21",            K::Label,         kRotateEvery,                    "Frame2",  {2670, 3165, 3375,  240}).Around("cboRotate"),
    R("cboRotate",          K::DropDownList,  "",                              "Frame2",  {4425, 3120,  705,  315}).Items(RotateTItems()).Click(On<&Setup::cboRotate_Click>),

    R("chkEndIron",         K::CheckBox,      "Show Andirons",                 kPage,     { 255, 4500, 1425,  255}).Click(On<&Setup::chkEndIron_Click>),
    R("Frame3",             K::Frame,         "Flame Speed",                   kPage,     {2070, 4095, 5670,  990}).Font(FontRole::DialogBold),
    R("hsbFlame",           K::HScrollBar,    "",                              "Frame3",  { 120,  315, 4065,  330}).Range(kSpeedSlider.first, kSpeedSlider.last, 5, 25).Initially(kSpeedSlider.initial).Change(On<&Setup::hsbFlame_Change>).Scroll(On<&Setup::hsbFlame_Scroll>),
    R("txtFlame",           K::TextBox,       "",                              "Frame3",  {4335,  315,  855,  330}),
    R("Label25",            K::Label,         "Slow",                          "Frame3",  { 225,  675,  375,  255}),
    R("Label23",            K::Label,         "Fast",                          "Frame3",  {3615,  660,  375,  255}),
    };
    // clang-format on
}

void Setup::chkFP_Click(int16_t index) {
    SaveCheckBox("hrthglow", "ShowFP" + std::to_string(index + 1), "chkFP", index);
}

void Setup::chkMantle_Click(int16_t index) {
    SaveCheckBox("hrthglow", "ShowM" + std::to_string(index + 3), "chkMantle", index);
}

void Setup::chkRotate_Click() { SaveCheckBox("hrthglow", "RotateCk", "chkRotate"); }

void Setup::cboRotate_Click() { Save("hrthglow", "RotateT", ListNamed("cboRotate").Text()); }

void Setup::chkEndIron_Click() { SaveCheckBox("hrthglow", "AndIron", "chkEndIron"); }

void Setup::hsbFlame_Change() {
    Save("hrthglow", "Speed", ScrollText("hsbFlame"));
    TextBoxNamed("txtFlame").SetText(ScrollText("hsbFlame"));
}

void Setup::hsbFlame_Scroll() { hsbFlame_Change(); }

}  // namespace hg
