#pragma once
// The configuration dialog: three pages of options, each stored the moment it changes, a music
// test bench on the dialog's own music control, and the buttons of its bar.
#include <cstdint>
#include <string>
#include <vector>

#include "config/form.h"
#include "settings/settings.h"

namespace hg {

inline constexpr const char* kAppTitle = "Hearthglow";
inline constexpr const char* kWebSite = "https://www.tallowmere.example/";
inline constexpr const char* kSupportPage = "https://www.tallowmere.example/support.htm";
inline constexpr const char* kSupportMail = "support@tallowmere.example";
inline constexpr const char* kColorDepthCommand =
    "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,3";
inline constexpr int kShowState = 5;  // shown and activated
inline constexpr const char* kTestCaption = "T&est";
inline constexpr const char* kStopCaption = "Stop";

// The form's rows: the tabbed control and its three pages, then the button bar. Each page's
// rows come from the source file of that page.
const FormLayout& SetupLayout();
std::vector<ControlRow> SettingsPageRows();
std::vector<ControlRow> HearthglowPageRows();
std::vector<ControlRow> MusicPageRows();
// The title of track n (1..36) as its check box shows it.
const char* TrackTitle(int n);

// The texts of the two message boxes.
std::string KeyboardHelpText();
std::string AboutText();

struct SetupParts {
    SettingsStore& store;
    FormControls& controls;
    DialogHost& host;
    TegoSnd& music;
};

class Setup : public Form {
  public:
    explicit Setup(const SetupParts& parts);

    // The load handler: seeds a fresh store, then sets every control from the store, in order.
    void Load();

    // Members.
    std::string AssetFolder;       // the install folder, for the test buttons
    std::string CalendarPosition;  // the `CalPos` text as last loaded or chosen
    std::string MouseSensitivity;  // the value last shown in txtMouseS

    TegoSnd& TegoSnd1;

    // Page "Settings".
    void chkShowMessage_Click();
    void txtFontSizeMsg_Change();
    void txtMessage_Change();
    void hsbMouseS_Change();
    void hsbMouseS_Scroll();
    void chkSound_Click();
    void hsbVol_Change();
    void hsbVol_Scroll();
    void cmdKeyboard_Click();
    void cboSoundOff_Click();
    void chkCalendar_Click();
    void optCal_Click(int16_t index);
    void chkStocking_Click(int16_t index);
    void vsbStocking_Change();
    void vsbStocking_Scroll();
    void chkPoin_Click(int16_t index);
    void chkBells_Click(int16_t index);
    void cmdColor_Click();
    void chkPowerSave_Click();

    // Page "Hearthglow Settings".
    void chkFP_Click(int16_t index);
    void chkMantle_Click(int16_t index);
    void chkRotate_Click();
    void cboRotate_Click();
    void chkEndIron_Click();
    void hsbFlame_Change();
    void hsbFlame_Scroll();

    // Page "Music".
    void chkMusic_Click();
    void ChkMidi_Click(int16_t index);
    void cmdTestMusic_Click(int16_t index);

    // The button bar.
    void Command2_Click();
    void cmdWebsite_Click();
    void cmdAbout_Click();
    void cmdOK_Click();

    // The unload handler: the test bench falls silent with the dialog, however it closes.
    void Form_Unload();

    // Starts a command line as a new process, shown; a failure is ignored.
    void ControlPanels(const std::string& commandLine);

  private:
    std::string Read(const char* section, const std::string& name, const std::string& fallback);
    void Save(const char* section, const std::string& name, const std::string& value);
    void SaveCheckBox(const char* section, const std::string& name, std::string_view control,
                      int16_t index = -1);
    // One loading step for a check box or a scroll bar: a value it cannot take is skipped.
    void LoadCheckBox(std::string_view control, int16_t index, const char* section,
                      const std::string& name, const std::string& fallback);
    void LoadScrollBar(std::string_view control, const char* section, const std::string& name,
                       const std::string& fallback, const Slider& slider);
    std::string ScrollText(std::string_view control);

    SettingsStore& store_;
};

}  // namespace hg
