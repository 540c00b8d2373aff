"""Driving the screen saver under Wine on an X display, for the end-to-end tests.

One Xvfb and one 32-bit Wine prefix serve the whole run; each test starts from a settings store
with no Hearthglow key (or with the values it sets) and ends every Windows process it started.
"""
import os
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build")
SCR = os.path.join(BUILD, "win32", "hrthglow.scr")
PROBE = os.path.join(BUILD, "win32", "probe_win32.exe")
ASSETS = os.path.join(BUILD, "assets", "install")
SHOTS = os.path.join(BUILD, "e2e-shots")
REG_KEY = r"HKCU\Software\Tallowmere\hrthglow"
SCENE_CLASS = "HearthglowScene"


class Env:
    """The X display, the Wine prefix and the process environment shared by all tests."""

    def __init__(self, screen="1024x768x24"):
        self.env = dict(os.environ)
        self.env.update({
            "WINEARCH": "win32",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "WINEPREFIX": os.path.join(BUILD, "wineprefix"),
        })
        self.xvfb = None
        self.screen = screen
        self.started = []

    # -- display and prefix -------------------------------------------------------------
    def start(self):
        n = 90
        while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            n += 1
        self.xvfb = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", self.screen, "-nolisten", "tcp"],
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
            subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL,
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
        p = subprocess.Popen(["wine"] + args, env=env, stderr=subprocess.DEVNULL, text=True, **kw)
        self.started.append(p)
        return p

    def scr(self, *args, env_extra=None):
        return self.wine([SCR] + list(args), env_extra=env_extra)

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
        # Anything a test left behind (a preview started by the probe, say) goes too. Only this
        # prefix's processes: other runs of the tests on the same machine are not ours to end.
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    # -- registry --------------------------------------------------------------------------
    def reg(self, *args):
        return subprocess.run(["wine", "reg"] + list(args), env=self.env, capture_output=True,
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
        subprocess.run(["wine", "regedit", "/S", path], env=self.env, capture_output=True)
        os.unlink(path)

    def seeded(self, **overrides):
        """A seeded store (as a first run leaves it) with some values changed."""
        self.clear_settings()
        self.set_values({"Settings\\SetReg": "1"})
        # Let the scene seed the store, then apply the overrides over the seeds.
        p = self.scr("/s")
        self.wait_scene(20)
        p.kill()
        p.wait()
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

    def wait_window_title(self, title, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
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

    def wait_scene(self, timeout=15):
        end = time.time() + timeout
        while time.time() < end:
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
