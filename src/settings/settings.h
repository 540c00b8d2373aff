#pragma once
// The option schema: first-use seeding and the scene's in-memory copy of every option.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace hg {

inline constexpr const char* kAppName = "hrthglow";
inline constexpr const char* kInstallFolder = "C:\\Tallowmere\\hrthglow\\";

struct SceneSettings {
    int16_t ShowMsg = 0;
    std::string Message;
    int16_t FontSize = 0;
    int16_t CalPos = 0;
    int16_t Calendar = 0;
    int16_t MouseSen = 0;
    std::array<int16_t, 7> ShowFP{};  // indexed by hearth style 1..6; [0] unused
    std::array<int16_t, 7> ShowM{};   // indexed by hearth style 3..6; [0..2] unused
    int16_t RotateCk = 0;
    int16_t RotateT = 0;  // minutes as read; seconds once RotateFP has run
    int16_t AndIron = 0;
    int16_t Speed = 0;
    int16_t Vol = 0;
    int16_t SoundOn = 0;
    std::string SoundOff;            // minutes as text, or "Never"
    std::array<int16_t, 5> ShowS{};  // stockings 1..4; [0] unused
    int16_t StockLoc = 0;
    std::array<std::string, 3> Bell;  // 1..2, kept as text; [0] unused
    std::array<std::string, 3> Poin;  // 1..2, kept as text; [0] unused
    int16_t PlayMusic = 0;
    std::array<int16_t, 37> Music{};  // tracks 1..36; [0] is never loaded and stays 0
    int16_t CurrentFP = 0;
    bool AnyFPShown = false;
    std::string InstallFolder;
};

// How the dialog's controls show the values they edit. The dialog and the scene both read a
// value through these, so what the dialog shows is what the scene does. A value a control can
// show reads as stored. One it cannot show (a word, a number outside a slider's range, a box
// that is neither 0 nor 1) reads as the control is before anything is loaded: a box clear, a
// slider at its starting place; the dialog leaves such a control alone. Where a control shows
// nothing before loading (the lists, the calendar's corners, the font size), such a value reads
// as its seed, and the dialog shows the seed.
struct Slider {
    int16_t first, last;  // the values at the left (top) end and at the right (bottom) end
    int16_t initial;      // where it stands before anything is loaded
};
inline constexpr Slider kMouseSenSlider{2, 20, 2};
inline constexpr Slider kVolSlider{-2500, 0, 0};
inline constexpr Slider kSpeedSlider{250, 25, 50};
inline constexpr Slider kStockLocSlider{-20, 100, 100};
const std::vector<std::string>& RotateTItems();
const std::vector<std::string>& SoundOffItems();  // "Never" stands for the stored "0"

// 0 or 1, or nothing when a box cannot show the text.
std::optional<int16_t> CheckBoxShows(const std::string& text);
// The slider's value, or nothing when the text is not a number within its range.
std::optional<int16_t> SliderShows(const std::string& text, const Slider& slider);
// The item the list shows: the text when it is one of the items, else the seed's.
std::string RotateTShows(const std::string& text);
// "Never" for a text that is 0 or no number; the text when it is an item; else "Never".
std::string SoundOffShows(const std::string& text);
// The corner chosen: the number the text starts with when it is 0..3, else the seed's, 1.
int16_t CalPosShows(const std::string& text);
// The text when it reads as a 16-bit number, else the seed's, "18".
std::string FontSizeShows(const std::string& text);

// Reads `SetReg` and runs SetRegistry unless it reads 2.
void SeedIfNeeded(SettingsStore& store);

// Writes every seed, overwriting, with the marker `SetReg` last so that an interrupted seeding
// is repeated at the next start.
void SetRegistry(SettingsStore& store);

// The scene's read, in its fixed order, filling `s` and `pwrSave`, each value as the dialog
// shows it. Returns whether the music timer must be disabled (`PlayMusic` = 1).
bool ReadSceneSettings(SettingsStore& store, SceneSettings& s, int16_t& pwrSave);

}  // namespace hg
