#pragma once
// The option schema: first-use seeding and the scene's in-memory copy of every option.
#include <array>
#include <cstdint>
#include <string>

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
    std::string SoundOff;  // minutes as text, or "Never"
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

// Reads `SetReg` and runs SetRegistry unless it reads 2.
void SeedIfNeeded(SettingsStore& store);

// Writes every seed, overwriting, with the marker `SetReg` last so that an interrupted seeding
// is repeated at the next start.
void SetRegistry(SettingsStore& store);

// The scene's read, in its fixed order, filling `s` and `pwrSave`. Returns whether the music
// timer must be disabled (`PlayMusic` = 1). Values that do not convert to a 16-bit integer
// (empty, a word, out of range) take their seed, so a hand-edited store still starts a sensible
// scene.
bool ReadSceneSettings(SettingsStore& store, SceneSettings& s, int16_t& pwrSave);

// The 16-bit integer of a stored text, or `fallback` when it does not convert.
int16_t ToInt16Or(const std::string& text, int16_t fallback);

}  // namespace hg
