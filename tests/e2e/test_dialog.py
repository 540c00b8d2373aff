"""The configuration dialog, driven through real window messages by dialog_driver_win32.exe,
with what it stores read back from the registry."""
import os
import subprocess
import tempfile
import time

import hg

DRIVER = hg.DRIVER
DIALOG = "Hearthglow Screensaver by Tallowmere"
HELP = "Screensaver Help"
PAGES = ("settings", "hearthglow", "music")


def drive(env, *commands, timeout=60):
    """Runs the driver over the commands; returns its answers, one per command."""
    p = env.wine([DRIVER], stdin=subprocess.PIPE, encoding="utf-8")
    out, _ = p.communicate("\n".join(commands) + "\n", timeout=timeout)
    return out.splitlines()


def open_dialog(env):
    p = env.scr("/c")
    assert drive(env, f"wait {DIALOG} 20") == ["found"], "the dialog did not open"
    return p


def shoot_pages(env, prefix):
    for n, name in enumerate(PAGES):
        drive(env, f"wait {DIALOG}", f"page {n}", "sleep 500")
        env.screenshot(f"{prefix}-{name}")


def import_reg(env, lines):
    fd, path = tempfile.mkstemp(suffix=".reg")
    with os.fdopen(fd, "w") as f:
        f.write("\r\n".join(["REGEDIT4", ""] + lines + [""]))
    env.regedit(path)
    os.unlink(path)


def test_first_dialog_seeds_shows_the_seeds_and_every_check_box_stores_its_own_value(env):
    p = open_dialog(env)
    shown = drive(env, f"wait {DIALOG}", "text txtVol", "text txtMouseS", "text txtFlame",
                  "text cboSoundOff", "text cboRotate", "text txtMessage", "state optCal(1)")
    assert shown[1:] == ["text -1667", "text 4", "text 100", "text Never", "text 1",
                         "text Place a message here", "state 1"], shown
    shoot_pages(env, "dialog")

    boxes = {
        0: ["chkShowMessage", "chkSound", "chkCalendar", "chkPowerSave"]
        + [f"chkStocking({i})" for i in range(4)] + [f"chkPoin({i})" for i in range(2)]
        + [f"chkBells({i})" for i in range(2)],
        1: ["chkRotate", "chkEndIron"] + [f"chkFP({i})" for i in range(6)]
        + [f"chkMantle({i})" for i in range(4)],
        2: ["chkMusic"] + [f"ChkMidi({i})" for i in range(36)],
    }
    script = [f"wait {DIALOG}"]
    for page, names in boxes.items():
        script += [f"page {page}"] + [f"click {n}" for n in names]
    answers = drive(env, *script)
    assert all(a in ("found", "clicked") or a.startswith("page") for a in answers), answers

    flipped = {
        "Settings": {"ShowMsg": "0", "SoundOn": "0", "Calendar": "1", "PwrSave": "1"},
        "xmas": {"ShowS1": "1", "ShowS2": "1", "ShowS3": "1", "ShowS4": "1", "Poin1": "1",
                 "Poin2": "1", "Bell1": "1", "Bell2": "1", "PlayMusic": "0"},
        "hrthglow": {"RotateCk": "0", "AndIron": "0", "ShowFP1": "0", "ShowFP2": "0",
                     "ShowFP3": "0", "ShowFP4": "0", "ShowFP5": "0", "ShowFP6": "1",
                     "ShowM3": "0", "ShowM4": "0", "ShowM5": "0", "ShowM6": "0"},
        "Music": {f"Music{n}": "1" for n in range(1, 37)},
    }
    for section, expected in flipped.items():
        got = env.read_values(section)
        wrong = {k: got.get(k) for k, v in expected.items() if got.get(k) != v}
        assert not wrong, f"{section}: {wrong}"
    assert p.poll() is None


