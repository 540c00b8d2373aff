"""Start-up modes, the single-instance rule, the preview pane and first-use seeding."""
import os
import subprocess
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


def test_preview_button_of_a_settings_window_in_any_language_but_never_two_scenes(env):
    # The German settings window's Preview button, while our preview runs in its pane.
    host = env.wine([hg.PROBE, "keep-preview", hg.SCR, "153", "115",
                     "Bildschirmschoner-Einstellungen", "30"])
    line = host.stdout.readline().strip()
    assert line == "preview-shown", f"no preview in the host: {line!r} ({hg.stderr_of(host)!r})"
    first = env.scr("/s")
    assert env.wait_scene(15, program=first), "/s was refused beside our preview"
    second = env.scr("/s")
    assert hg.wait_exit(second, 5), "a second /s ran beside the first"
    assert first.poll() is None, "the first scene ended"


def test_preview_fills_the_host_pane_and_ends_with_it(env):
    out = env.probe("host-preview", hg.SCR, "306", "230")
    assert "child HearthglowPreview 306 230 visible=1 childstyle=1 focus=0" in out, out
    assert "preview-ended=1" in out, out


def preview_painted(env, width, height, name):
    """What the preview paints into a pane of that size, and the built-in 153 x 115 picture, as
    PNGs under build/e2e-shots. Hosted in the painting process itself: under Wine a child window
    of another process paints nothing that reaches the X screen or a capture."""
    os.makedirs(hg.SHOTS, exist_ok=True)
    prefix = os.path.join(hg.SHOTS, name)
    p = env.wine([hg.PREVIEW_HOST, str(width), str(height), "Z:" + prefix.replace("/", "\\")])
    out, _ = p.communicate(timeout=60)
    assert p.returncode == 0 and f"preview {width} {height} written=1" in out, (
        f"preview_host {width} {height} ended with exit status {p.returncode}: {out!r}, "
        f"stderr: {hg.stderr_of(p)!r}")
    for part in ("", "-small"):
        subprocess.run(["convert", f"{prefix}{part}.bmp", f"{prefix}{part}.png"], check=True)
        os.unlink(f"{prefix}{part}.bmp")
    return f"{prefix}.png", f"{prefix}-small.png"


def test_preview_covers_a_larger_pane_and_leaves_the_small_one_as_it_was(env):
    # 200% display scaling: the picture, scaled smoothly, covers every pixel of the pane.
    large, small = preview_painted(env, 306, 230, "preview-306x230")
    px = hg.pixels(large)
    assert len(px) == 306 * 230
    unpainted = sum(1 for p in px if p == (255, 0, 255))
    assert unpainted == 0, f"{unpainted} pixels of the 306 x 230 pane left unpainted"
    # It is the same hearth: shrunk back to 153 x 115 it is close to the small picture.
    shrunk = os.path.join(hg.SHOTS, "preview-306x230-shrunk.png")
    subprocess.run(["convert", large, "-filter", "Box", "-resize", "153x115!", shrunk], check=True)
    a, b = hg.pixels(shrunk), hg.pixels(small)
    difference = sum(abs(p[i] - q[i]) for p, q in zip(a, b) for i in range(3)) / (3 * len(b))
    assert difference < 12, f"the 306 x 230 preview differs from the small one by {difference:.1f}"
    # 100%: the pane is the picture's own size, and shows it unscaled, pixel for pixel.
    exact, small = preview_painted(env, 153, 115, "preview-153x115")
    assert hg.pixels(exact) == hg.pixels(small), "the 153 x 115 pane is not the picture as it was"


def test_no_switch_opens_the_dialog_and_a_scene_is_refused_beside_it(env):
    # Explorer's Configure starts a screen saver without a switch.
    dialog = env.scr()
    assert env.wait_window_title(DIALOG_TITLE, 10, program=dialog), "no dialog without a switch"
    time.sleep(1)
    assert env.scene_info() is None, "a scene window opened for an empty command line"
    idle = env.scr("/s")
    assert hg.wait_exit(idle, 8), "/s ran while the dialog was open"
    assert env.scene_info() is None, "a scene window opened over the dialog"
    assert dialog.poll() is None, "the dialog ended"


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


def test_configure_with_a_window_handle_belongs_to_that_window(env):
    # Screen Saver Settings' Settings button: owned, no taskbar button of its own, and the
    # settings window waits for it.
    out = env.probe("host-config", hg.SCR, "host").split()
    assert out[:3] == ["owner=host", "appwindow=0", "host-enabled=0"], out
    assert out[3:] == ["ended=1", "host-enabled=1"], f"closing the dialog: {out}"
    # A number that names no window leaves the dialog on its own, as "/c" alone does.
    out = env.probe("host-config", hg.SCR, "12345").split()
    assert out[:3] == ["owner=none", "appwindow=0", "host-enabled=1"], out


def test_password_request_ends_the_hidden_scene(env):
    p = env.scr("/a")
    assert hg.wait_exit(p, 10), "/a left the hidden scene running"
