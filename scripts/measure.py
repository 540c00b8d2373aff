#!/usr/bin/env python3
"""What showing the hearth costs: starts `/s` under Wine on an Xvfb screen of each size, lets it
settle, and reports the CPU seconds per minute of the screen saver's process, of the X server and
of wineserver (from /proc), the time from the start to the first frame on the screen, and the
screen saver's peak memory (VmHWM: the most of its memory ever resident at once).

The build of this tree is measured beside a baseline build of an earlier commit (by default the
last one that presented whole frames), in the same run and on the same screens, so the two sets
of figures can be compared. The baseline is built once under build/measure/.

    scripts/measure.py [--baseline REF] [--sizes 800x600,1920x1080,3840x2160] [--seconds 30]
"""
import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import hg  # noqa: E402
import xgrab  # noqa: E402

# The last commit whose presenter showed every frame whole, stretched to the screen.
FULL_FRAME_BASELINE = "654b110"
TICKS = os.sysconf("SC_CLK_TCK")


def build_baseline(ref):
    commit = subprocess.run(["git", "rev-parse", "--short", ref], cwd=ROOT, check=True,
                            capture_output=True, text=True).stdout.strip()
    tree = os.path.join(ROOT, "build", "measure", commit)
    scr = os.path.join(tree, "build", hg.ARCH, "hrthglow.scr")
    if not os.path.exists(scr):
        os.makedirs(tree, exist_ok=True)
        archive = subprocess.Popen(["git", "archive", commit], cwd=ROOT, stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", tree], stdin=archive.stdout, check=True)
        archive.wait()
        print(f"building the baseline {commit} in {tree} ...", flush=True)
        if hg.ARCH == "win32":
            subprocess.run(["make", "win32"], cwd=tree, check=True, stdout=subprocess.DEVNULL)
        else:
            # An older tree may have no 64-bit build of its own: this tree's toolchain builds it.
            subprocess.run(["make", "assets"], cwd=tree, check=True, stdout=subprocess.DEVNULL)
            out = os.path.join(tree, "build", "win64")
            subprocess.run(["cmake", "-S", tree, "-B", out, "-DCMAKE_BUILD_TYPE=Release",
                            "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(ROOT, "cmake",
                                                                     "mingw-x86_64.cmake"),
                            "-DHG_RESOURCE_DIR=" + os.path.join(tree, "build", "assets",
                                                                "resources")],
                           check=True, stdout=subprocess.DEVNULL)
            subprocess.run(["cmake", "--build", out, "-j2", "--target", "hrthglow"], check=True,
                           stdout=subprocess.DEVNULL)
    return commit, scr


def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS  # utime + stime
    except (OSError, IndexError, ValueError):
        return None


def peak_rss_mb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
    except (OSError, ValueError, IndexError):
        pass
    return None


def pids_running(fragment):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if fragment in cmdline:
            found.append(int(entry))
    return found


def wineserver_pid(env):
    for pid in pids_running("wineserver"):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if env.env["WINEPREFIX"].encode() in f.read():
                    return pid
        except OSError:
            pass
    return None


def hearth_probe(width, height):
    """A patch of the screen in the middle of the flames, where the first frame turns orange."""
    s = min(width / 800, height / 600)
    left, top = (width - 800 * s) / 2, (height - 600 * s) / 2
    return (int(left + 330 * s), int(top + 330 * s), max(4, int(140 * s)), max(4, int(80 * s)))


def flames_shown(rows):
    if not rows:
        return False
    hot = sum(1 for row in rows for (r, g, b) in row if r > 150 and r > b + 60)
    return hot > len(rows) * len(rows[0]) // 10


def measure(env, scr, width, height, seconds, settle):
    env.kill_all()
    env.clear_settings()
    screen = xgrab.Screen(env.env["DISPLAY"])
    x, y, w, h = hearth_probe(width, height)
    start = time.time()
    p = env.wine([scr, "/s"])
    first = None
    while time.time() - start < 60:
        if flames_shown(screen.grab(x, y, w, h)):
            first = time.time() - start
            break
        time.sleep(0.01)
    screen.close()
    time.sleep(settle)
    scr_pids = pids_running(scr)
    tracked = {"screen saver": scr_pids, "X server": [env.xvfb.pid],
               "wineserver": [wineserver_pid(env)]}
    before = {k: sum(cpu_seconds(pid) or 0 for pid in v if pid) for k, v in tracked.items()}
    time.sleep(seconds)
    after = {k: sum(cpu_seconds(pid) or 0 for pid in v if pid) for k, v in tracked.items()}
    peaks = [m for m in (peak_rss_mb(pid) for pid in scr_pids) if m is not None]
    running = p.poll() is None
    env.kill_all()
    per_minute = {k: (after[k] - before[k]) * 60 / seconds for k in tracked}
    return first, per_minute, running and bool(scr_pids), max(peaks) if peaks else None


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--baseline", default=FULL_FRAME_BASELINE)
    ap.add_argument("--sizes", default="800x600,1920x1080,3840x2160")
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--settle", type=float, default=5)
    args = ap.parse_args()
    commit, baseline = build_baseline(args.baseline)
    current = hg.SCR
    if not os.path.exists(current):
        sys.exit(f"build this tree first: make {hg.ARCH}")
    rows = []
    for size in args.sizes.split(","):
        width, height = map(int, size.split("x"))
        env = hg.Env(screen=f"{width}x{height}x24")
        env.start()
        try:
            for name, scr in ((f"baseline {commit}", baseline), ("this tree", current)):
                first, cpu, ok, peak = measure(env, scr, width, height, args.seconds,
                                               args.settle)
                rows.append((size, name, first, cpu, ok))
                print(f"{size:>10}  {name:<18} first frame "
                      f"{'%.2f s' % first if first is not None else 'never':>7}   CPU s/min: "
                      f"screen saver {cpu['screen saver']:5.2f}  X server {cpu['X server']:5.2f}"
                      f"  wineserver {cpu['wineserver']:5.2f}"
                      f"  (saver + X: {100 * (cpu['screen saver'] + cpu['X server']) / 60:.1f}% "
                      f"of a core)  peak RSS "
                      f"{'%.0f MB' % peak if peak is not None else '?'}"
                      f"{'' if ok else '  [the screen saver was not running!]'}",
                      flush=True)
        finally:
            env.stop()
    return 0 if all(r[4] and r[2] is not None for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
