#include "settings/settings.h"

#include <algorithm>
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

bool IsItem(const std::vector<std::string>& items, const std::string& text) {
    return std::find(items.begin(), items.end(), text) != items.end();
}

// The number a text starts with, as a whole number: "3" and "3 left" give 3, "left" nothing.
std::optional<int32_t> LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) ++i;
    auto value = ParseNumber(text.substr(start, i - start));
    if (!value) return std::nullopt;
    return RoundToInt32(*value);
}

class SceneReader {
  public:
    explicit SceneReader(SettingsStore& store) : store_(store) {}

    std::string Text(const std::string& section, const std::string& name,
                     const std::string& fallback) {
        return store_.Read(kAppName, section, name, fallback);
    }
    // A box it cannot show stays clear.
    int16_t Box(const std::string& section, const std::string& name, const std::string& fallback) {
        return CheckBoxShows(Text(section, name, fallback)).value_or(0);
    }
    int16_t Bar(const std::string& section, const std::string& name, const std::string& fallback,
                const Slider& slider) {
        return SliderShows(Text(section, name, fallback), slider).value_or(slider.initial);
    }

  private:
    SettingsStore& store_;
};

}  // namespace

const std::vector<std::string>& RotateTItems() {
    static const std::vector<std::string> items = {"1", "2",  "3",  "4",  "5",  "6",  "7", "8",
                                                   "9", "10", "15", "20", "30", "45", "60"};
    return items;
}

const std::vector<std::string>& SoundOffItems() {
    static const std::vector<std::string> items = {"Never", "1",   "2",   "3",   "4",   "5",  "10",
                                                   "15",    "20",  "30",  "45",  "60",  "90", "120",
                                                   "180",   "240", "300", "360", "420", "480"};
    return items;
}

std::optional<int16_t> CheckBoxShows(const std::string& text) {
    auto v = TextToInt16(text);
    if (!v || (*v != 0 && *v != 1)) return std::nullopt;
    return v;
}

std::optional<int16_t> SliderShows(const std::string& text, const Slider& slider) {
    auto v = TextToInt16(text);
    if (!v || *v < std::min(slider.first, slider.last) || *v > std::max(slider.first, slider.last))
        return std::nullopt;
    return v;
}

std::string RotateTShows(const std::string& text) {
    return IsItem(RotateTItems(), text) ? text : "1";
}

std::string SoundOffShows(const std::string& text) {
    auto minutes = ParseNumber(text);
    if (!minutes || *minutes == 0) return "Never";
    return IsItem(SoundOffItems(), text) ? text : "Never";
}

int16_t CalPosShows(const std::string& text) {
    auto k = LeadingNumber(text);
    return k && *k >= 0 && *k <= 3 ? static_cast<int16_t>(*k) : 1;
}

std::string FontSizeShows(const std::string& text) { return TextToInt16(text) ? text : "18"; }

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

    s.ShowMsg = r.Box("Settings", "ShowMsg", "1");
    s.Message = r.Text("Settings", "Message", "1");
    s.FontSize = *TextToInt16(FontSizeShows(r.Text("Settings", "FontSize", "1")));
    s.CalPos = CalPosShows(r.Text("Settings", "CalPos", "1"));
    s.Calendar = r.Box("Settings", "Calendar", "1");
    pwrSave = r.Box("Settings", "PwrSave", "");
    s.MouseSen = r.Bar("Settings", "MouseSen", "1", kMouseSenSlider);

    for (int n = 1; n <= 6; ++n) s.ShowFP[n] = r.Box("hrthglow", "ShowFP" + std::to_string(n), "1");
    for (int n = 1; n <= 6; ++n) {
        if (s.ShowFP[n] == 1) {
            s.CurrentFP = static_cast<int16_t>(n);
            break;
        }
    }
    s.AnyFPShown = false;
    for (int n = 1; n <= 6; ++n)
        if (s.ShowFP[n] == 1) s.AnyFPShown = true;

    for (int n = 3; n <= 6; ++n) s.ShowM[n] = r.Box("hrthglow", "ShowM" + std::to_string(n), "1");
    s.RotateCk = r.Box("hrthglow", "RotateCk", "1");
    s.RotateT = *TextToInt16(RotateTShows(r.Text("hrthglow", "RotateT", "1")));
    s.AndIron = r.Box("hrthglow", "AndIron", "1");
    s.Speed = r.Bar("hrthglow", "Speed", "1", kSpeedSlider);

    s.Vol = r.Bar("Settings", "Vol", "1", kVolSlider);
    s.SoundOn = r.Box("Settings", "SoundOn", "1");
    s.SoundOff = SoundOffShows(r.Text("Settings", "SoundOff", "1"));

    for (int n = 1; n <= 4; ++n) s.ShowS[n] = r.Box("xmas", "ShowS" + std::to_string(n), "1");
    s.StockLoc = r.Bar("xmas", "StockLoc", "2", kStockLocSlider);
    // Kept as stored; the frame reads them as their boxes show them.
    s.Bell[1] = r.Text("xmas", "Bell1", "1");
    s.Bell[2] = r.Text("xmas", "Bell2", "1");
    s.Poin[1] = r.Text("xmas", "Poin1", "1");
    s.Poin[2] = r.Text("xmas", "Poin2", "1");
    s.PlayMusic = r.Box("xmas", "PlayMusic", "");
    bool disableMusicTimer = s.PlayMusic == 1;

    for (int n = 1; n <= 36; ++n) s.Music[n] = r.Box("Music", "Music" + std::to_string(n), "1");

    // Rotation needs a style to show.
    if (!s.AnyFPShown) s.RotateCk = 0;
    return disableMusicTimer;
}

}  // namespace hg
