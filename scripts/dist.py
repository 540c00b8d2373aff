#!/usr/bin/env python3
"""Builds the release folder build/dist from the built program and asset folder:

- HearthglowSetup-<version>.exe, the setup program (NSIS, installer/hearthglow.nsi);
- Hearthglow-<version>-portable.zip, the same files laid out as C:\\Tallowmere\\hrthglow\\;
- SHA256SUMS, for `sha256sum -c`.

`dist.py --amd64` builds instead, into build/installer64, a 64-bit setup program around the
64-bit build (build/win64): no release, but what the tests install where 32-bit programs cannot
run.

The version is read from the file VERSION, like the program's own version resource. The lists
of files to install and to remove are generated from the built asset folder, whatever it holds.
"""
import hashlib
import math
import os
import re
import shutil
import subprocess
import sys
import time
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build")
SCR = os.path.join(BUILD, "win32", "hrthglow.scr")
ASSETS = os.path.join(BUILD, "assets", "install")
RESOURCES = os.path.join(BUILD, "assets", "resources")
WORK = os.path.join(BUILD, "installer")
SCR64 = os.path.join(BUILD, "win64", "hrthglow.scr")
WORK64 = os.path.join(BUILD, "installer64")
DIST = os.path.join(BUILD, "dist")
NSI = os.path.join(ROOT, "installer", "hearthglow.nsi")
LICENCE_NAMES = ("LICENSE", "LICENSE.txt", "LICENSE.md", "LICENCE", "LICENCE.txt", "COPYING")
# The folder the zip unpacks to when it is extracted at the root of C:.
ZIP_FOLDER = "Tallowmere/hrthglow/"


def read_version():
    with open(os.path.join(ROOT, "VERSION")) as f:
        version = f.readline().strip()
    m = re.fullmatch(r"(\d+)\.(\d+)\.(\d+)", version)
    if not m:
        sys.exit(f"dist: VERSION must hold major.minor.patch, not {version!r}")
    return version, m.group(1), m.group(2)


def asset_files():
    """The asset folder's files as paths relative to it, with '/' separators, sorted."""
    found = []
    for folder, dirs, files in os.walk(ASSETS):
        dirs.sort()
        for name in sorted(files):
            full = os.path.join(folder, name)
            found.append(os.path.relpath(full, ASSETS).replace(os.sep, "/"))
    return found


def nsis_text(text):
    """A path as an NSIS string between double quotes: '$' is NSIS's variable sign."""
    if '"' in text:
        sys.exit(f"dist: a path holds a double quote: {text}")
    return text.replace("$", "$$")


def windows_path(rel):
    """A path below the install folder, as the setup program names it."""
    return "$INSTDIR" + ("\\" + nsis_text(rel.replace("/", "\\")) if rel else "")


def write_file_lists(files):
    """The File commands of the setup program, the matching Delete/RMDir commands of the
    uninstaller (folders deepest first, removed only when left empty) and, in the same order,
    the folders below the install folder that the setup protects when something it did not
    install keeps them there."""
    install = []
    folders = set()
    current = None
    for rel in files:
        folder = os.path.dirname(rel)
        if folder != current:
            install.append(f'SetOutPath "{windows_path(folder)}"')
            current = folder
        while folder:
            folders.add(folder)
            folder = os.path.dirname(folder)
        install.append(f'File "{nsis_text(os.path.join(ASSETS, rel))}"')
    remove = [f'Delete "{windows_path(rel)}"' for rel in files]
    deepest_first = sorted(folders, key=lambda f: (-f.count("/"), f))
    remove += [f'RMDir "{windows_path(folder)}"' for folder in deepest_first]
    kept = [f'!insertmacro ProtectKeptFolder "{windows_path(folder)}"' for folder in deepest_first]
    paths = []
    for name, lines in (("files_install.nsh", install), ("files_uninstall.nsh", remove),
                        ("folders.nsh", kept)):
        paths.append(os.path.join(WORK, name))
        with open(paths[-1], "w") as f:
            f.write("\n".join(lines) + "\n")
    return paths


def welcome_picture():
    """The welcome page's picture: the 153 x 115 preview, unscaled, on a dark hearth-coloured
    panel of the 164 x 314 size the page shows, as the uncompressed 24-bit BMP it loads."""
    out = os.path.join(WORK, "welcome.bmp")
    subprocess.run(["convert", "-size", "164x314", "gradient:#4a2412-#0a0503",
                    os.path.join(RESOURCES, "preview.bmp"), "-gravity", "north", "-geometry",
                    "+0+72", "-composite", "-type", "TrueColor", "BMP3:" + out], check=True)
    return out


