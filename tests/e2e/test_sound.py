"""The crackle as it reaches the sound card: captured through an ALSA file device."""
import math
import os
import struct
import tempfile
import time

import hg

CAPTURE_SECONDS = 3


def wait_no_scene(env, timeout=10):
    # A scene killed by the previous run keeps its single-instance window for a moment, and a
    # new /s started meanwhile would end at once.
    end = time.time() + timeout
    while time.time() < end:
        if env.scene_info() is None:
            time.sleep(0.5)
            if env.scene_info() is None:
                return
        time.sleep(0.2)
    raise AssertionError("an earlier scene window does not go away")


def seeded(env, **settings):
    wait_no_scene(env)
    env.seeded(**settings)
    wait_no_scene(env)


def start_scene(env, home):
    p = env.scr("/s", env_extra={"HOME": home})
    assert env.wait_scene(15), "no visible scene window"
    return p


def capture(env, **settings):
    """Runs the seeded scene with `settings` for a few seconds; returns the captured samples."""
    seeded(env, **settings)
    path = os.path.join(tempfile.mkdtemp(prefix="hg-capture-"), "out.raw")
    p = start_scene(env, env.with_sound_device(path))
    time.sleep(CAPTURE_SECONDS)
    assert p.poll() is None, "the scene ended on its own"
    env.kill_all()
    if not os.path.exists(path):
        return []  # the device was never opened
    data = open(path, "rb").read()
    samples = struct.unpack(f"<{len(data) // 2}h", data[: len(data) // 2 * 2])
    # The device may open a little before the first wave is mixed in.
    first = next((i for i, s in enumerate(samples) if s != 0), len(samples))
    return samples[first:]


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / max(1, len(samples)))


def test_crackle_plays_and_volume_attenuates_in_hundredths_of_a_decibel(env):
    loud = capture(env, Settings__Vol="0", Settings__SoundOff="0")
    assert len(loud) > 44100, f"only {len(loud)} samples captured"
    soft = capture(env, Settings__Vol="-2500", Settings__SoundOff="0")
    assert len(soft) > 44100, f"only {len(soft)} samples captured"
    loud_rms, soft_rms = rms(loud), rms(soft)
    assert loud_rms > 300, f"full-level crackle too quiet: RMS {loud_rms:.1f}"
    assert soft_rms > 0, "Vol -2500 is silent"
    db = 20 * math.log10(loud_rms / soft_rms)
    print(f"    RMS at Vol 0: {loud_rms:.1f}, at Vol -2500: {soft_rms:.1f}, difference {db:.2f} dB")
    assert abs(db - 25) <= 2, f"Vol -2500 is {db:.2f} dB below Vol 0, expected 25 +- 2"


def test_sound_off_captures_silence(env):
    samples = capture(env, Settings__SoundOn="0", Settings__Vol="0")
    assert not samples, f"{len(samples)} non-silent samples with SoundOn 0"


def test_q_lets_the_sound_device_go(env):
    # While a stream is open the mixer keeps feeding the device, silence or not; once Q has
    # silenced everything, nothing may hold it (so the machine can sleep).
    seeded(env, Settings__Vol="0", Settings__SoundOff="0")
    path = os.path.join(tempfile.mkdtemp(prefix="hg-capture-"), "out.raw")
    p = start_scene(env, env.with_sound_device(path))
    time.sleep(2)
    assert os.path.exists(path), "the crackle never opened the device"
    # The scene window has the keyboard, as a window manager gives it to the topmost window:
    # with none, X sends keys where the pointer is, and a test before may have left focus
    # nowhere.
    for window in env.x("xdotool", "search", "--class", hg.SCENE_CLASS).split():
        env.x("xdotool", "windowfocus", window)
    env.key("q")
    # Closing the stream may take Wine's audio thread a moment on a busy machine; after that
    # nothing more may come.
    size, end = os.path.getsize(path), time.time() + 5
    while time.time() < end:
        time.sleep(0.5)
        now = os.path.getsize(path)
        if now == size:
            break
        size = now
    assert p.poll() is None, "Q ended the scene"
    time.sleep(2)
    grown = os.path.getsize(path) - size
    assert grown == 0, f"{grown} bytes written to the device after Q (and its first 5 s)"


def test_scene_runs_without_any_sound_device(env):
    # Music too: the carols then play to a missing synthesizer.
    seeded(env, Settings__Vol="0", xmas__PlayMusic="0", Music__Music1="1")
    home = tempfile.mkdtemp(prefix="hg-nosound-")
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write('pcm.!default { type hw card 97 }\nctl.!default { type hw card 97 }\n')
    p = start_scene(env, home)
    time.sleep(CAPTURE_SECONDS)
    assert p.poll() is None, "the scene ended without a sound device"
    assert env.scene_info()[5], "the scene window is no longer visible"
    assert not env.windows_named("rror"), "an error window appeared"
