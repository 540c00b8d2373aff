"""The release folder (make dist), and the setup program and its uninstaller in a Wine prefix of
their own, created afresh, so that nothing the other tests put in theirs can hide a missing file."""
import filecmp
import os
import shutil
import struct
import subprocess
import time
import xml.etree.ElementTree as ET
import zipfile

import hg

DIST = os.path.join(hg.BUILD, "dist")
SETUP64 = os.path.join(hg.BUILD, "installer64")
SHIPPED_SCR = os.path.join(hg.BUILD, "win32", "hrthglow.scr")
SCR64 = os.path.join(hg.BUILD, "win64", "hrthglow.scr")
PREFIX = os.path.join(hg.BUILD, "wineprefix-setup")
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Hearthglow"
# Where 64-bit Windows puts the entry of a 32-bit setup; Apps & features lists both views.
UNINSTALL_KEY_32_ON_64 = UNINSTALL_KEY.replace("\\Software\\", "\\Software\\WOW6432Node\\")
INSTALLED_SCR = r"C:\windows\system32\hrthglow.scr"
UNINSTALLER = r"C:\Tallowmere\hrthglow\uninstall.exe"
DUMMY_SAVER = r"C:\Savers\Someone Else's.scr"


def version():
    with open(os.path.join(hg.ROOT, "VERSION")) as f:
        return f.readline().strip()


def tree(root):
    """The files below root, as relative paths with '/' separators."""
    return {os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
            for folder, _, names in os.walk(root) for name in names}


def built_files(scr):
    """{relative path: built file} of all the release ships: the asset folder and the program."""
    files = {rel: os.path.join(hg.ASSETS, rel) for rel in tree(hg.ASSETS)}
    files["hrthglow.scr"] = scr
    return files


