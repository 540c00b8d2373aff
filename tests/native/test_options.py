"""xscreensaver's settings file for the hack, and the command line it builds from it."""
import subprocess
import xml.etree.ElementTree as ET

import native


def accepted(*args):
    return subprocess.run([native.HACK, *args, "-help"], capture_output=True, text=True)


def test_settings_file_is_well_formed_and_the_hack_accepts_every_option_it_names():
    lint = subprocess.run(["xmllint", "--noout", native.XML], capture_output=True, text=True)
    assert lint.returncode == 0, lint.stderr
    root = ET.parse(native.XML).getroot()
    assert root.tag == "screensaver" and root.get("name") == "hearthglow"
    command_lines = []
    for e in root.iter():
        for attr in ("arg-set", "arg-unset"):
            if e.get(attr):
                command_lines.append(e.get(attr).split())
        if e.tag == "number":
            for v in (e.get("low"), e.get("high"), e.get("default")):
                command_lines.append(e.get("arg").replace("%", v).split())
        if e.tag == "string":
            arg, value = e.get("arg").split()
            assert value == "%"
            command_lines.append([arg, "Merry Christmas, all"])
    assert len(command_lines) > 30, command_lines
    for args in command_lines:
        r = accepted(*args)
        assert r.returncode == 0, f"{args}: {r.stderr}"
    wrong = accepted("-volume", "1")
    assert wrong.returncode != 0 and "usage: hearthglow" in wrong.stderr, wrong.stderr
