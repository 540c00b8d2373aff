"""The hack under xscreensaver's own daemon, installed and listed the way the README tells a user:
`make install-linux` into a folder of the test's own, `hearthglow --root` in ~/.xscreensaver."""
import ctypes
import os
import pwd
import re
import shutil
import subprocess
import tempfile
import time

import native

USER = "hgxss"  # xscreensaver refuses to run as root; as root the test runs it as this user
PR_SET_CHILD_SUBREAPER = 36


def as_user():
    """The uid and gid the daemon runs as: ours, or an unprivileged user's when we are root."""
    if os.getuid() != 0:
        return None
    try:
        pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin",
                        USER], check=True, capture_output=True)
    entry = pwd.getpwnam(USER)
    return entry.pw_uid, entry.pw_gid


def hack_pids(path):
    out = []
    for pid in os.listdir("/proc"):
        try:
            if pid.isdigit() and os.readlink(f"/proc/{pid}/exe") == path:
                out.append(int(pid))
        except OSError:
            pass
    return out


def wait_for(what, timeout):
    end = time.time() + timeout
    while time.time() < end:
        v = what()
        if v:
            return v
        time.sleep(0.05)
    return what()


def ended_with(pid, timeout, log):
    """The exit status of a hack xscreensaver started, once it has ended within `timeout`, or
    None. The daemon's helper that started it may end at the same moment: as a subreaper we
    inherit the hack and read its status ourselves; else the helper's log gives it."""
    end = time.time() + timeout
    while time.time() < end:
        try:
            got, status = os.waitpid(pid, os.WNOHANG)
            if got == pid:
                return os.waitstatus_to_exitcode(status)
        except ChildProcessError:
            if not os.path.exists(f"/proc/{pid}"):
                m = wait_for(lambda: re.search(
                    rf"child pid {pid} \(.*?\) (?:exited .*?status (\d+)|terminated .*)", log()), 1)
                return int(m.group(1)) if m and m.group(1) else f"unknown: {m and m.group(0)}"
        time.sleep(0.05)
    return None


def test_xscreensaver_shows_the_moving_hearth_and_deactivate_and_cycle_end_it_cleanly():
    top = tempfile.mkdtemp(prefix="hg-xss-")
    os.chmod(top, 0o755)
    dest, home = os.path.join(top, "dest"), os.path.join(top, "home")
    inst = subprocess.run(["make", "-s", "-C", native.ROOT, "install-linux", f"DESTDIR={dest}"],
                          capture_output=True, text=True)
    assert inst.returncode == 0, f"install: exit status {inst.returncode}, {inst.stderr}"
    hack = os.path.join(dest, "usr", "libexec", "xscreensaver", "hearthglow")
    assert os.path.exists(hack), os.listdir(dest)
    os.makedirs(home)
    with open(os.path.join(home, ".xscreensaver"), "w") as f:
        f.write("mode: one\nselected: 0\ntimeout: 0:30:00\ncycle: 0:00:00\nlock: False\n"
                "fade: False\nunfade: False\nsplash: False\ndpmsEnabled: False\nverbose: True\n"
                f"programs: \\\n  {hack} --root \\n\\\n\n")
    user = as_user()
    if user:
        shutil.chown(home, user[0], user[1])
        shutil.chown(os.path.join(home, ".xscreensaver"), user[0], user[1])
    display = native.Display("1024x768")
    display.start()
    env = {**os.environ, "DISPLAY": display.name, "HOME": home, "XDG_CONFIG_HOME":
           os.path.join(home, ".config"), "XDG_RUNTIME_DIR": home}
    env.pop("XSCREENSAVER_WINDOW", None)
    ids = {"user": user[0], "group": user[1], "extra_groups": []} if user else {}
    log = open(os.path.join(top, "xscreensaver.log"), "w+")
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    daemon = subprocess.Popen(["xscreensaver", "-no-splash", "-verbose"], env=env, cwd=home,
                              stdout=log, stderr=subprocess.STDOUT, **ids)
    run = native.Run(display)

    def command(*args):
        r = subprocess.run(["xscreensaver-command", *args], env=env, capture_output=True,
                           text=True, timeout=20, **ids)
        assert r.returncode == 0, f"{args}: exit status {r.returncode}, {r.stderr}"

    def daemon_log():
        log.flush()
        with open(log.name) as f:
            return f.read()

    try:
        time.sleep(2)
        assert daemon.poll() is None, f"xscreensaver ended: {daemon.returncode}, {daemon_log()}"
        desktop = run.screenshot("xss-desktop")
        fire = (380, 300, 260, 200)

        command("-activate")
        pid = wait_for(lambda: hack_pids(hack), 10)
        assert pid, f"xscreensaver started no hearthglow: {daemon_log()}"
        # The pictures load before the first frame; on a machine busy with builds that takes a
        # few seconds.
        a, end = None, time.time() + 15
        while time.time() < end:
            time.sleep(0.5)
            assert hack_pids(hack) == pid, f"the hack ended: {daemon_log()}"
            a = run.screenshot("xss-active")
            if native.mean_colour(a, fire)[0] > 120:
                break
        assert native.mean_colour(a, fire)[0] > 120, \
            f"no hearth: {native.mean_colour(a, fire)}: {daemon_log()}"
        moved = 0
        for _ in range(5):
            time.sleep(0.5)
            b = run.screenshot("xss-active-later")
            pa, pb = native.pixels(a, fire), native.pixels(b, fire)
            moved = sum(abs(x[i] - y[i]) for x, y in zip(pa, pb) for i in range(3)) / len(pa)
            if moved > 3:
                break
        assert moved > 3, f"the flames did not move ({moved:.1f})"

        command("-cycle")
        status = ended_with(pid[0], 2, daemon_log)
        assert status == 0, f"-cycle: exit status {status} within 2 s: {daemon_log()}"
        fresh = wait_for(lambda: [p for p in hack_pids(hack) if p not in pid], 10)
        assert fresh, f"-cycle started no new hack: {daemon_log()}"

        time.sleep(2)
        command("-deactivate")
        status = ended_with(fresh[0], 2, daemon_log)
        assert status == 0, f"-deactivate: exit status {status} within 2 s: {daemon_log()}"
        time.sleep(0.5)
        after = run.screenshot("xss-deactivated")
        assert native.mean_colour(after, fire) == native.mean_colour(desktop, fire), \
            "the hearth stayed on the desktop"
    finally:
        libc.prctl(PR_SET_CHILD_SUBREAPER, 0, 0, 0, 0)
        run.stop(daemon, timeout=5)
        for p in hack_pids(hack):
            os.kill(p, 9)
        log.close()
        display.stop()
