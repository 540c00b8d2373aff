// Drives the configuration dialog the way a user's actions reach it: real window messages sent
// to its controls (clicks, scroll bar moves, keys in a list, characters typed), and reads back
// captions, check states and registry values. Commands come one per line on standard input,
// in UTF-8; each answers with one line on standard output.
//
//   wait <title> [seconds]   find a top-level window by its exact title and use it
//   page <n>                 choose tab n with the arrow keys of the tab strip
//   click <control>          BM_CLICK on a button, check box or option
//   press <caption>          BM_CLICK on the button with this caption
//   state <control>          the check state of a check box or option
//   text <control>           the window text (caption or contents)
//   type <control> <text>    select all, then type the text character by character
//   pick <control> <item>    Home, then Down in the closed list until it shows the item
//   scroll <control> <code> [position]   a scroll bar's report: track, release, end, left,
//                            right, lineleft, lineright, pageleft, pageright
//   range <control>          a scroll bar's range and thumb as Windows holds them: min max pos
//   children <control>       the control's child windows in z-order (so in Tab order), each
//                            after a tab as name|class|style|left|top|right|bottom|text, the
//                            rectangle in the control's client coordinates
//   client                   the size of the window's client area
//   focus                    the control that has the keyboard focus
//   reg <section> <value>    a value of the screen saver's settings
//   exists <title>           whether a top-level window has this title
//   record <file> <text>     (as a command-line argument) appends the text to the file
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

void Say(const std::string& line) {
    std::string out = line + "\n";
    fwrite(out.data(), 1, out.size(), stdout);
    fflush(stdout);
}

std::wstring TextOf(HWND w) {
    wchar_t buf[4096] = {};
    SendMessageW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
    return buf;
}

std::string NameOf(HWND w) {
    auto atom = static_cast<ATOM>(reinterpret_cast<intptr_t>(GetPropW(w, L"HearthglowControl")));
    if (!atom) return {};
    wchar_t buf[256] = {};
    GlobalGetAtomNameW(atom, buf, 256);
    return Narrow(buf);
}

struct Search {
    std::string name;
    std::wstring caption;
    std::wstring cls;
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (!s->name.empty() && NameOf(w) == s->name) s->found = w;
    if (!s->caption.empty() && TextOf(w) == s->caption) s->found = w;
    if (!s->cls.empty()) {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (s->cls == cls) s->found = w;
    }
    return s->found ? FALSE : TRUE;
}

