"""Driving the native X11 hack on a virtual X display, for the end-to-end tests.

No Wine here: hearthglow runs as it would under xscreensaver or from a terminal. Each run gets a
home of its own (its settings file under XDG_CONFIG_HOME, its .asoundrc), so tests never share
settings, and every process a test starts is ended by its id when the test ends.
"""
import math
import os
import signal
import struct
import subprocess
import tempfile
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
# Waiting for a process and reading a screenshot's pixels are the same as under Wine.
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from hg import mean_colour, pixels, wait_exit  # noqa: E402,F401
BUILD = os.path.join(ROOT, "build")
HACK = os.path.join(BUILD, "linux", "hearthglow")
WINDOW = os.path.join(BUILD, "linux", "hg_window")
ASSETS = os.path.join(BUILD, "assets", "install")
XML = os.path.join(ROOT, "src", "platform", "linux", "hearthglow.xml")
SHOTS = os.path.join(BUILD, "e2e-shots", "native")

# An ALSA 'file' device behind a plug that converts to 16-bit stereo at 44.1 kHz, as the Wine
# tests capture the Windows build's sound.
ASOUNDRC = (
    "pcm.!default {{\n type plug\n slave {{\n  pcm \"capture\"\n  format S16_LE\n"
    "  rate 44100\n  channels 2\n }}\n}}\n"
    "pcm.capture {{\n type file\n slave.pcm \"null\"\n file \"{path}\"\n format \"raw\"\n}}\n")
NO_CARD = 'pcm.!default { type hw card 97 }\nctl.!default { type hw card 97 }\n'