def build_setup(version, major, minor, files, scr=SCR, out_folder=DIST, amd64=False):
    install_list, uninstall_list, folder_list = write_file_lists(files)
    total = os.path.getsize(scr) + sum(os.path.getsize(os.path.join(ASSETS, f)) for f in files)
    out = os.path.join(out_folder, f"HearthglowSetup-{version}.exe")
    defines = {
        "HG_VERSION": version, "HG_VERSION_MAJOR": major, "HG_VERSION_MINOR": minor,
        "HG_OUTFILE": out, "HG_SCR": scr, "HG_ICON": os.path.join(RESOURCES, "hrthglow.ico"),
        "HG_WELCOME_BMP": welcome_picture(), "HG_FILES_INSTALL": install_list,
        "HG_FILES_UNINSTALL": uninstall_list, "HG_FOLDERS": folder_list,
        "HG_SIZE_KB": str(math.ceil(total / 1024)),
    }
    licence = next((os.path.join(ROOT, n) for n in LICENCE_NAMES
                    if os.path.isfile(os.path.join(ROOT, n))), None)
    if licence:
        defines["HG_LICENSE"] = licence
    if amd64:
        defines["HG_AMD64"] = "1"
    args = ["makensis", "-V2", "-INPUTCHARSET", "UTF8"]
    args += [f"-D{k}={v}" for k, v in defines.items()]
    subprocess.run(args + [NSI], check=True)
    return out


def build_zip(version, files):
    """The program and the asset folder under Tallowmere/hrthglow/, with the time of the last
    commit on every entry so that the same sources give the same bytes."""
    out = os.path.join(DIST, f"Hearthglow-{version}-portable.zip")
    stamp = subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=ROOT, capture_output=True,
                           text=True).stdout.strip()
    when = time.gmtime(int(stamp) if stamp.isdigit() else time.time())[:6]
    entries = [("hrthglow.scr", SCR)] + [(rel, os.path.join(ASSETS, rel)) for rel in files]
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for rel, src in entries:
            info = zipfile.ZipInfo(ZIP_FOLDER + rel, date_time=max(when, (1980, 1, 1, 0, 0, 0)))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(src, "rb") as f:
                z.writestr(info, f.read())
    return out


def write_sums(paths):
    lines = []
    for path in paths:
        h = hashlib.sha256()
        with open(path, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                h.update(block)
        lines.append(f"{h.hexdigest()}  {os.path.basename(path)}\n")
    with open(os.path.join(DIST, "SHA256SUMS"), "w") as f:
        f.writelines(lines)


def main():
    amd64 = "--amd64" in sys.argv[1:]
    scr = SCR64 if amd64 else SCR
    for needed in (scr, os.path.join(RESOURCES, "hrthglow.ico"),
                   os.path.join(RESOURCES, "preview.bmp")):
        if not os.path.isfile(needed):
            sys.exit(f"dist: {needed} is missing; run make {'win64' if amd64 else 'win32'} first")
    files = asset_files() if os.path.isdir(ASSETS) else []
    if not files:
        sys.exit(f"dist: the asset folder {ASSETS} is empty; run make assets first")
    version, major, minor = read_version()
    if amd64:
        shutil.rmtree(WORK64, ignore_errors=True)
        os.makedirs(WORK64)
        global WORK
        WORK = WORK64
        setup = build_setup(version, major, minor, files, scr=SCR64, out_folder=WORK64,
                            amd64=True)
        print(f"dist: {os.path.relpath(setup, ROOT)} (64-bit, for the tests)")
        return
    shutil.rmtree(DIST, ignore_errors=True)
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(DIST)
    os.makedirs(WORK)
    setup = build_setup(version, major, minor, files)
    portable = build_zip(version, files)
    write_sums([setup, portable])
    print(f"dist: {os.path.relpath(setup, ROOT)}, {os.path.relpath(portable, ROOT)}, "
          f"SHA256SUMS ({len(files)} asset files and hrthglow.scr)")
    print(f"dist: the setup program takes {os.path.getsize(setup) / 1e6:.1f} MB, the portable "
          f"zip {os.path.getsize(portable) / 1e6:.1f} MB")


if __name__ == "__main__":
    main()
