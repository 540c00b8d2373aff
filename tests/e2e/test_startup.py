"""Start-up modes, the single-instance rule, the preview pane and first-use seeding."""
import tempfile
import time

import hg

DIALOG_TITLE = "Hearthglow Screensaver by Tallowmere"

SEEDS = {
    "Settings": {"SetReg": "2", "Calendar": "0", "CalPos": "1", "FontSize": "18",
                 "Message": "Place a message here", "MouseSen": "4", "SoundOff": "0",
                 "Vol": "-1667", "PwrSave": "0", "SoundOn": "1"},
    "hrthglow": {"AndIron": "1", "RotateCk": "1", "RotateT": "1", "ShowFP1": "1", "ShowFP2": "1",
                 "ShowFP3": "1", "ShowFP4": "1", "ShowFP5": "1", "ShowFP6": "0", "ShowM3": "1",
                 "ShowM4": "1", "ShowM5": "1", "ShowM6": "1", "Speed": "100"},
    "xmas": {"Bell1": "0", "Bell2": "0", "PlayMusic": "1", "Poin1": "0", "Poin2": "0",
             "ShowS1": "0", "ShowS2": "0", "ShowS3": "0", "ShowS4": "0", "StockLoc": "19"},
    "Music": {f"Music{n}": "0" for n in range(1, 37)},
}


def test_scene_covers_screen_seeds_store_and_click_ends(env):
    start = time.time()
    p = env.scr("/s")
    info = env.wait_scene(10)
    assert info, "no visible scene window"
    assert time.time() - start < 8, f"scene took {time.time() - start:.1f}s to show"
    w, h = env.screen_size()
    assert info[:4] == (0, 0, w, h), f"scene rect {info[:4]}, screen {w}x{h}"
    assert info[4], "scene window is not topmost"
    for section, expected in SEEDS.items():
        got = env.read_values(section)
        assert got == expected, f"{section}: got {got}, expected {expected}"
    assert "ShowMsg" not in env.read_values("Settings"), "ShowMsg must not be seeded"
    env.move_mouse(w // 2, h // 2)
    env.click()
    assert hg.wait_exit(p, 5), "a click did not end the scene"
    assert env.scene_info() is None


def test_second_scene_ends_at_once_unless_a_settings_window_exists(env):
    first = env.scr("/s")
    assert env.wait_scene(10)
    second = env.scr("/s")
    assert hg.wait_exit(second, 5), "a second /s ran beside the first"
    assert first.poll() is None, "the first scene ended"
    for title in ("Screen Saver Settings", "Display Properties"):
        host = env.wine([hg.PROBE, "make-window", title, "15"])
        assert env.wait_window_title(title, 10), f"probe window {title!r} did not appear"
        third = env.scr("/s")
        assert not hg.wait_exit(third, 3), f"/s was refused while {title!r} was open"
        third.kill()
        third.wait()
        host.kill()
        host.wait()


def test_preview_fills_the_host_pane_and_ends_with_it(env):
    out = env.probe("host-preview", hg.SCR, "200", "150")
    assert "child HearthglowPreview 200 150 visible=1 childstyle=1 focus=0" in out, out
    assert "preview-ended=1" in out, out


def test_scene_is_refused_beside_the_dialog_and_beside_a_scene_without_a_switch(env):
    dialog = env.scr("/c")
    assert env.wait_window_title(DIALOG_TITLE, 10, program=dialog), "no dialog"
    idle = env.scr("/s")
    assert hg.wait_exit(idle, 8), "/s ran while the dialog was open"
    assert env.scene_info() is None, "a scene window opened over the dialog"
    assert dialog.poll() is None, "the dialog ended"
    env.kill_all()

    first = env.scr()
    assert env.wait_scene(15), "no scene from an empty command line"
    second = env.scr("/s")
    assert hg.wait_exit(second, 8), "/s ran beside a scene started without a switch"
    assert first.poll() is None, "the first scene ended"


def test_preview_ends_when_its_host_dies_without_destroying_it(env):
    # The probe's output goes to a file: a preview that lives on would hold a pipe open.
    with tempfile.TemporaryFile("w+") as out:
        host = env.wine([hg.PROBE, "orphan-host", hg.SCR], stdout=out)
        host.wait(timeout=30)
        out.seek(0)
        words = out.read().split()
    assert words[:1] == ["preview-pid"] and "child=1" in words, words
    ended = env.probe("wait-process", words[1], "6")
    assert "ended=1" in ended, f"the preview outlived its host: {ended}"


def test_preview_with_a_missing_or_foreign_handle_shows_nothing_and_ends(env):
    for args in (["/p"], ["/p", "99999999999"], ["/p", "12345"], ["/p:abc"]):
        p = env.scr(*args)
        assert hg.wait_exit(p, 8), f"{args} did not end"
        assert not env.windows_named("Preview"), f"{args} left a window"


def test_unknown_switches_open_nothing(env):
    for args in (["/x"], ["-s"]):
        p = env.scr(*args)
        assert hg.wait_exit(p, 8), f"{args} did not end"
        assert env.scene_info() is None


def test_configure_opens_the_dialog_with_its_caption(env):
    for args in (["/c"], ["/C:1234"]):
        p = env.scr(*args)
        assert env.wait_window_title(DIALOG_TITLE, 10, program=p), args
        assert p.poll() is None
        p.kill()
        p.wait()


def test_password_request_ends_the_hidden_scene(env):
    p = env.scr("/a")
    assert hg.wait_exit(p, 10), "/a left the hidden scene running"
