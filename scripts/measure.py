#!/usr/bin/env python3
"""What showing the hearth costs: starts `/s` under Wine on an Xvfb screen of each size, lets it
settle, and reports the CPU seconds per minute of the screen saver's process, of the X server and
of wineserver (from /proc), the time from the start to the first frame on the screen, and the
screen saver's peak memory (VmHWM: the most of its memory ever resident at once). The native hack
(`hearthglow -root`, no Wine) is measured the same way on the screens of --native-sizes.

Under Wine the first frame counts from the screen saver's launch into a Wine session already
running, as Windows is when it starts a screen saver: Wine's own server start is left out.

The build of this tree is measured beside a baseline build of an earlier commit (by default the
last one that presented whole frames), in the same run and on the same screens, so the two sets
of figures can be compared. The baseline is built once under build/measure/; a baseline older
than the native hack is measured under Wine only.

    scripts/measure.py [--baseline REF] [--sizes 800x600,1920x1080,3840x2160]
                       [--native-sizes 1920x1080,3840x2160] [--seconds 30]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import hg  # noqa: E402
import xgrab  # noqa: E402

# The last commit whose presenter showed every frame whole, stretched to the screen.
FULL_FRAME_BASELINE = "654b110"
TICKS = os.sysconf("SC_CLK_TCK")
HACK = os.path.join(ROOT, "build", "linux", "hearthglow")
# No sound card for the hack, as Wine has none on a machine without one: both stay silent.
NO_CARD = 'pcm.!default { type hw card 97 }\nctl.!default { type hw card 97 }\n'


def baseline_tree(ref, extract=False):
    """The baseline's short commit and the folder its sources are (or, with `extract`, are
    now) unpacked in."""
    commit = subprocess.run(["git", "rev-parse", "--short", ref], cwd=ROOT, check=True,
                            capture_output=True, text=True).stdout.strip()
    tree = os.path.join(ROOT, "build", "measure", commit)
    if extract and not os.path.exists(os.path.join(tree, "Makefile")):
        os.makedirs(tree, exist_ok=True)
        archive = subprocess.Popen(["git", "archive", commit], cwd=ROOT, stdout=subprocess.PIPE)
        subprocess.run(["tar", "-x", "-C", tree], stdin=archive.stdout, check=True)
        archive.wait()
    return commit, tree


def build_baseline_hack(ref):
    """The baseline's native hack, or None when that tree has none to build."""
    commit, tree = baseline_tree(ref, extract=True)
    hack = os.path.join(tree, "build", "linux", "hearthglow")
    if not os.path.exists(hack):
        with open(os.path.join(tree, "Makefile")) as f:
            if not any(line.startswith("linux:") for line in f):
                return None
        print(f"building the baseline {commit}'s hack in {tree} ...", flush=True)
        subprocess.run(["make", "linux"], cwd=tree, check=True, stdout=subprocess.DEVNULL)
    return hack


def build_baseline(ref):
    commit, tree = baseline_tree(ref, extract=True)
    scr = os.path.join(tree, "build", hg.ARCH, "hrthglow.scr")
    if not os.path.exists(scr):
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


