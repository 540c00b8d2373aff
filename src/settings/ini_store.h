#pragma once
// The settings store kept as an INI file: one [section] per store section, one `Name=value` line
// per value, for systems without a registry. Sections and names are found whatever their letter
// case, as the registry finds its keys and values, so a hand-edited file still reads.
//
// Values are written bare when they read back unchanged that way; a value with blanks at either
// end, a leading quote, a backslash or a control character is written in double quotes with
// backslash escapes, so any text (a message with an equals sign, a semicolon or a line break)
// survives the round trip.
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace hg {

class IniStore : public SettingsStore {
  public:
    // The file need not exist yet; its folder is made on the first write.
    explicit IniStore(std::string path);

    std::string Read(const std::string& app, const std::string& section, const std::string& name,
                     const std::string& fallback) override;
    // Saved at once through a temporary file renamed over the old one, so a run that is killed
    // mid-write leaves the previous file whole. A file that cannot be written still keeps the
    // value for this run: a first run on a read-only home seeds in memory and shows the seeds.
    void Write(const std::string& app, const std::string& section, const std::string& name,
               const std::string& value) override;

    const std::string& Path() const { return path_; }

  private:
    struct Line {
        std::string text;     // as read, for comments and lines we do not understand
        std::string section;  // the section the line belongs to
        std::string name;     // empty unless the line is a value
        std::string value;
    };
    void ReloadIfChanged();
    bool Save();
    Line* Find(const std::string& section, const std::string& name);

    std::string path_;
    std::vector<Line> lines_;
    // What the file looked like when last read, to notice another writer's changes.
    struct Stamp {
        bool exists = false;
        long long size = 0, mtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp Current() const;
    Stamp loaded_;
    bool loadedOnce_ = false;
    bool unsaved_ = false;  // memory holds writes the file could not take
};

// `$XDG_CONFIG_HOME/hearthglow/hearthglow.ini`, with `~/.config` when the variable is unset,
// empty or not an absolute path (as the XDG rules say); empty when no home is known either.
std::string DefaultIniPath(const char* xdgConfigHome, const char* home);

// The escaping of one value, exposed for the tests.
std::string EncodeIniValue(const std::string& value);
std::string DecodeIniValue(const std::string& raw);

}  // namespace hg
