"""The picture the scene shows: flames that move, the surround, the message and the calendar.

The 800 x 600 picture is scaled to the whole 1024 x 768 screen (1.28, no bars), so logical
boxes are scaled before they are looked at."""
import os
import struct
import subprocess
import time

import hg

SCALE = 1024 / 800


def box(x, y, w, h):
    """A box of the logical picture in screen pixels."""
    return (round(x * SCALE), round(y * SCALE), round(w * SCALE), round(h * SCALE))


def count(path, area, test):
    return sum(1 for p in hg.pixels(path, area) if test(*p))


def yellow(r, g, b):
    return r > 200 and g > 200 and b < 90


def red(r, g, b):
    return r > 170 and g < 90 and b < 90


def blue(r, g, b):
    return b > 170 and r < 90 and g < 120


def start(env, **settings):
    env.seeded(**settings)
    p = env.scr("/s")
    assert env.wait_scene(15), "no visible scene window"
    time.sleep(2)  # a few dozen frames
    return p


def test_flames_move_inside_the_style_1_surround_under_the_message(env):
    p = start(env)
    shots = []
    for i, pause in enumerate((0.0, 0.25, 0.0)):
        time.sleep(pause)
        shots.append(env.screenshot(f"picture_flames_{i}"))
    assert p.poll() is None, "the scene ended by itself"

    opening = box(250, 280, 300, 140)  # between the andirons, above the logs
    for shot in shots:
        r, g, b = hg.mean_colour(shot, opening)
        assert r > 120 and r > g > b and b < 90, f"opening is not fire-coloured: {(r, g, b)}"
    crops = [hg.pixels(s, opening) for s in shots]
    changed = max(sum(1 for a, b in zip(crops[i], crops[j]) if a != b)
                  for i, j in ((0, 1), (1, 2), (0, 2)))
    assert changed > len(crops[0]) // 20, f"flames did not move: {changed} pixels changed"

    # Dark marble, grey without a tint, where the flame picture alone would show warm brick
    # (over the top) or black (beside it).
    for name, area in (("top", box(300, 60, 200, 60)), ("left", box(5, 300, 40, 120)),
                       ("right", box(755, 300, 40, 120))):
        r, g, b = hg.mean_colour(shots[0], area)
        assert 20 < (r + g + b) / 3 < 160, f"{name} of the surround: {(r, g, b)}"
        assert max(r, g, b) - min(r, g, b) < 25, f"{name} of the surround is tinted: {(r, g, b)}"

    message = count(shots[0], box(100, 0, 200, 24), yellow)
    elsewhere = count(shots[0], box(500, 0, 200, 24), yellow)
    assert message > 150 and elsewhere < 10, f"yellow message {message}, elsewhere {elsewhere}"


def test_calendar_texts_stand_in_the_bottom_right_corner(env):
    start(env, Settings__Calendar="1", Settings__CalPos="3")
    shot = env.screenshot("picture_calendar")
    day = count(shot, box(740, 545, 60, 50), red)
    month = count(shot, box(752, 510, 40, 12), red)
    time_of_day = count(shot, box(732, 522, 68, 12), blue)
    assert day > 150, f"day number: {day} red pixels"
    assert month > 15, f"month: {month} red pixels"
    assert time_of_day > 15, f"time of day: {time_of_day} blue pixels"
    # The other corners have no calendar.
    for corner in (box(0, 500, 80, 100), box(720, 0, 80, 100)):
        assert count(shot, corner, red) < 10 and count(shot, corner, blue) < 10, corner


MESSAGE = "Wesołych Świąt ÄÖÜ €"  # letters from beyond the Western code page, and from it