def file_version(path):
    """major.minor.patch of a Windows program's fixed version information."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(b"\xbd\x04\xef\xfe")  # the signature that opens VS_FIXEDFILEINFO
    assert at >= 0, f"{path} has no version information"
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}"


def reg_values(env, key):
    """Every value of `key`, by lower-case name, read in one query."""
    values = {}
    for line in env.reg("query", key).splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0].lower()] = parts[2] if len(parts) == 3 else ""
    return values


def reg_value(env, key, name):
    return reg_values(env, key).get(name.lower())


def key_exists(env, key):
    return subprocess.run(env.wine_cmd + ["reg", "query", key], env=env.env,
                          capture_output=True).returncode == 0


def run_to_end(env, args, timeout):
    """Runs a Windows program and waits for every process of the prefix to end: the uninstaller
    hands over to a copy of itself in the temporary folder and returns at once."""
    p = env.wine(args)
    p.wait(timeout=timeout)
    subprocess.run(["wineserver", "-w"], env=env.env, timeout=timeout)
    return p.returncode


def test_release_folder_is_complete_and_carries_the_one_version(env):
    setup = f"HearthglowSetup-{version()}.exe"
    portable = f"Hearthglow-{version()}-portable.zip"
    assert os.path.isfile(os.path.join(DIST, setup)), f"no {setup}: run make dist"
    check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=DIST, capture_output=True,
                           text=True)
    assert check.returncode == 0, check.stdout + check.stderr
    assert sorted(check.stdout.split()) == sorted([setup + ":", "OK", portable + ":", "OK"])

    expected = built_files(SHIPPED_SCR)
    with zipfile.ZipFile(os.path.join(DIST, portable)) as z:
        names = {n for n in z.namelist() if not n.endswith("/")}
        assert names == {"Tallowmere/hrthglow/" + rel for rel in expected}, names
        for rel, built in expected.items():
            with open(built, "rb") as f:
                assert z.read("Tallowmere/hrthglow/" + rel) == f.read(), f"{rel} differs"

    assert file_version(SHIPPED_SCR) == version(), "the program's version resource"
    assert file_version(os.path.join(DIST, setup)) == version(), "the setup program's version"
    # Windows refuses to start a program whose manifest is not well-formed XML.
    with open(SHIPPED_SCR, "rb") as f:
        data = f.read()
    start = data.find(b"<?xml")
    manifest = ET.fromstring(data[start:data.find(b"</assembly>", start) + len(b"</assembly>")])
    text = ET.tostring(manifest).decode()
    assert "PerMonitorV2" in text and "Microsoft.Windows.Common-Controls" in text, text
    assert len(manifest.findall(".//{urn:schemas-microsoft-com:compatibility.v1}supportedOS")) == 4


def install_and_uninstall(env, arch, setup, built_scr, uninstall_key=UNINSTALL_KEY):
    """Installs, runs, reinstalls and uninstalls `setup` in a fresh prefix of `arch`."""
    assert os.path.isfile(setup), f"no {setup}: run make dist"
    prefix = PREFIX + ("" if arch == "win32" else "64")
    shutil.rmtree(prefix, ignore_errors=True)
    inst = hg.Env(prefix=prefix, arch=arch)
    inst.env["DISPLAY"] = env.env["DISPLAY"]
    drive_c = os.path.join(prefix, "drive_c")
    folder = os.path.join(drive_c, "Tallowmere", "hrthglow")
    # The real System32: where a 64-bit setup writes, and where a 32-bit one writes with its
    # redirection turned off, since Windows' 64-bit settings program lists that folder.
    scr = os.path.join(drive_c, "windows", "system32", "hrthglow.scr")
    try:
        subprocess.run(inst.wine_cmd + ["wineboot", "-i"], env=inst.env, capture_output=True,
                       timeout=180)
        subprocess.run(["wineserver", "-w"], env=inst.env, timeout=180)
        inst.reg("add", DESKTOP_KEY, "/v", "SCRNSAVE.EXE", "/d", DUMMY_SAVER, "/f")
        inst.reg("delete", DESKTOP_KEY, "/v", "ScreenSaveActive", "/f")
        assert reg_value(inst, DESKTOP_KEY, "SCRNSAVE.EXE") == DUMMY_SAVER
        assert reg_value(inst, DESKTOP_KEY, "ScreenSaveActive") is None

        # Silent install: every built file, byte for byte, plus the uninstaller and nothing else.
        assert run_to_end(inst, [setup, "/S"], 180) == 0
        expected = built_files(built_scr)
        assets = {rel: path for rel, path in expected.items() if rel != "hrthglow.scr"}
        assert tree(folder) == set(assets) | {"uninstall.exe"}, tree(folder) ^ set(assets)
        for rel, built in assets.items():
            assert filecmp.cmp(built, os.path.join(folder, rel), shallow=False), f"{rel} differs"
        assert filecmp.cmp(built_scr, scr, shallow=False), "the installed .scr differs"
        if arch == "win64":
            # What a 64-bit process (the settings program) sees in its system folder.
            listing = subprocess.run(inst.wine_cmd + ["cmd", "/c", r"dir /b C:\windows\system32\*.scr"],
                                     env=inst.env, capture_output=True, text=True, timeout=60)
            assert "hrthglow.scr" in listing.stdout.lower(), listing.stdout + listing.stderr
        chosen = reg_value(inst, DESKTOP_KEY, "SCRNSAVE.EXE")
        assert (chosen or "").lower() == INSTALLED_SCR.lower(), chosen
        # The whole entry in one query: under a 64-bit prefix one of seven queries of a single
        # value once came back empty.
        listed = reg_values(inst, uninstall_key)
        entry = {name: listed.get(name.lower()) for name in (
            "DisplayName", "Publisher", "DisplayVersion", "DisplayIcon", "UninstallString",
            "QuietUninstallString", "EstimatedSize")}
        size_kb = sum(os.path.getsize(p) for p in expected.values()) / 1024
        assert size_kb <= int(entry.pop("EstimatedSize"), 16) < size_kb + 64
        assert entry == {"DisplayName": "Hearthglow Screensaver", "Publisher": "Tallowmere",
                         "DisplayVersion": version(), "DisplayIcon": UNINSTALLER + ",0",
                         "UninstallString": f'"{UNINSTALLER}"',
                         "QuietUninstallString": f'"{UNINSTALLER}" /S'}, entry

        # The installed program finds its pictures in the installed folder: fire in the opening.
        p = inst.wine([INSTALLED_SCR, "/s"])
        assert inst.wait_scene(20, program=p), "the installed .scr shows no scene"
        time.sleep(2)
        shot = inst.screenshot(f"installer_scene_{arch}")
        scale = 1024 / 800
        opening = tuple(round(v * scale) for v in (250, 280, 300, 140))
        r, g, b = hg.mean_colour(shot, opening)
        assert r > 120 and r > g > b and b < 90, f"no fire in the opening: {(r, g, b)}"
        inst.kill_all()
        p = inst.wine([INSTALLED_SCR, "/c"])
        assert inst.wait_window_title("Hearthglow Screensaver by Tallowmere", 15, program=p), \
            "no dialog"
        inst.kill_all()

        # A setting changed by the user survives installing again over the installed version.
        inst.set_values({"Settings\\Message": "Kept over a reinstall"})
        assert run_to_end(inst, [setup, "/S"], 180) == 0
        assert inst.read_values("Settings").get("Message") == "Kept over a reinstall"
        assert tree(folder) == set(assets) | {"uninstall.exe"}

        # Silent uninstall: what it installed goes, a file of the user's stays, the settings
        # key goes, and the screen saver chosen before comes back, with no value left that was
        # not there before.
        with open(os.path.join(folder, "notes.txt"), "w") as f:
            f.write("mine\n")
        assert run_to_end(inst, [UNINSTALLER, "/S"], 180) == 0
        assert tree(folder) == {"notes.txt"}, tree(folder)
        assert not os.path.exists(scr), "the .scr is still in the system folder"
        assert not key_exists(inst, hg.REG_KEY), "the settings key is still there"
        assert reg_value(inst, uninstall_key, "DisplayName") is None, "still in Apps & features"
        assert reg_value(inst, DESKTOP_KEY, "SCRNSAVE.EXE") == DUMMY_SAVER
        assert reg_value(inst, DESKTOP_KEY, "ScreenSaveActive") is None, \
            "ScreenSaveActive was absent before the install and is left behind"
    finally:
        inst.kill_all()
        shutil.rmtree(prefix, ignore_errors=True)


def test_setup_installs_chooses_keeps_settings_and_uninstalls_cleanly_on_32_bit_windows(env):
    if hg.ARCH != "win32":
        raise hg.Skip("this machine cannot run 32-bit programs")
    install_and_uninstall(env, "win32", os.path.join(DIST, f"HearthglowSetup-{version()}.exe"),
                          SHIPPED_SCR)


def test_setup_installs_chooses_keeps_settings_and_uninstalls_cleanly_on_64_bit_windows(env):
    if hg.ARCH == "win32":
        # The shipped 32-bit setup and program, as 64-bit Windows runs them.
        install_and_uninstall(env, "win64", os.path.join(DIST, f"HearthglowSetup-{version()}.exe"),
                              SHIPPED_SCR, UNINSTALL_KEY_32_ON_64)
    else:
        # Without 32-bit programs: the same setup script around the 64-bit build.
        install_and_uninstall(env, "win64",
                              os.path.join(SETUP64, f"HearthglowSetup-{version()}.exe"), SCR64)
