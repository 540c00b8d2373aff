"""The picture the scene shows: flames that move, the surround, the message and the calendar.

The 800 x 600 picture is scaled to the whole 1024 x 768 screen (1.28, no bars), so logical
boxes are scaled before they are looked at."""
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