def yellow_mask(pixels, width):
    """Rows of 0/1 text: 1 where a pixel is more yellow than not, on any grey background."""
    rows = []
    for y in range(len(pixels) // width):
        row = pixels[y * width:(y + 1) * width]
        rows.append("".join("1" if min(r, g) - b >= 128 else "0" for r, g, b in row))
    return rows


def reference_mask(env, text, height, how, rows):
    out = env.probe("text-mask", text.encode("utf-8").hex(), str(height), how, str(rows)).split()
    assert out[:3] == ["mask", "800", str(rows)], out[:3]
    return out[3:3 + rows]


def test_a_message_beyond_the_ansi_code_page_is_drawn_with_every_letter(env):
    height, rows = 36, 56
    env.seeded(Settings__Message=MESSAGE, Settings__ShowMsg="1", Settings__FontSize=str(height))
    # In an 800 x 600 Wine desktop the picture is shown pixel for pixel, however it is scaled.
    scr = "Z:" + hg.SCR.replace("/", "\\")
    p = env.wine(["explorer", "/desktop=hgtext,800x600", scr, "/s"])
    desktop = env.wait_window_title("hgtext - Wine desktop", 15, program=p)
    assert desktop, "no Wine desktop window"
    os.makedirs(hg.SHOTS, exist_ok=True)
    shot = os.path.join(hg.SHOTS, "picture_unicode_message.png")
    drawn = []
    end = time.time() + 20
    while time.time() < end and sum(r.count("1") for r in drawn) < 500:
        time.sleep(1)
        subprocess.run(["import", "-window", desktop, shot], env=env.env, capture_output=True)
        drawn = yellow_mask(hg.pixels(shot, (0, 0, 800, rows)), 800)
    assert p.poll() is None, "the scene ended by itself"

    wide = reference_mask(env, MESSAGE, height, "wide", rows)
    ansi = reference_mask(env, MESSAGE, height, "ansi", rows)
    # Where the whole text and what the code page leaves of it clearly differ: the stroke of the
    # l, the accent over the S, the hook under the a.
    differ = [(y, x) for y in range(rows) for x in range(800)
              if {wide[y][x], ansi[y][x]} == {"0", "1"}]
    assert len(differ) > 30, f"the reference cannot tell the texts apart ({len(differ)} pixels)"
    agree = sum(1 for y, x in differ if drawn[y][x] == wide[y][x])
    assert agree >= 0.9 * len(differ), \
        f"only {agree} of the {len(differ)} pixels that tell the letters apart match: {shot}"
    sure = [(y, x) for y in range(rows) for x in range(800) if wide[y][x] != "?"]
    ink = {p for p in sure if wide[p[0]][p[1]] == "1"}
    seen = {p for p in sure if drawn[p[0]][p[1]] == "1"}
    overlap = len(ink & seen) / len(ink | seen)
    assert overlap > 0.8, f"the message differs from the reference text ({overlap:.2f}): {shot}"


def write_checker_bmp(path, side=4096, square=32):
    """A valid 4-bit bitmap, blue and magenta squares: half of it see-through."""
    palette = bytes([255, 0, 0, 0, 255, 0, 255, 0]) + bytes(14 * 4)  # blue, then magenta
    offset = 14 + 40 + len(palette)
    stride = side // 2
    size = offset + stride * side
    header = b"BM" + struct.pack("<IHHI", size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, side, side, 1, 4, 0, stride * side, 2835, 2835, 16, 0)
    half = square // 2
    rows = [(b"\x00" * half + b"\x11" * half) * (stride // square),
            (b"\x11" * half + b"\x00" * half) * (stride // square)]
    with open(path, "wb") as f:
        f.write(header + info + palette)
        for y in range(side):
            f.write(rows[(y // square) % 2])


def scene_memory_kb(env):
    """(resident, peak resident) in kB of the scene's process under this prefix's Wine."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            cmd = open(f"/proc/{pid}/cmdline", "rb").read()
            if b"hrthglow.scr" not in cmd:
                continue
            environ = open(f"/proc/{pid}/environ", "rb").read().split(b"\0")
            if ("WINEPREFIX=" + env.env["WINEPREFIX"]).encode() not in environ:
                continue
            status = dict(line.split(":", 1) for line in open(f"/proc/{pid}/status"))
            return int(status["VmRSS"].split()[0]), int(status["VmHWM"].split()[0])
        except (OSError, ValueError, KeyError):
            continue
    return None


def test_huge_pictures_are_cropped_and_the_scene_runs_in_bounded_memory(env):
    folder = os.path.join(env.env["WINEPREFIX"], "drive_c", "Tallowmere", "hrthglow")
    kept = {f"Flame{k}.bmp" for k in range(1, 11)} | {"marLeftSide.bmp", "marRightSide.bmp",
                                                       "marTopSide.bmp"}
    replaced = sorted(f for f in os.listdir(folder) if f.endswith(".bmp") and f not in kept)
    assert len(replaced) == 28, replaced
    huge = os.path.join(hg.BUILD, "e2e-checker-4096.bmp")
    write_checker_bmp(huge)
    try:
        env.seeded()  # seeds with the real pictures, then they give way to the huge one
        for name in replaced:
            os.remove(os.path.join(folder, name))
            os.symlink(huge, os.path.join(folder, name))
        start = time.time()
        p = env.scr("/s")
        # Decoding 28 pictures of 4096 x 4096 takes some 20 s on a busy two-core machine.
        assert env.wait_scene(60), (f"no visible scene window after {time.time() - start:.0f} s; "
                                    f"stderr: {hg.stderr_of(p)!r}")
        time.sleep(max(0.0, 15 - (time.time() - start)))
        assert p.poll() is None, "the scene ended"
        memory = scene_memory_kb(env)
        first = env.screenshot("picture_huge_0")
        time.sleep(0.3)
        second = env.screenshot("picture_huge_1")
    finally:
        env.kill_all()
        for name in replaced:  # a copy onto a link would write through it
            path = os.path.join(folder, name)
            if os.path.islink(path):
                os.remove(path)
        env.install_assets()
        os.remove(huge)
    assert memory, "the scene's process was not found"
    assert memory[1] < 200 * 1024, f"peak resident memory {memory[1]} kB"
    # The left andiron, now a checker cropped to the screen, covers the lower part; the flames
    # still move in its see-through squares.
    lower = box(60, 300, 700, 280)
    blue = count(first, lower, lambda r, g, b: b > 200 and r < 60 and g < 60)
    assert blue > 0.3 * lower[2] * lower[3], f"{blue} blue pixels: the big pictures are not shown"
    a, b = hg.pixels(first, box(250, 300, 300, 120)), hg.pixels(second, box(250, 300, 300, 120))
    assert sum(1 for x, y in zip(a, b) if x != y) > len(a) // 50, "the flames stand still"
