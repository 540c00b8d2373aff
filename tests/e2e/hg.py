"""Driving the screen saver under Wine on an X display, for the end-to-end tests.

One Xvfb and one Wine prefix serve the whole run; each test starts from a settings store with no
Hearthglow key (or with the values it sets) and ends every Windows process it started.

The prefix is the 32-bit one of the shipped program wherever the machine runs 32-bit programs.
A kernel without IA-32 emulation cannot start 32-bit Wine at all; there the same tests drive the
64-bit build of the same sources (build/win64) in a 64-bit prefix, and say so when they start.
"""
import os
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build")
WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"


def runs_32_bit_programs():
    """Whether this machine can start Wine's 32-bit loader (a kernel built or booted without
    IA-32 emulation refuses every 32-bit program with 'Exec format error')."""
    try:
        return subprocess.run([WINE32_LOADER, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def choose_arch():
    """'win32' or 'win64': HG_WINE_ARCH when it is set, else the one this machine can run."""
    chosen = os.environ.get("HG_WINE_ARCH", "")
    if chosen in ("win32", "win64"):
        return chosen
    return "win32" if runs_32_bit_programs() else "win64"


ARCH = choose_arch()
# The wine command of the arch: Debian's wrapper `wine` always picks the 32-bit loader when
# wine32 is installed, so a 64-bit prefix needs the 64-bit loader called directly.
WINE = ["wine"] if ARCH == "win32" else [WINE64_LOADER]
SCR = os.path.join(BUILD, ARCH, "hrthglow.scr")
PROBE = os.path.join(BUILD, ARCH, "probe_win32.exe")
DRIVER = os.path.join(BUILD, ARCH, "dialog_driver_win32.exe")
PREVIEW_HOST = os.path.join(BUILD, ARCH, "preview_host.exe")
PREFIX = os.path.join(BUILD, "wineprefix" if ARCH == "win32" else "wineprefix64")
ASSETS = os.path.join(BUILD, "assets", "install")
SHOTS = os.path.join(BUILD, "e2e-shots")
REG_KEY = r"HKCU\Software\Tallowmere\hrthglow"
SCENE_CLASS = "HearthglowScene"
SETUP_CLASS = "HearthglowSetup"


class Skip(Exception):
    """Raised by a test that cannot run on this machine, with the reason."""


class Env:
    """The X display, the Wine prefix and the process environment shared by all tests."""

    def __init__(self, screen="1024x768x24", prefix=PREFIX, arch=ARCH):
        self.env = dict(os.environ)
        self.env.update({
            "WINEARCH": arch,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "WINEPREFIX": prefix,
        })
        self.arch = arch
        self.wine_cmd = ["wine"] if arch == "win32" else [WINE64_LOADER]
        self.xvfb = None
        self.screen = screen
        self.started = []
        self.last_scr = None

    # -- display and prefix -------------------------------------------------------------
    def start(self):
        # HG_FIRST_DISPLAY: where a machine shared by several runs gives this one its own numbers.
        n = int(os.environ.get("HG_FIRST_DISPLAY", "90"))
        while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            n += 1
        # -noreset: an Xvfb that resets when its last client leaves refuses the clients that
        # connect meanwhile, and between two tests there often is no client at all.
        self.xvfb = subprocess.Popen(["Xvfb", f":{n}", "-noreset", "-screen", "0", self.screen,
                                      "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.env["DISPLAY"] = f":{n}"
        for _ in range(100):
            if subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                break
            time.sleep(0.1)
        prefix = self.env["WINEPREFIX"]
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            os.makedirs(os.path.dirname(prefix), exist_ok=True)
            subprocess.run(self.wine_cmd + ["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env)
        self.install_assets()

    def install_assets(self):
        dst = os.path.join(self.env["WINEPREFIX"], "drive_c", "Tallowmere", "hrthglow")
        os.makedirs(dst, exist_ok=True)
        if os.path.isdir(ASSETS):
            shutil.copytree(ASSETS, dst, dirs_exist_ok=True)

    def stop(self):
        self.kill_all()
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()

    def with_sound_device(self, capture_path):
        """An ALSA 'file' device behind a plug that converts to S16_LE: what Wine plays lands
        in `capture_path` as raw 16-bit samples. Returns the HOME that holds the .asoundrc."""
        home = tempfile.mkdtemp(prefix="hg-alsa-")
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write(
                "pcm.!default {\n type plug\n slave {\n  pcm \"capture\"\n  format S16_LE\n"
                "  rate 44100\n  channels 2\n }\n}\n"
                "pcm.capture {\n type file\n slave.pcm \"null\"\n"
                f" file \"{capture_path}\"\n format \"raw\"\n}}\n")
        return home

    # -- processes -------------------------------------------------------------------------
    def wine(self, args, env_extra=None, **kw):
        env = dict(self.env)
        if env_extra:
            env.update(env_extra)
        kw.setdefault("stdout", subprocess.PIPE)
        # What Wine and the program say on stderr goes to a file, for the failure message of a
        # test whose program ended before it showed anything.
        err = tempfile.TemporaryFile()
        p = subprocess.Popen(self.wine_cmd + args, env=env, stderr=err, text=True, **kw)
        p.stderr_file = err
        p.command = args
        self.started.append(p)
        return p

    def scr(self, *args, env_extra=None):
        self.last_scr = self.wine([SCR] + list(args), env_extra=env_extra)
        return self.last_scr

    def check_running(self, program, waiting_for):
        """Fails, with the program's exit status and the end of its stderr, when `program` has
        ended while a test still waits for `waiting_for`."""
        if program is not None and program.poll() is not None:
            raise AssertionError(f"{' '.join(program.command)} ended (exit status "
                                 f"{program.returncode}) before {waiting_for} appeared; "
                                 f"stderr: {stderr_of(program)!r}")

    def probe(self, *args, timeout=30):
        p = self.wine([PROBE] + list(args))
        out, _ = p.communicate(timeout=timeout)
        return out

    def kill_all(self):
        for p in self.started:
            if p.poll() is None:
                p.kill()
                p.wait()
        self.started = []
        self.last_scr = None
        # Anything a test left behind (a preview started by the probe, say) goes too. Only this
        # prefix's processes: other runs of the tests on the same machine are not ours to end.
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    # -- registry --------------------------------------------------------------------------
    def reg(self, *args):
        return subprocess.run(self.wine_cmd + ["reg"] + list(args), env=self.env, capture_output=True,
                              encoding="utf-8", errors="replace").stdout

    def clear_settings(self):
        self.reg("delete", REG_KEY, "/f")

    def set_values(self, values):
        """values: {"Settings\\CalPos": "3", ...}, applied in one regedit import."""
        by_section = {}
        for key, value in values.items():
            section, name = key.split("\\")
            by_section.setdefault(section, []).append((name, value))
        lines = ["Windows Registry Editor Version 5.00", ""]  # UTF-16: any letter goes in
        for section, items in by_section.items():
            lines.append(f"[HKEY_CURRENT_USER\\Software\\Tallowmere\\hrthglow\\{section}]")
            for name, value in items:
                v = value.replace("\\", "\\\\").replace('"', '\\"')
                lines.append(f'"{name}"="{v}"')
            lines.append("")
        fd, path = tempfile.mkstemp(suffix=".reg")
        with os.fdopen(fd, "wb") as f:
            f.write("\r\n".join(lines).encode("utf-16"))
        self.regedit(path)
        os.unlink(path)

    def regedit(self, path):
        subprocess.run(self.wine_cmd + ["regedit", "/S", path], env=self.env, capture_output=True)

    def seeded(self, **overrides):
        """A seeded store (as a first run leaves it) with some values changed."""
        self.clear_settings()
        self.set_values({"Settings\\SetReg": "1"})
        # Let the scene seed the store, then apply the overrides over the seeds.
        p = self.scr("/s")
        self.wait_scene(20)
        p.kill()
        p.wait()
        self.last_scr = None
        if overrides:
            self.set_values({k.replace("__", "\\"): v for k, v in overrides.items()})

    def read_values(self, section):
        out = self.reg("query", f"{REG_KEY}\\{section}")
        values = {}
        for line in out.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[1] == "REG_SZ":
                values[parts[0]] = parts[2] if len(parts) == 3 else ""
        return values

    # -- X side ----------------------------------------------------------------------------
    def x(self, *args):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True).stdout

    def windows_named(self, name):
        return self.x("xdotool", "search", "--name", name).split()

    def wait_window_title(self, title, timeout=10, program=None):
        """The X window titled `title`, once there; None after `timeout` seconds. Fails at once
        when `program`, the one expected to show it, has ended meanwhile."""
        end = time.time() + timeout
        while time.time() < end:
            self.check_running(program, f"a window titled {title!r}")
            ids = [w for w in self.windows_named(title)
                   if self.x("xdotool", "getwindowname", w).strip() == title]
            if ids:
                return ids[0]
            time.sleep(0.2)
        return None

    def scene_info(self):
        """(left, top, right, bottom, topmost, visible) of the scene window, or None."""
        out = self.probe("window-info", SCENE_CLASS).split()
        if not out or out[0] != "rect":
            return None
        l, t, r, b = map(int, out[1:5])
        return (l, t, r, b, out[5] == "topmost=1", out[6] == "visible=1")

    def wait_scene(self, timeout=15, program=None):
        program = program or self.last_scr
        end = time.time() + timeout
        while time.time() < end:
            self.check_running(program, "the scene window")
            info = self.scene_info()
            if info and info[5]:
                return info
            time.sleep(0.3)
        return None

    def screen_size(self):
        for line in self.x("xdpyinfo").splitlines():
            if "dimensions:" in line:
                w, h = line.split()[1].split("x")
                return int(w), int(h)
        return None

    def screenshot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=self.env, capture_output=True)
        return path

    def key(self, key):
        self.x("xdotool", "key", key)

    def click(self):
        self.x("xdotool", "click", "1")

    def move_mouse(self, x, y):
        self.x("xdotool", "mousemove", str(x), str(y))


def stderr_of(program, limit=1500):
    """The end of what a program started by Env.wine wrote on stderr."""
    f = getattr(program, "stderr_file", None)
    if f is None:
        return ""
    f.seek(0)
    return f.read().decode("utf-8", "replace")[-limit:]


def wait_exit(p, timeout):
    try:
        p.wait(timeout=timeout)
        return True
    except subprocess.TimeoutExpired:
        return False


def pixels(path, box=None):
    """The RGB pixels of a PNG (optionally cropped to box=(x, y, w, h)) as a list of tuples."""
    args = ["convert", path]
    if box:
        x, y, w, h = box
        args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
    args += ["-depth", "8", "rgb:-"]
    data = subprocess.run(args, capture_output=True).stdout
    return [tuple(data[i:i + 3]) for i in range(0, len(data) - 2, 3)]


def mean_colour(path, box):
    px = pixels(path, box)
    n = max(1, len(px))
    return tuple(sum(p[i] for p in px) / n for i in range(3))


def detail_beyond_800x600(path, box, scale, name):
    """How much of a screenshot's crop an 800 x 600 picture could not hold: the crop is shrunk
    to the size it has in the 800 x 600 layout (`scale` screen pixels a layout pixel) and
    enlarged again, and the share (in percent) of its pixels that then differ by more than 16 in
    a channel is given: fine lines and edges that the small picture has no room for. A picture
    that is an enlarged 800 x 600 one comes back nearly as it was. The crop and its round trip
    are kept beside the screenshot as `name`.png and `name`-800x600.png."""
    x, y, w, h = box
    folder = os.path.dirname(path)
    crop = os.path.join(folder, f"{name}.png")
    back = os.path.join(folder, f"{name}-800x600.png")
    subprocess.run(["convert", path, "-crop", f"{w}x{h}+{x}+{y}", "+repage", crop], check=True)
    small = f"{max(1, round(w / scale))}x{max(1, round(h / scale))}!"
    subprocess.run(["convert", crop, "-filter", "Triangle", "-resize", small, "-filter",
                    "Triangle", "-resize", f"{w}x{h}!", back], check=True)
    a, b = pixels(crop), pixels(back)
    lost = sum(1 for p, q in zip(a, b) if max(abs(p[i] - q[i]) for i in range(3)) > 16)
    return 100 * lost / max(1, len(a))