def status_mb(pid, field):
    """A memory figure of /proc/<pid>/status (VmHWM, VmRSS, ...) in MB; None when gone."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1]) / 1024
    except (OSError, ValueError, IndexError):
        pass
    return None


def peak_rss_mb(pid):
    return status_mb(pid, "VmHWM")


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


def watch(display, start_process, width, height, seconds, settle, tracked):
    """Starts what start_process starts, waits for its first frame and for it to settle, then
    takes the CPU seconds per minute of each of `tracked()` ({name: [pid, ...]}; the first
    entry is the screen saver's) and the screen saver's peak memory."""
    screen = xgrab.Screen(display)
    x, y, w, h = hearth_probe(width, height)
    start = time.time()
    p = start_process()
    first = None
    while time.time() - start < 60:
        if flames_shown(screen.grab(x, y, w, h)):
            first = time.time() - start
            break
        time.sleep(0.01)
    screen.close()
    time.sleep(settle)
    pids = tracked()
    before = {k: sum(cpu_seconds(pid) or 0 for pid in v if pid) for k, v in pids.items()}
    time.sleep(seconds)
    after = {k: sum(cpu_seconds(pid) or 0 for pid in v if pid) for k, v in pids.items()}
    saver = next(iter(pids.values()))
    peaks = [m for m in (peak_rss_mb(pid) for pid in saver) if m is not None]
    running = p.poll() is None and bool(saver)
    per_minute = {k: (after[k] - before[k]) * 60 / seconds for k in pids}
    return first, per_minute, running, max(peaks) if peaks else None


def measure(env, scr, width, height, seconds, settle):
    env.kill_all()
    # Windows is up and running when it starts a screen saver; Wine's own server is not, and its
    # start (about 1.2 s on a machine like this one) is no part of the program's. The server is
    # started first and kept, the settings cleared through it, so the first frame counts from
    # the screen saver's launch. Wine's services then live on with the server: what they inherit
    # must be no pipe that anything waits to see closed.
    subprocess.run(["wineserver", "-p"], env=env.env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    subprocess.run(env.wine_cmd + ["reg", "delete", hg.REG_KEY, "/f"], env=env.env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    result = watch(env.env["DISPLAY"], lambda: env.wine([scr, "/s"]), width, height, seconds,
                   settle, lambda: {"screen saver": pids_running(scr),
                                    "X server": [env.xvfb.pid],
                                    "wineserver": [wineserver_pid(env)]})
    env.kill_all()
    return result


def measure_native(env, hack, width, height, seconds, settle):
    """The hack on the root window, as xscreensaver would start it, with a home of its own:
    first-run settings, no sound card."""
    env.kill_all()
    home = tempfile.mkdtemp(prefix="hg-measure-")
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write(NO_CARD)
    run_env = {**os.environ, "DISPLAY": env.env["DISPLAY"], "HOME": home,
               "XDG_CONFIG_HOME": os.path.join(home, "config"), "XDG_RUNTIME_DIR": home}
    run_env.pop("HEARTHGLOW_ASSETS", None)
    run_env.pop("XSCREENSAVER_WINDOW", None)
    started = []

    def start():
        started.append(subprocess.Popen([hack, "-root"], env=run_env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return started[0]

    try:
        return watch(env.env["DISPLAY"], start, width, height, seconds, settle,
                     lambda: {"hack": [started[0].pid], "X server": [env.xvfb.pid]})
    finally:
        for p in started:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        shutil.rmtree(home, ignore_errors=True)


def report(size, name, first, cpu, ok, peak):
    saver, others = list(cpu.items())[0], list(cpu.items())[1:]
    print(f"{size:>10}  {name:<25} first frame "
          f"{'%.2f s' % first if first is not None else 'never':>7}   CPU s/min: "
          f"{saver[0]} {saver[1]:5.2f}"
          + "".join(f"  {k} {v:5.2f}" for k, v in others)
          + f"  ({saver[0]} + X: {100 * (saver[1] + cpu['X server']) / 60:.1f}% "
          f"of a core)  peak RSS {'%.0f MB' % peak if peak is not None else '?'}"
          f"{'' if ok else '  [it was not running!]'}",
          flush=True)


def sizes_of(text):
    return [tuple(map(int, size.split("x"))) for size in text.split(",") if size]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--baseline", default=FULL_FRAME_BASELINE)
    ap.add_argument("--sizes", default="800x600,1920x1080,3840x2160",
                    help="screens for the Windows build under Wine; empty for none")
    ap.add_argument("--native-sizes", default="1920x1080,3840x2160",
                    help="screens for the native hack; empty for none")
    ap.add_argument("--seconds", type=float, default=30)
    ap.add_argument("--settle", type=float, default=5)
    args = ap.parse_args()
    wine_sizes, native_sizes = sizes_of(args.sizes), sizes_of(args.native_sizes)
    commit, _ = baseline_tree(args.baseline)
    runs = []  # (what, name, program) for each size it is measured on
    if wine_sizes:
        _, baseline = build_baseline(args.baseline)
        if not os.path.exists(hg.SCR):
            sys.exit(f"build this tree first: make {hg.ARCH}")
        runs += [("wine", f"baseline {commit}", baseline), ("wine", "this tree", hg.SCR)]
    if native_sizes:
        if not os.path.exists(HACK):
            sys.exit("build this tree's hack first: make linux")
        baseline_hack = build_baseline_hack(args.baseline)
        if baseline_hack is None:
            print(f"the baseline {commit} has no native hack: this tree's is measured alone",
                  flush=True)
        else:
            runs.append(("native", f"baseline {commit} native", baseline_hack))
        runs.append(("native", "this tree native", HACK))
    rows = []
    for width, height in sorted(set(wine_sizes) | set(native_sizes), key=lambda s: s[0] * s[1]):
        size = f"{width}x{height}"
        env = hg.Env(screen=f"{size}x24")
        env.start()
        try:
            for what, name, program in runs:
                if (width, height) not in (wine_sizes if what == "wine" else native_sizes):
                    continue
                how = measure if what == "wine" else measure_native
                first, cpu, ok, peak = how(env, program, width, height, args.seconds,
                                           args.settle)
                rows.append((ok, first))
                report(size, name, first, cpu, ok, peak)
        finally:
            env.stop()
    return 0 if all(ok and first is not None for ok, first in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
