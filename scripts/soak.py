#!/usr/bin/env python3
"""What a long run costs, and what the calendar's clock adds: starts `/s` under Wine on an Xvfb
screen (3840 x 2160 by default) and

- with --compare-calendar, measures the CPU of the screen saver plus the X server with the
  calendar off and then on (the same screen, one after the other), so the cost of its clock can be
  read as a difference in points of a core;
- otherwise runs it for --seconds (600 by default) with the calendar on and samples its resident
  memory (VmRSS) every --every seconds (30), then prints the samples, the peak (VmHWM) and the
  slope of a straight line through the samples in MB per minute (flat is about 0).

    scripts/soak.py [--size 3840x2160] [--seconds 600] [--every 30]
    scripts/soak.py --compare-calendar [--size 3840x2160] [--seconds 30]
    scripts/soak.py --lateness [--size 3840x2160] [--seconds 75] [--calendar] [--native HACK]

--lateness watches the middle of the flames from the start (every step first seen, and the
first rotation of the surround at one minute, the seeded period) and reports the steps that
came later than their time (100 ms apart, the seeded pace) by more than 100 ms.

--scr runs another build of the screen saver (an earlier commit's, kept aside) in its place;
--native HACK watches that build of the Linux hack instead, on the root window.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "scripts"))
import hg  # noqa: E402
import measure  # noqa: E402


SCR = hg.SCR


def start(env, calendar):
    env.kill_all()
    env.seeded(Settings__Calendar="1" if calendar else "0", Settings__CalPos="3")
    return env.wine([SCR, "/s"])


def cpu_share(env, seconds):
    pids = measure.pids_running(SCR)
    tracked = pids + [env.xvfb.pid]
    before = sum(measure.cpu_seconds(p) or 0 for p in tracked)
    time.sleep(seconds)
    after = sum(measure.cpu_seconds(p) or 0 for p in tracked)
    return 100 * (after - before) / seconds


def slope(samples):
    n = len(samples)
    if n < 2:
        return 0.0
    mt = sum(t for t, _ in samples) / n
    mr = sum(r for _, r in samples) / n
    den = sum((t - mt) ** 2 for t, _ in samples)
    return sum((t - mt) * (r - mr) for t, r in samples) / den * 60 if den else 0.0


def start_native(env, hack, calendar):
    """The hack on the root window with first-run settings, as measure.py starts it."""
    home = tempfile.mkdtemp(prefix="hg-soak-")
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write(measure.NO_CARD)
    run_env = {**os.environ, "DISPLAY": env.env["DISPLAY"], "HOME": home,
               "XDG_CONFIG_HOME": os.path.join(home, "config"), "XDG_RUNTIME_DIR": home}
    run_env.pop("HEARTHGLOW_ASSETS", None)
    return subprocess.Popen([hack, "-root"] + (["-calendar"] if calendar else []), env=run_env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def lateness(env, width, height, seconds, calendar, native=None, step_ms=100, allowed_ms=100):
    import xgrab
    x, y, w, h = measure.hearth_probe(width, height)
    p = start_native(env, native, calendar) if native else start(env, calendar)
    screen = xgrab.Screen(env.env["DISPLAY"])
    t0 = time.time()
    changes, last = [], None
    while time.time() - t0 < seconds:
        shot = screen.raw(x, y, w, h)
        now = time.time() - t0
        if shot != last:
            if last is not None:
                changes.append(now)
            last = shot
        time.sleep(0.004)
    screen.close()
    running = p.poll() is None
    if native:
        p.terminate()
        p.wait()
    env.kill_all()
    gaps = [(b - a, a) for a, b in zip(changes, changes[1:])]
    late = [(g, a) for g, a in gaps if g * 1000 > step_ms + allowed_ms]
    longest = max(gaps) if gaps else (float("nan"), 0)
    print(f"{width}x{height}: {len(changes)} steps seen in {seconds:.0f} s from "
          f"{changes[0] if changes else float('nan'):.2f} s; longest gap "
          f"{longest[0] * 1000:.0f} ms (at {longest[1]:.1f} s); steps later than their time by "
          f"more than {allowed_ms} ms: {len(late)}"
          + "".join(f"\n  {g * 1000:.0f} ms after the step at {a:.2f} s" for g, a in late[:20]),
          flush=True)
    return running


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--size", default="3840x2160")
    ap.add_argument("--seconds", type=float, default=None)
    ap.add_argument("--every", type=float, default=30)
    ap.add_argument("--settle", type=float, default=10)
    ap.add_argument("--compare-calendar", action="store_true")
    ap.add_argument("--lateness", action="store_true")
    ap.add_argument("--calendar", action="store_true", help="with --lateness: the calendar on")
    ap.add_argument("--scr", default=hg.SCR)
    ap.add_argument("--native", metavar="HACK", help="with --lateness: this build of the hack "
                    "on the root window, no Wine")
    args = ap.parse_args()
    global SCR
    SCR = os.path.abspath(args.scr)
    if not os.path.exists(SCR):
        sys.exit(f"build this tree first: make {hg.ARCH}")
    width, height = map(int, args.size.split("x"))
    env = hg.Env(screen=f"{width}x{height}x24")
    env.start()
    ok = True
    try:
        if args.lateness:
            ok &= lateness(env, width, height, args.seconds or 75, args.calendar,
                          args.native and os.path.abspath(args.native))
        elif args.compare_calendar:
            seconds = args.seconds or 30
            shares = {}
            for calendar in (False, True):
                p = start(env, calendar)
                time.sleep(args.settle)
                shares[calendar] = cpu_share(env, seconds)
                ok &= p.poll() is None
                env.kill_all()
                print(f"{args.size}  calendar {'on ' if calendar else 'off'}  screen saver + X: "
                      f"{shares[calendar]:.2f}% of a core", flush=True)
            print(f"the calendar adds {shares[True] - shares[False]:+.2f} points", flush=True)
        else:
            seconds = args.seconds or 600
            p = start(env, True)
            t0 = time.time()
            samples = []
            while time.time() - t0 <= seconds + 0.5:
                pids = measure.pids_running(SCR)
                values = [v for v in (measure.status_mb(pid, "VmRSS") for pid in pids)
                          if v is not None]
                if values:
                    samples.append((time.time() - t0, max(values)))
                    print(f"{samples[-1][0]:6.0f} s  RSS {samples[-1][1]:6.1f} MB", flush=True)
                time.sleep(args.every)
            peaks = [m for m in (measure.peak_rss_mb(pid) for pid in measure.pids_running(SCR))
                     if m is not None]
            ok &= p.poll() is None
            env.kill_all()
            late = [s for s in samples if s[0] >= 60]
            print(f"{args.size}, calendar on, {seconds:.0f} s: peak RSS "
                  f"{max(peaks) if peaks else float('nan'):.0f} MB; after the first minute RSS "
                  f"{min(r for _, r in late) if late else float('nan'):.1f} to "
                  f"{max(r for _, r in late) if late else float('nan'):.1f} MB, slope "
                  f"{slope(late):+.2f} MB/min", flush=True)
    finally:
        env.stop()
    if not ok:
        print("the screen saver was not running at the end!", flush=True)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