def test_bars_lists_and_typing_store_each_change(env):
    open_dialog(env)
    drag = ["scroll hsbVol left"]
    for position in range(0, 2501, 250):
        drag.append(f"scroll hsbVol track {position}")
        if position == 1250:
            drag += ["text txtVol", "reg Settings Vol"]
    drag += ["scroll hsbVol release 2500", "scroll hsbVol end", "text txtVol", "reg Settings Vol"]
    answers = [a for a in drive(env, f"wait {DIALOG}", *drag) if a.startswith(("text", "reg"))]
    assert answers == ["text -1250", "reg Vol=-1250", "text 0", "reg Vol=0"], answers

    message = "Frohe Weihnachten \u2014 Joyeux No\u00ebl \u2014 \u30e1\u30ea\u30fc\u30af\u30ea\u30b9\u30de\u30b9"
    answers = drive(env, f"wait {DIALOG}",
                    "pick cboSoundOff 45", "reg Settings SoundOff",
                    "pick cboSoundOff Never", "reg Settings SoundOff",
                    f"type txtMessage {message}", "reg Settings Message",
                    "click optCal(3)", "reg Settings CalPos",
                    # Windows' own ranges and thumbs: the seeded 4 of 2..20, and 19 of -20 at
                    # the top to 100 at the bottom, so a step up is a step higher.
                    "range hsbMouseS", "scroll hsbMouseS right", "reg Settings MouseSen",
                    "range vsbStocking", "scroll vsbStocking lineleft", "reg xmas StockLoc",
                    "page 1", "scroll hsbFlame left", "reg hrthglow Speed", "text txtFlame")
    assert answers[1:] == ["picked 45", "reg SoundOff=45", "picked Never", "reg SoundOff=0",
                           "typed", f"reg Message={message}", "clicked", "reg CalPos=3",
                           "range 0 18 2", "scrolled", "reg MouseSen=20",
                           "range 0 120 39", "scrolled", "reg StockLoc=18",
                           "page 1", "scrolled", "reg Speed=250", "text 250"], answers


def test_values_typed_in_by_hand_with_other_registry_types_read_as_their_text(env):
    key = "[HKEY_CURRENT_USER\\Software\\Tallowmere\\hrthglow\\"
    import_reg(env, [key + "Settings]", '"SetReg"="2"',
                     '"MouseSen"=dword:00000008',
                     '"Vol"=dword:fffff97d',
                     '"FontSize"=hex(b):18,00,00,00,00,00,00,00',
                     '"Message"=hex(7):4d,65,72,72,79,00,4e,6f,65,6c,00,00',
                     "", key + "hrthglow]", '"Speed"=hex(5):00,00,00,c8',
                     "", key + "xmas]", '"ShowS1"=hex:31'])
    open_dialog(env)
    answers = drive(env, f"wait {DIALOG}", "text txtMouseS", "text txtVol", "text txtFontSizeMsg",
                    "text txtMessage", "state chkStocking(0)", "page 1", "text txtFlame")
    assert answers[1:] == ["text 8", "text -1667", "text 24", "text Merry", "state 0", "page 1",
                           "text 200"], answers


def test_test_buttons_share_one_player_and_keep_their_own_captions(env):
    open_dialog(env)
    answers = drive(env, f"wait {DIALOG}", "page 2",
                    "click cmdTestMusic(2)", "click cmdTestMusic(6)",
                    "text cmdTestMusic(2)", "text cmdTestMusic(6)",
                    "click cmdTestMusic(2)", "text cmdTestMusic(2)", "text cmdTestMusic(6)",
                    "click cmdTestMusic(2)", "text cmdTestMusic(2)")
    texts = [a for a in answers if a.startswith("text")]
    assert texts == ["text Stop", "text Stop", "text T&est", "text Stop", "text Stop"], answers


def test_help_link_website_and_the_process_living_while_a_window_is_open(env):
    record = os.path.join(env.env["WINEPREFIX"], "drive_c", "hg-browser.txt")
    if os.path.exists(record):
        os.unlink(record)
    driver = "Z:" + DRIVER.replace("/", "\\\\")
    command = f'\\"{driver}\\" record C:\\\\hg-browser.txt \\"%1\\"'
    key = "[HKEY_CLASSES_ROOT\\https\\shell\\open\\command]"
    import_reg(env, [key, f'@="{command}"'])
    try:
        p = open_dialog(env)
        answers = drive(env, f"wait {DIALOG}", "click Command2", f"wait {HELP} 15",
                        "press &Go Online for Help", "press &Go Online for Help",
                        f"wait {DIALOG}", "click cmdWebsite", "click cmdOK", "sleep 1000",
                        f"exists {DIALOG}", f"exists {HELP}")
        assert answers[2] == "found", answers
        assert answers[-2:] == ["exists 0", "exists 1"], answers
        assert p.poll() is None, "the process ended while the help window was open"
        end = time.time() + 20
        lines = []
        while time.time() < end and len(lines) < 3:
            time.sleep(0.3)
            if os.path.exists(record):
                with open(record) as f:
                    lines = [line.strip() for line in f if line.strip()]
        assert sorted(lines) == sorted(["https://www.tallowmere.example/support.htm"] * 2
                                       + ["https://www.tallowmere.example/"]), lines
        drive(env, f"wait {HELP}", "press &Close")
        assert hg.wait_exit(p, 10), "closing the last window did not end the process"
    finally:
        import_reg(env, [key, '@="\\"C:\\\\windows\\\\system32\\\\winebrowser.exe\\" \\"%1\\""'])