class Display:
    """One Xvfb of the given size, started and stopped by the runner."""

    def __init__(self, size):
        self.size = size
        self.proc = None
        self.name = None

    def start(self):
        n = 140
        while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            n += 1
        self.proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", f"{self.size}x24",
                                      "-nolisten", "tcp", "-noreset"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.name = f":{n}"
        for _ in range(100):
            if subprocess.run(["xdpyinfo"], env={**os.environ, "DISPLAY": self.name},
                              capture_output=True).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError(f"Xvfb {self.name} did not start")

    def stop(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


class Run:
    """The processes and the home of one test."""

    def __init__(self, display):
        self.display = display
        self.home = tempfile.mkdtemp(prefix="hg-native-")
        self.config = os.path.join(self.home, "config")
        self.started = []
        self.capture = os.path.join(self.home, "out.raw")

    def env(self, extra=None):
        e = dict(os.environ)
        # The runtime folder holds the lock of the session's one sounding instance: a test's
        # own, so that runs beside each other do not silence each other.
        e.update({"DISPLAY": self.display.name, "HOME": self.home,
                  "XDG_CONFIG_HOME": self.config, "XDG_RUNTIME_DIR": self.home})
        # The hack finds the build's assets itself, as a run from the build tree must.
        e.pop("HEARTHGLOW_ASSETS", None)
        e.pop("XSCREENSAVER_WINDOW", None)
        if extra:
            e.update(extra)
        return e

    def ini(self, sections):
        """Writes the settings file: {"Settings": {"Vol": "0"}, ...}, with SetReg 2 so the
        values stand as written (absent ones take the scene's defaults)."""
        folder = os.path.join(self.config, "hearthglow")
        os.makedirs(folder, exist_ok=True)
        sections = {k: dict(v) for k, v in sections.items()}
        sections.setdefault("Settings", {}).setdefault("SetReg", "2")
        with open(os.path.join(folder, "hearthglow.ini"), "w") as f:
            for name, values in sections.items():
                f.write(f"[{name}]\n")
                for k, v in values.items():
                    f.write(f"{k}={v}\n")

    def seeded(self, **changes):
        """A settings file as a first run leaves it, with `changes` ("Section__Name": value)."""
        p = self.hack("-root", "-no-sound", sound="none")
        end = time.time() + 10
        path = os.path.join(self.config, "hearthglow", "hearthglow.ini")
        while time.time() < end and "SetReg=2" not in read(path):
            time.sleep(0.1)
        self.stop(p)
        text = read(path)
        for key, value in changes.items():
            section, name = key.split("__")
            lines, out, inside, done = text.splitlines(), [], False, False
            for line in lines:
                if line.startswith("["):
                    if inside and not done:
                        out.append(f"{name}={value}")
                        done = True
                    inside = line == f"[{section}]"
                if inside and line.split("=")[0] == name:
                    line, done = f"{name}={value}", True
                out.append(line)
            if not done:
                out += ([] if inside else [f"[{section}]"]) + [f"{name}={value}"]
            text = "\n".join(out) + "\n"
        with open(path, "w") as f:
            f.write(text)

    def hack(self, *args, sound="capture", extra=None, program=HACK):
        # ALSA reads the file when the sound first opens, which may be seconds after the start.
        with open(os.path.join(self.home, ".asoundrc"), "w") as f:
            f.write(ASOUNDRC.format(path=self.capture) if sound == "capture" else NO_CARD)
        p = subprocess.Popen([program] + list(args), env=self.env(extra),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.started.append(p)
        return p

    def window(self, x, y, w, h, colour):
        p = subprocess.Popen([WINDOW, str(x), str(y), str(w), str(h), colour],
                             env=self.env(), stdout=subprocess.PIPE, text=True)
        self.started.append(p)
        return p, p.stdout.readline().strip()

    def stop(self, p, sig=signal.SIGTERM, timeout=10):
        if p.poll() is None:
            p.send_signal(sig)
            try:
                p.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        return p.returncode

    def end(self):
        for p in self.started:
            if p.poll() is None:
                p.kill()
                p.wait()

    # -- X side ----------------------------------------------------------------------------
    def x(self, *args):
        return subprocess.run(list(args), env=self.env(), capture_output=True,
                              text=True).stdout

    def wait_window(self, p, name="Hearthglow", timeout=10):
        """The window's id once it is shown; fails at once, with why, when `p` has ended."""
        end = time.time() + timeout
        while time.time() < end:
            assert_running(p)
            ids = self.x("xdotool", "search", "--onlyvisible", "--name", f"^{name}$").split()
            if ids:
                return ids[0]
            time.sleep(0.1)
        return None

    def screenshot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.env(),
                       capture_output=True)
        return path

    def key(self, key):
        self.x("xdotool", "key", key)

    def click(self):
        self.x("xdotool", "click", "1")


def ended(p):
    """How a process that should still run ended: its exit status and its stderr."""
    err = p.stderr.read() if p.stderr else ""
    return f"exit status {p.returncode}, stderr: {err.strip() or '(empty)'}"


def assert_running(p, what="the hack"):
    if p.poll() is not None:
        raise AssertionError(f"{what} ended early: {ended(p)}")


def read(path):
    try:
        with open(path) as f:
            return f.read()
    except OSError:
        return ""


def samples(path):
    """The captured sound as mono samples (the mean of both sides)."""
    try:
        data = open(path, "rb").read()
    except OSError:
        return []
    s = struct.unpack(f"<{len(data) // 2}h", data[: len(data) // 4 * 4])
    return [(s[i] + s[i + 1]) / 2 for i in range(0, len(s) - 1, 2)]


def rms(values):
    return math.sqrt(sum(v * v for v in values) / max(1, len(values)))


def _fft(x):
    n = len(x)
    if n == 1:
        return x
    even, odd = _fft(x[0::2]), _fft(x[1::2])
    t = [complex(math.cos(-2 * math.pi * k / n), math.sin(-2 * math.pi * k / n)) * odd[k]
         for k in range(n // 2)]
    return [even[k] + t[k] for k in range(n // 2)] + [even[k] - t[k] for k in range(n // 2)]


def spectrum(values, n=8192, windows=1):
    """Magnitudes of a Hann-windowed FFT of n values (n a power of two), averaged over that many
    windows one after the other: several notes weigh more than where an onset was placed."""
    total = [0.0] * (n // 2)
    for k in range(windows):
        seg = list(values[k * n:(k + 1) * n])
        seg += [0.0] * (n - len(seg))
        w = [seg[i] * (0.5 - 0.5 * math.cos(2 * math.pi * i / (n - 1))) for i in range(n)]
        total = [t + abs(v) / windows for t, v in zip(total, _fft(w)[: n // 2])]
    return total


def flatness(magnitudes):
    """Geometric over arithmetic mean of the power spectrum above 50 Hz: near 0 for a few
    tones, towards 1 for noise."""
    p = [v * v + 1e-9 for v in magnitudes[10:]]
    return math.exp(sum(math.log(v) for v in p) / len(p)) / (sum(p) / len(p))


def similarity(a, b):
    """Cosine similarity of two magnitude spectra."""
    dot = sum(x * y for x, y in zip(a, b))
    return dot / max(1e-9, math.sqrt(sum(x * x for x in a) * sum(y * y for y in b)))


def onsets(values, quiet=0.2, level=50):
    """Where sound starts after the file's start or after a silence of `quiet` seconds."""
    out, silent, start = [], int(quiet * 44100), None
    run = silent
    for i, v in enumerate(values):
        if abs(v) > level:
            if run >= silent:
                out.append(i)
            run = 0
        else:
            run += 1
    return out
