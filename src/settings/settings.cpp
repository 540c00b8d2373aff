#include "settings/settings.h"

#include <vector>

#include "common/number_text.h"

namespace hg {

namespace {

struct Seed {
    std::string section;
    std::string name;
    std::string value;
};

// Every seed, in the order it is written. `SetReg` comes last: it marks a finished seeding.
const std::vector<Seed>& Seeds() {
    static const std::vector<Seed> seeds = [] {
        std::vector<Seed> s = {
            {"hrthglow", "AndIron", "1"},
            {"hrthglow", "RotateCk", "1"},
            {"hrthglow", "RotateT", "1"},
        };
        for (int n = 1; n <= 6; ++n)
            s.push_back({"hrthglow", "ShowFP" + std::to_string(n), n <= 5 ? "1" : "0"});
        for (int n = 3; n <= 6; ++n) s.push_back({"hrthglow", "ShowM" + std::to_string(n), "1"});
        s.push_back({"hrthglow", "Speed", "100"});
        s.push_back({"Settings", "Calendar", "0"});
        s.push_back({"Settings", "CalPos", "1"});
        s.push_back({"Settings", "FontSize", "18"});
        s.push_back({"Settings", "Message", "Place a message here"});
        s.push_back({"Settings", "MouseSen", "4"});
        s.push_back({"Settings", "SoundOff", "0"});
        s.push_back({"Settings", "Vol", "-1667"});
        s.push_back({"xmas", "Bell1", "0"});
        s.push_back({"xmas", "Bell2", "0"});
        s.push_back({"Settings", "PwrSave", "0"});
        s.push_back({"xmas", "PlayMusic", "1"});
        for (int n = 1; n <= 36; ++n) s.push_back({"Music", "Music" + std::to_string(n), "0"});
        s.push_back({"xmas", "Poin1", "0"});
        s.push_back({"xmas", "Poin2", "0"});
        for (int n = 1; n <= 4; ++n) s.push_back({"xmas", "ShowS" + std::to_string(n), "0"});
        s.push_back({"Settings", "SoundOn", "1"});
        s.push_back({"xmas", "StockLoc", "19"});
        s.push_back({"Settings", "SetReg", "2"});
        return s;
    }();
    return seeds;
}

// The number a value falls back to when its stored text does not convert: its seed, or for
// `ShowMsg`, which has none, its scene default.
int16_t FallbackFor(const std::string& name) {
    for (const Seed& seed : Seeds())
        if (seed.name == name) return ToInt16Or(seed.value, 0);
    return 1;
}

class SceneReader {
public:
    explicit SceneReader(SettingsStore& store) : store_(store) {}

    std::string Text(const std::string& section, const std::string& name,
                     const std::string& fallback) {
        return store_.Read(kAppName, section, name, fallback);
    }
    int16_t Int(const std::string& section, const std::string& name, const std::string& fallback) {
        return ToInt16Or(Text(section, name, fallback), FallbackFor(name));
    }

private:
    SettingsStore& store_;
};

}  // namespace

int16_t ToInt16Or(const std::string& text, int16_t fallback) {
    auto v = TextToInt16(text);
    return v ? *v : fallback;
}

void SetRegistry(SettingsStore& store) {
    for (const Seed& seed : Seeds()) store.Write(kAppName, seed.section, seed.name, seed.value);
}

void SeedIfNeeded(SettingsStore& store) {
    // An unreadable marker is not 2, so a damaged store is seeded afresh.
    auto marker = TextToInt16(store.Read(kAppName, "Settings", "SetReg", "1"));
    if (!marker || *marker != 2) SetRegistry(store);
}

bool ReadSceneSettings(SettingsStore& store, SceneSettings& s, int16_t& pwrSave) {
    SceneReader r(store);
    s.InstallFolder = kInstallFolder;

    s.ShowMsg = r.Int("Settings", "ShowMsg", "1");
    s.Message = r.Text("Settings", "Message", "1");
    s.FontSize = r.Int("Settings", "FontSize", "1");
    s.CalPos = r.Int("Settings", "CalPos", "1");
    s.Calendar = r.Int("Settings", "Calendar", "1");
    pwrSave = r.Int("Settings", "PwrSave", "");
    s.MouseSen = r.Int("Settings", "MouseSen", "1");

    for (int n = 1; n <= 6; ++n) s.ShowFP[n] = r.Int("hrthglow", "ShowFP" + std::to_string(n), "1");
    for (int n = 1; n <= 6; ++n) {
        if (s.ShowFP[n] == 1) {
            s.CurrentFP = static_cast<int16_t>(n);
            break;
        }
    }
    s.AnyFPShown = false;
    for (int n = 1; n <= 6; ++n)
        if (s.ShowFP[n] == 1) s.AnyFPShown = true;

    for (int n = 3; n <= 6; ++n) s.ShowM[n] = r.Int("hrthglow", "ShowM" + std::to_string(n), "1");
    s.RotateCk = r.Int("hrthglow", "RotateCk", "1");
    s.RotateT = r.Int("hrthglow", "RotateT", "1");
    s.AndIron = r.Int("hrthglow", "AndIron", "1");
    s.Speed = r.Int("hrthglow", "Speed", "1");

    s.Vol = r.Int("Settings", "Vol", "1");
    s.SoundOn = r.Int("Settings", "SoundOn", "1");
    s.SoundOff = r.Text("Settings", "SoundOff", "1");
    {
        // A text that names no number of minutes cannot mean "stop at once": such a
        // hand-edited value is taken as "Never".
        auto minutes = ParseNumber(s.SoundOff);
        if (!minutes || *minutes == 0) s.SoundOff = "Never";
    }

    for (int n = 1; n <= 4; ++n) s.ShowS[n] = r.Int("xmas", "ShowS" + std::to_string(n), "1");
    s.StockLoc = r.Int("xmas", "StockLoc", "2");
    s.Bell[1] = r.Text("xmas", "Bell1", "1");
    s.Bell[2] = r.Text("xmas", "Bell2", "1");
    s.Poin[1] = r.Text("xmas", "Poin1", "1");
    s.Poin[2] = r.Text("xmas", "Poin2", "1");
    s.PlayMusic = r.Int("xmas", "PlayMusic", "");
    bool disableMusicTimer = s.PlayMusic == 1;

    for (int n = 1; n <= 36; ++n) s.Music[n] = r.Int("Music", "Music" + std::to_string(n), "1");

    // Rotation needs a style to show. Only a value of exactly 1 enables a style, so a store
    // holding nothing but zeros, or hand-edited values such as 2, turns rotation off.
    if (!s.AnyFPShown) s.RotateCk = 0;
    return disableMusicTimer;
}

}  // namespace hg
