// The configuration dialog's frame: the tabbed control, the button bar, the loading and the
// two message boxes. Each page's controls and handlers are in the page's own file.
#include "config/setup.h"

#include "hg_version.h"
#include "settings/settings.h"

namespace hg {

namespace {

std::vector<ControlRow> FrameRows() {
    using K = Kind;
    // clang-format off
    return {
    //   control        kind          caption                  container   left   top   width  height
    ControlRow("SSTab1",      K::TabStrip,  "",                      "",         {  90,   90, 9135, 5370}),
    ControlRow("SSTab1(0)",   K::Page,      "Settings",              "SSTab1",   {   0,    0, 9135, 5370}),
    ControlRow("SSTab1(1)",   K::Page,      "Hearthglow Settings",   "SSTab1",   {   0,    0, 9135, 5370}),
    ControlRow("SSTab1(2)",   K::Page,      "Music",                 "SSTab1",   {   0,    0, 9135, 5370}),
    };
    // clang-format on
}

std::vector<ControlRow> ButtonBarRows() {
    using K = Kind;
    const FontRole kArialBold = FontRole::ArialBold;
    // clang-format off
    return {
    //   control         kind         caption          container   left   top   width  height
    ControlRow("Picture1",   K::Strip,    "",              "",         {   0, 5535, 9315,  600}),
    ControlRow("Command2",   K::Button,   "&Help",         "Picture1", {1770,  105, 1200,  375}).Font(kArialBold).Click(On<&Setup::Command2_Click>),
    ControlRow("cmdWebsite", K::Button,   "&Our website",  "Picture1", {5565,  105, 1200,  375}).Click(On<&Setup::cmdWebsite_Click>),
    ControlRow("cmdAbout",   K::Button,   "&About",        "Picture1", {6825,  105,  795,  375}).Click(On<&Setup::cmdAbout_Click>),
    ControlRow("cmdOK",      K::Button,   "&OK",           "Picture1", {8280,  105,  855,  375}).Font(kArialBold).Tip("Exit").Default().Click(On<&Setup::cmdOK_Click>),
    };
    // clang-format on
}

void Append(std::vector<ControlRow>& to, std::vector<ControlRow> rows) {
    for (ControlRow& r : rows) to.push_back(std::move(r));
}

FormLayout MakeSetupLayout() {
    FormLayout f;
    f.caption = "Hearthglow Screensaver by Tallowmere";
    f.clientWidth = 9315;
    f.clientHeight = 6135;
    // Tab order is row order: the pages' controls, then the button bar. The tab strip, which
    // lies beneath its pages, comes last.
    Append(f.rows, FrameRows());
    Append(f.rows, SettingsPageRows());
    Append(f.rows, HearthglowPageRows());
    Append(f.rows, MusicPageRows());
    Append(f.rows, ButtonBarRows());
    return f;
}

}  // namespace

const FormLayout& SetupLayout() {
    // Built once; every dialog of the process reads the same rows.
    static const FormLayout layout = MakeSetupLayout();
    return layout;
}

std::string KeyboardHelpText() {
    const char* lines[] = {"KEYBOARD OPTIONS",
                           "",
                           "For music, Press one of these keys to:",
                           "",
                           "N - Next Song",
                           "",
                           "P - Previous Song",
                           "",
                           "Q - Stop all music",
                           "",
                           "S - Start all music"};
    std::string text;
    for (const char* line : lines) text += std::string(text.empty() ? "" : "\r\n") + line;
    return text + "\r\n\r\n\r\n";
}

std::string AboutText() {
    // The addresses stand on lines of their own: a message box never breaks inside one.
    return std::string("Hearthglow Screensaver\r\nVersion ") + HG_VERSION_TEXT +
           "\r\n\r\n"
           "A fire on the hearth for the long winter evenings.\r\n\r\n"
           "Tallowmere\r\n"
           "1 Ember Lane\r\n"
           "Hearthwick, Nowhereshire\r\n\r\n"
           "Web site:\r\n" +
           kWebSite + "\r\nSupport:\r\n" + kSupportPage + "\r\nE-mail:\r\n" + kSupportMail;
}

Setup::Setup(const SetupParts& parts)
    : Form(SetupLayout(), parts.controls, parts.host), TegoSnd1(parts.music), store_(parts.store) {}

std::string Setup::Read(const char* section, const std::string& name, const std::string& fallback) {
    return store_.Read(kAppName, section, name, fallback);
}

void Setup::Save(const char* section, const std::string& name, const std::string& value) {
    store_.Write(kAppName, section, name, value);
}

void Setup::SaveCheckBox(const char* section, const std::string& name, std::string_view control,
                         int16_t index) {
    Save(section, name, std::to_string(CheckBoxNamed(control, index).Value()));
}

void Setup::LoadCheckBox(std::string_view control, int16_t index, const char* section,
                         const std::string& name, const std::string& fallback) {
    if (auto v = CheckBoxShows(Read(section, name, fallback))) SetCheckBox(control, index, *v);
}

void Setup::LoadScrollBar(std::string_view control, const char* section, const std::string& name,
                          const std::string& fallback, const Slider& slider) {
    if (auto v = SliderShows(Read(section, name, fallback), slider)) SetScrollBar(control, -1, *v);
}

std::string Setup::ScrollText(std::string_view control) {
    return std::to_string(ScrollBarNamed(control).Value());
}

void Setup::Load() {
    SeedIfNeeded(store_);
    AssetFolder = kInstallFolder;

    for (int16_t i = 0; i < 36; ++i)
        LoadCheckBox("ChkMidi", i, "Music", "Music" + std::to_string(i + 1), "1");
    LoadCheckBox("chkShowMessage", -1, "Settings", "ShowMsg", "1");
    SetTextBox("txtMessage", -1, Read("Settings", "Message", "1"));
    SetTextBox("txtFontSizeMsg", -1, FontSizeShows(Read("Settings", "FontSize", "1")));
    CalendarPosition = Read("Settings", "CalPos", "1");
    ChooseOption("optCal", CalPosShows(CalendarPosition));
    LoadCheckBox("chkCalendar", -1, "Settings", "Calendar", "1");
    LoadScrollBar("hsbMouseS", "Settings", "MouseSen", "1", kMouseSenSlider);
    for (int16_t i = 0; i < 6; ++i)
        LoadCheckBox("chkFP", i, "hrthglow", "ShowFP" + std::to_string(i + 1), "1");
    for (int16_t i = 0; i < 4; ++i)
        LoadCheckBox("chkMantle", i, "hrthglow", "ShowM" + std::to_string(i + 3), "1");
    LoadCheckBox("chkRotate", -1, "hrthglow", "RotateCk", "1");
    SetList("cboRotate", -1, RotateTShows(Read("hrthglow", "RotateT", "1")));
    LoadCheckBox("chkEndIron", -1, "hrthglow", "AndIron",
                 std::to_string(CheckBoxNamed("chkEndIron").Value()));
    LoadScrollBar("hsbFlame", "hrthglow", "Speed", "", kSpeedSlider);
    SetTextBox("txtFlame", -1, ScrollText("hsbFlame"));
    LoadScrollBar("hsbVol", "Settings", "Vol", "", kVolSlider);
    LoadCheckBox("chkSound", -1, "Settings", "SoundOn", "");
    SetList("cboSoundOff", -1, SoundOffShows(Read("Settings", "SoundOff", "")));
    for (int16_t i = 0; i < 4; ++i)
        LoadCheckBox("chkStocking", i, "xmas", "ShowS" + std::to_string(i + 1), "1");
    LoadScrollBar("vsbStocking", "xmas", "StockLoc", "2", kStockLocSlider);
    for (int16_t i = 0; i < 2; ++i)
        LoadCheckBox("chkBells", i, "xmas", "Bell" + std::to_string(i + 1), "1");
    for (int16_t i = 0; i < 2; ++i)
        LoadCheckBox("chkPoin", i, "xmas", "Poin" + std::to_string(i + 1), "1");
    LoadCheckBox("chkMusic", -1, "xmas", "PlayMusic", "");
    LoadCheckBox("chkPowerSave", -1, "Settings", "PwrSave", "");

    // The mirrors show their bars also where loading left a bar at its initial value, which
    // raised no event to fill them.
    TextBoxNamed("txtVol").SetText(ScrollText("hsbVol"));
    MouseSensitivity = ScrollText("hsbMouseS");
    TextBoxNamed("txtMouseS").SetText(MouseSensitivity);
}

void Setup::Command2_Click() { host_.ShowHelp(); }

void Setup::cmdWebsite_Click() { Navigate(*this, kWebSite); }

void Setup::cmdAbout_Click() { host_.ShowMessage(AboutText(), "About Hearthglow"); }

void Setup::cmdOK_Click() { host_.Unload(*this); }

void Setup::Form_Unload() { TegoSnd1.StopMidi(); }

void Setup::ControlPanels(const std::string& commandLine) {
    host_.StartProcess(commandLine, kShowState);
}

}  // namespace hg
