"""xscreensaver's settings file for the hack, read as its settings program reads it, and each of
its controls against what the hack does with the option the control passes."""
import os
import subprocess
import tempfile
import xml.etree.ElementTree as ET

import native

# The attributes the settings program accepts on each element; any other draws a warning.
ALLOWED = {
    "command": {"arg"},
    "boolean": {"id", "_label", "arg-set", "arg-unset"},
    "number": {"id", "type", "_label", "_low-label", "_high-label", "arg", "low", "high",
               "default", "convert"},
    "string": {"id", "_label", "arg"},
    "select": {"id"},
    "option": {"id", "_label", "arg-set"},
    "screensaver": {"name", "_label"}, "hgroup": set(), "vgroup": set(), "_description": set(),
}


def matches(option, value, template):
    """Whether `option value` is what `template` (an arg, arg-set or arg-unset) passes, the way
    the settings program matches a saved command line back to its controls."""
    words = template.split()
    if words[0] != option or len(words) != (2 if value is not None else 1):
        return False
    return value is None or words[1] == "%" or words[1] == value


def controls(root):
    out = []
    for e in root.iter():
        assert e.tag in ALLOWED, f"unknown element <{e.tag}>"
        extra = set(e.attrib) - ALLOWED[e.tag]
        assert not extra, f"<{e.tag} id={e.get('id')}> has {extra}"
        if e.tag == "boolean":
            # With both, the settings program reads back only arg-set.
            assert (e.get("arg-set") is None) != (e.get("arg-unset") is None), e.attrib
        if e.tag == "select":
            defaults = [o for o in e if o.get("arg-set") is None]
            assert len(defaults) == 1, f"select {e.get('id')}: one default option, not {defaults}"
        if e.tag in ("boolean", "number", "string", "option", "command"):
            out.append(e)
    return out


def read_back(line, templates):
    """The warnings the settings program gives reading `line` (tokens after the program)."""
    tokens, warnings, i = line.split(), [], 0
    while i < len(tokens):
        option, value = tokens[i], None
        # A following word is the option's value unless it is an option itself ("-x", "--x";
        # "-3" is a value).
        nxt = tokens[i + 1] if i + 1 < len(tokens) else None
        if nxt and not (nxt[0] == "-" and (nxt[1:2].isalpha() or nxt[1:2] == "-")):
            value, i = tokens[i + 1], i + 1
        if not any(matches(option, value, t) for t in templates):
            warnings.append(f"no match for {option} {value or ''}")
        i += 1
    return warnings


def settings(*args, home):
    r = subprocess.run([native.HACK, *args, "-show-settings"], capture_output=True, text=True,
                       env={**os.environ, "HOME": home, "XDG_CONFIG_HOME": home,
                            "XSCREENSAVER_WINDOW": "0x400001"})
    assert r.returncode == 0, f"{args}: exit status {r.returncode}, stderr: {r.stderr}"
    return dict(line.split("=", 1) for line in r.stdout.splitlines())


def refused(*args):
    r = subprocess.run([native.HACK, *args, "-help"], capture_output=True, text=True)
    return r.returncode != 0 and "usage: hearthglow" in r.stderr


def test_settings_program_reads_the_file_without_warnings_and_every_control_does_what_it_shows():
    lint = subprocess.run(["xmllint", "--noout", native.XML], capture_output=True, text=True)
    assert lint.returncode == 0, lint.stderr
    root = ET.parse(native.XML).getroot()
    assert root.tag == "screensaver" and root.get("name") == "hearthglow"
    elements = controls(root)
    templates = [t for e in elements for t in (e.get("arg"), e.get("arg-set"), e.get("arg-unset"))
                 if t]
    # The line the README gives, and one with every control changed, read back cleanly.
    changed = [e.get("arg-set") or e.get("arg-unset") for e in elements
               if e.tag in ("boolean", "option") and (e.get("arg-set") or e.get("arg-unset"))]
    warnings = read_back("--root " + " ".join(changed), templates)
    assert warnings == [], warnings

    home = tempfile.mkdtemp(prefix="hg-options-")
    base = settings(home=home)
    cases = []  # (control, arguments, the value the named setting must take or None)
    for e in elements:
        if e.tag in ("boolean", "option") and (e.get("arg-set") or e.get("arg-unset")):
            cases.append((e.get("id"), (e.get("arg-set") or e.get("arg-unset")).split(), None))
        elif e.tag == "number":
            low, high, default = int(e.get("low")), int(e.get("high")), int(e.get("default"))
            assert low <= default <= high, e.attrib
            for outside in (low - 1, high + 1):
                arg = e.get("arg").replace("%", str(outside)).split()
                assert refused(*arg), f"{e.get('id')}: {outside} is outside -help's range"
            for v in (low, high):
                if v != default:
                    cases.append((e.get("id"), e.get("arg").replace("%", str(v)).split(), str(v)))
            cases.append((e.get("id") + " default", e.get("arg").replace("%", str(default)).split(),
                          "unchanged"))
        elif e.tag == "string":
            cases.append((e.get("id"), [e.get("arg").split()[0], "Merry Christmas, all"],
                          "Merry Christmas, all"))
    assert len(cases) > 40, cases
    for name, args, want in cases:
        got = settings(*args, home=home)
        diff = {k: (base[k], got[k]) for k in base if got.get(k) != base[k]}
        if want == "unchanged":
            # The control's default is the value a run takes when the control passes nothing.
            assert diff == {}, f"{name}: the default {args[-1]} is not the first-run value: {diff}"
        else:
            assert diff, f"{name}: {args} changed no setting"
            if want is not None:
                assert all(new == want for _, new in diff.values()), f"{name}: {diff}"