def test_keyboard_tab_access_key_enter_and_escape(env):
    p = open_dialog(env)
    time.sleep(1)
    assert drive(env, f"wait {DIALOG}", "focus")[1] == "focus chkShowMessage"
    env.key("Tab")
    assert drive(env, f"wait {DIALOG}", "focus")[1] == "focus txtFontSizeMsg"
    env.key("alt+a")
    assert drive(env, "wait About Hearthglow 10") == ["found"], "Alt+A opened no about box"
    time.sleep(1)
    env.key("Return")
    assert drive(env, "sleep 1000", "exists About Hearthglow")[1] == "exists 0"
    env.key("Escape")
    assert hg.wait_exit(p, 10), "Esc did not close the dialog"


# Each page's frames, in Tab order, with the controls Tab reaches inside each.
FRAMES = {
    0: {"Show Message": ["chkShowMessage", "txtFontSizeMsg", "txtMessage"],
        "Mouse Sensitivity": ["hsbMouseS", "txtMouseS"],
        "SOUND": ["chkSound", "hsbVol", "txtVol", "cmdKeyboard", "cboSoundOff"],
        "Calendar/Clock": ["chkCalendar"] + [f"optCal({i})" for i in range(4)],
        "Stockings": [f"chkStocking({i})" for i in range(4)] + ["vsbStocking"],
        "Poinsettias": ["chkPoin(0)", "chkPoin(1)"],
        "Bells": ["chkBells(0)", "chkBells(1)"]},
    1: {"Hearthglow": ["chkFP(0)", "chkFP(1)"]
        + [box for i in range(4) for box in (f"chkFP({i + 2})", f"chkMantle({i})")]
        + ["chkRotate", "cboRotate"],
        "Flame Speed": ["hsbFlame", "txtFlame"]},
    2: {},
}
BS_TYPEMASK, BS_GROUPBOX = 0xF, 0x7
# The classes of the controls Tab or the arrow keys reach (an unchosen option has no tab stop).
FOCUSABLE = ("button", "edit", "scrollbar", "combobox")


def test_frames_are_group_boxes_of_their_page_each_before_the_controls_it_holds(env):
    open_dialog(env)
    for page, frames in FRAMES.items():
        line = drive(env, f"wait {DIALOG}", f"children SSTab1({page})")[1]
        children = [dict(zip(("name", "cls", "style", "l", "t", "r", "b", "text"), c.split("|", 7)))
                    for c in line.split("\t")[1:]]
        for c in children:
            c["style"] = int(c["style"], 16)
            c["rect"] = tuple(int(c[k]) for k in "ltrb")
        boxes = [c for c in children if c["cls"].lower() == "button"
                 and c["style"] & BS_TYPEMASK == BS_GROUPBOX]
        assert [b["text"] for b in boxes] == list(frames), (page, [b["text"] for b in boxes])

        def holder(c):
            l, t, r, b = c["rect"]
            inside = [x for x in boxes if x["rect"][0] <= l and x["rect"][1] <= t
                      and r <= x["rect"][2] and b <= x["rect"][3]]
            return inside[0]["text"] if inside else None

        # In Tab order a frame's group box comes first, then every control inside it, then
        # whatever follows the frame.
        held = {caption: [] for caption in frames}
        current = None
        for c in children:
            if c in boxes:
                current = c["text"]
            elif c["cls"].lower() in FOCUSABLE:
                inside = holder(c)
                assert inside in (None, current), \
                    f"page {page}: {c['name']} lies in {inside!r} but follows {current!r} in Tab order"
                current = inside
                if inside:
                    held[inside].append(c["name"])
        assert held == frames, (page, held)


def test_at_144_dpi_the_dialog_grows_half_as_large_again(env):
    desktop = "HKCU\\Control Panel\\Desktop"
    env.reg("add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f")
    env.kill_all()  # Wine reads the DPI when its server starts
    try:
        open_dialog(env)
        client = drive(env, f"wait {DIALOG}", "client")[1].split()
        w, h = int(client[1]), int(client[2])
        assert abs(w - 621 * 1.5) <= 2 and abs(h - 409 * 1.5) <= 2, client
        shoot_pages(env, "dialog-144dpi")
    finally:
        env.reg("delete", desktop, "/v", "LogPixels", "/f")
        env.kill_all()
