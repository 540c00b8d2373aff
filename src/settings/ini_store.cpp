#include "settings/ini_store.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace hg {

namespace fs = std::filesystem;

namespace {

// A settings file is a few kilobytes; anything far bigger is not ours to parse.
constexpr std::uintmax_t kMaxFileBytes = 1u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Letter case is ignored for ASCII letters only: section and value names are ASCII.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EncodeIniValue(const std::string& value) {
    bool bare = value.empty() ||
                (!IsBlank(value.front()) && !IsBlank(value.back()) && value.front() != '"');
    for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F || c == '\\') bare = false;
    if (bare) return value;
    std::string out = "\"";
    for (unsigned char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    const char* hex = "0123456789ABCDEF";
                    out += "\\x";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string DecodeIniValue(const std::string& raw) {
    std::string t = Trim(raw);
    // Only a value in matching quotes is ours to unescape; anything else is taken as typed.
    if (t.size() < 2 || t.front() != '"' || t.back() != '"') return t;
    std::string out;
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        char c = t[i];
        if (c != '\\' || i + 2 >= t.size()) {
            out += c;
            continue;
        }
        char e = t[++i];
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                int hi = i + 1 + 1 < t.size() ? HexDigit(t[i + 1]) : -1;
                int lo = i + 2 + 1 < t.size() ? HexDigit(t[i + 2]) : -1;
                if (hi >= 0 && lo >= 0) {
                    out += static_cast<char>(hi * 16 + lo);
                    i += 2;
                } else {
                    out += "\\x";
                }
                break;
            }
            default:
                out += e;  // \\ and \" and anything a hand left behind
        }
    }
    return out;
}

std::string DefaultIniPath(const char* xdgConfigHome, const char* home) {
    fs::path base;
    if (xdgConfigHome && *xdgConfigHome && fs::path(xdgConfigHome).is_absolute())
        base = xdgConfigHome;
    else if (home && *home)
        base = fs::path(home) / ".config";
    else
        return {};
    return (base / "hearthglow" / "hearthglow.ini").string();
}

IniStore::IniStore(std::string path) : path_(std::move(path)) { ReloadIfChanged(); }

IniStore::Stamp IniStore::Current() const {
    Stamp s;
    std::error_code ec;
    auto status = fs::status(path_, ec);
    if (ec || !fs::is_regular_file(status)) return s;
    s.exists = true;
    s.size = static_cast<long long>(fs::file_size(path_, ec));
    auto mtime = fs::last_write_time(path_, ec);
    s.mtimeNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(mtime.time_since_epoch()).count();
    return s;
}

void IniStore::ReloadIfChanged() {
    // Values the file refused stay in memory for the rest of the run.
    if (unsaved_) return;
    Stamp now = Current();
    if (loadedOnce_ && now == loaded_) return;
    loadedOnce_ = true;
    loaded_ = now;
    lines_.clear();
    if (!now.exists || static_cast<std::uintmax_t>(now.size) > kMaxFileBytes) return;
    std::ifstream in(path_, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // an editor's byte-order mark

    std::string section;
    std::istringstream lines(text);
    std::string raw;
    while (std::getline(lines, raw)) {
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line line{raw, section, {}, {}};
        std::string t = Trim(raw);
        if (!t.empty() && t.front() == '[' && t.back() == ']') {
            section = Trim(t.substr(1, t.size() - 2));
            line.section = section;
        } else if (!t.empty() && t.front() != ';' && t.front() != '#') {
            size_t eq = t.find('=');
            if (eq != std::string::npos && eq > 0) {
                line.name = Trim(t.substr(0, eq));
                line.value = DecodeIniValue(t.substr(eq + 1));
            }
        }
        lines_.push_back(std::move(line));
    }
}

IniStore::Line* IniStore::Find(const std::string& section, const std::string& name) {
    // The first of several equal names counts, as it does for the Windows profile functions.
    for (Line& l : lines_)
        if (!l.name.empty() && SameName(l.section, section) && SameName(l.name, name)) return &l;
    return nullptr;
}

std::string IniStore::Read(const std::string&, const std::string& section, const std::string& name,
                           const std::string& fallback) {
    ReloadIfChanged();
    const Line* l = Find(section, name);
    return l ? l->value : fallback;
}

void IniStore::Write(const std::string&, const std::string& section, const std::string& name,
                     const std::string& value) {
    ReloadIfChanged();
    if (Line* l = Find(section, name)) {
        l->value = value;
        l->text = l->name + "=" + EncodeIniValue(value);
    } else {
        // After the last line of the section, or in a new section at the end.
        size_t at = lines_.size();
        bool found = false;
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (!SameName(lines_[i].section, section)) continue;
            found = true;
            if (!Trim(lines_[i].text).empty()) at = i + 1;
        }
        if (!found) {
            if (!lines_.empty() && !Trim(lines_.back().text).empty())
                lines_.push_back({"", lines_.back().section, {}, {}});
            lines_.push_back({"[" + section + "]", section, {}, {}});
            at = lines_.size();
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      Line{name + "=" + EncodeIniValue(value), section, name, value});
    }
    unsaved_ = !Save();
    if (!unsaved_) loaded_ = Current();
}

bool IniStore::Save() {
    if (path_.empty()) return false;
    std::error_code ec;
    fs::path target(path_);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    // A name of its own per writer, so two instances seeding at once never share a half file.
    fs::path temp = target;
    temp += ".tmp-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
            "-" + std::to_string(reinterpret_cast<uintptr_t>(this));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const Line& l : lines_) out << l.text << '\n';
        out.flush();
        if (!out) {
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace hg