HWND Find(HWND top, Search s) {
    if (!top) return nullptr;
    EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND Control(HWND top, const std::string& name) {
    Search s;
    s.name = name;
    return Find(top, s);
}

// A window counts once it is shown: the dialog is made hidden and shown when it has loaded.
HWND TopWindow(const std::wstring& title, int seconds) {
    for (int i = 0; i <= seconds * 10; ++i) {
        HWND w = FindWindowW(nullptr, title.c_str());
        if (w && IsWindowVisible(w)) return w;
        if (i < seconds * 10) Sleep(100);
    }
    return nullptr;
}

// Splits "verb first rest of line" into its verb, its first word and the rest.
void Split(const std::string& line, std::string& verb, std::string& first, std::string& rest) {
    size_t a = line.find(' ');
    verb = line.substr(0, a);
    if (a == std::string::npos) return;
    size_t b = line.find(' ', a + 1);
    first = line.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
    if (b != std::string::npos) rest = line.substr(b + 1);
}

int ScrollCode(const std::string& code) {
    struct Pair {
        const char* name;
        int code;
    };
    const Pair pairs[] = {
        {"lineleft", SB_LINELEFT},   {"lineright", SB_LINERIGHT}, {"pageleft", SB_PAGELEFT},
        {"pageright", SB_PAGERIGHT}, {"track", SB_THUMBTRACK},    {"release", SB_THUMBPOSITION},
        {"left", SB_LEFT},           {"right", SB_RIGHT},         {"end", SB_ENDSCROLL}};
    for (const Pair& p : pairs)
        if (code == p.name) return p.code;
    return SB_ENDSCROLL;
}

void Key(HWND w, WPARAM vk) {
    SendMessageW(w, WM_KEYDOWN, vk, 1);
    SendMessageW(w, WM_KEYUP, vk, 0xC0000001);
}

void Run(const std::string& line, HWND& top) {
    std::string verb, first, rest;
    Split(line, verb, first, rest);
    if (verb == "wait" || verb == "exists") {
        std::wstring title = Widen(line.substr(verb.size() + 1));
        int seconds = 0;
        if (verb == "wait") {
            // An optional number of seconds ends the line.
            size_t sp = title.rfind(L' ');
            if (sp != std::wstring::npos && iswdigit(title[sp + 1])) {
                seconds = _wtoi(title.c_str() + sp + 1);
                title.resize(sp);
            } else {
                seconds = 10;
            }
        }
        HWND w = TopWindow(title, seconds);
        if (verb == "wait") {
            if (w) top = w;
            Say(w ? "found" : "missing");
        } else {
            Say(std::string("exists ") + (w ? "1" : "0"));
        }
        return;
    }
    if (verb == "client") {
        RECT r = {};
        GetClientRect(top, &r);
        Say("client " + std::to_string(r.right) + " " + std::to_string(r.bottom));
        return;
    }
    if (verb == "focus") {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
        Say("focus " + NameOf(info.hwndFocus));
        return;
    }
    if (verb == "page") {
        Search s;
        s.cls = L"SysTabControl32";
        HWND tabs = Find(top, s);
        int want = atoi(first.c_str());
        for (int i = 0; tabs && i < 10; ++i) {
            int cur = static_cast<int>(SendMessageW(tabs, 0x130B /* TCM_GETCURSEL */, 0, 0));
            if (cur == want) break;
            Key(tabs, cur < want ? VK_RIGHT : VK_LEFT);
        }
        Say("page " + first);
        return;
    }
    if (verb == "reg") {
        std::wstring key = L"Software\\Tallowmere\\hrthglow\\" + Widen(first);
        wchar_t buf[4096] = {};
        DWORD size = sizeof buf - sizeof(wchar_t);
        DWORD type = 0;
        HKEY k;
        bool ok = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (ok) {
            ok = RegQueryValueExW(k, Widen(rest).c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS;
            RegCloseKey(k);
        }
        // Piece by piece: GCC 12 sees a false overlap in a chain of + here.
        std::string answer = "reg ";
        answer.append(rest).append(ok ? "=" : " absent").append(ok ? Narrow(buf) : "");
        Say(answer);
        return;
    }
    HWND c = nullptr;
    if (verb == "press") {
        Search s;
        s.caption = Widen(line.substr(verb.size() + 1));
        c = Find(top, s);
    } else {
        c = Control(top, first);
    }
    if (!c) {
        Say("no-control " + first);
        return;
    }
    if (verb == "click" || verb == "press") {
        SendMessageW(c, BM_CLICK, 0, 0);
        Say("clicked");
    } else if (verb == "state") {
        Say("state " + std::to_string(SendMessageW(c, BM_GETCHECK, 0, 0)));
    } else if (verb == "text") {
        Say("text " + Narrow(TextOf(c)));
    } else if (verb == "type") {
        SendMessageW(c, EM_SETSEL, 0, -1);
        for (wchar_t ch : Widen(rest)) SendMessageW(c, WM_CHAR, ch, 1);
        Say("typed");
    } else if (verb == "pick") {
        const std::wstring item = Widen(rest);
        Key(c, VK_HOME);
        for (int i = 0; i < 40 && TextOf(c) != item; ++i) Key(c, VK_DOWN);
        Say("picked " + Narrow(TextOf(c)));
    } else if (verb == "range") {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_POS;
        GetScrollInfo(c, SB_CTL, &si);
        Say("range " + std::to_string(si.nMin) + " " + std::to_string(si.nMax) + " " +
            std::to_string(si.nPos));
    } else if (verb == "children") {
        std::string out = "children";
        for (HWND k = GetWindow(c, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT)) {
            wchar_t cls[64] = {};
            GetClassNameW(k, cls, 64);
            RECT r;
            GetWindowRect(k, &r);
            MapWindowPoints(nullptr, c, reinterpret_cast<POINT*>(&r), 2);
            char fields[96];
            snprintf(fields, sizeof fields, "|%08lx|%ld|%ld|%ld|%ld|",
                     static_cast<unsigned long>(GetWindowLongW(k, GWL_STYLE)), r.left, r.top,
                     r.right, r.bottom);
            out.append("\t").append(NameOf(k)).append("|").append(Narrow(cls));
            out.append(fields).append(Narrow(TextOf(k)));
        }
        Say(out);
    } else if (verb == "scroll") {
        std::string code = rest.substr(0, rest.find(' '));
        int position =
            rest.find(' ') == std::string::npos ? 0 : atoi(rest.substr(rest.find(' ') + 1).c_str());
        const bool vertical = (GetWindowLongW(c, GWL_STYLE) & SBS_VERT) != 0;
        SendMessageW(GetParent(c), vertical ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(ScrollCode(code), position), reinterpret_cast<LPARAM>(c));
        Say("scrolled");
    } else {
        Say("unknown " + verb);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The browser stand-in: the shell runs us with the address it was asked to open.
    if (argc >= 3 && !strcmp(argv[1], "record")) {
        FILE* f = fopen(argv[2], "a");
        if (!f) return 1;
        for (int i = 3; i < argc; ++i) fprintf(f, "%s%s", i > 3 ? " " : "", argv[i]);
        fprintf(f, "\n");
        fclose(f);
        return 0;
    }
    HWND top = nullptr;
    char buf[8192];
    while (fgets(buf, sizeof buf, stdin)) {
        std::string line = buf;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        if (line.rfind("sleep ", 0) == 0) {
            Sleep(static_cast<DWORD>(atoi(line.c_str() + 6)));
            Say("slept");
            continue;
        }
        Run(line, top);
    }
    return 0;
}
