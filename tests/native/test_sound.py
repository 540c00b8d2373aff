"""The crackle and the carols as they reach the sound card: an ALSA file device."""
import os
import time

import native


def capture(run, *args, seconds=3.0):
    p = run.hack("-root", *args)
    time.sleep(seconds)
    native.assert_running(p)
    run.stop(p)
    return native.samples(run.capture)


def test_crackle_plays_at_the_volume_asked(display):
    run = display
    run.seeded(Settings__Vol="0")
    loud = capture(run)
    soft = capture(run, "-volume", "-2500")  # the option wins over the file for this run
    assert len(loud) > 44100 and len(soft) > 44100, (len(loud), len(soft))
    db = 20 * __import__("math").log10(native.rms(loud) / max(1e-9, native.rms(soft)))
    print(f"    RMS at Vol 0: {native.rms(loud):.0f}, at -2500: {native.rms(soft):.0f}, "
          f"{db:.2f} dB apart")
    assert native.rms(loud) > 300
    assert abs(db - 25) <= 2, f"{db:.2f} dB apart, expected 25 +- 2"


# Tracks are told apart by their spectra over this many windows of 8192 samples (0.74 s).
WINDOWS = 4


def carol(run, tracks):
    changes = {"Settings__SoundOn": "0", "xmas__PlayMusic": "0"}
    changes.update({f"Music__Music{n}": "1" for n in tracks})
    run.seeded(**changes)


def test_carol_is_synthesized_and_n_moves_on_to_the_next_checked_track(display):
    run = display
    carol(run, [2])
    second = capture(run, seconds=4)
    start = native.onsets(second)[0]
    reference = native.spectrum(second[start:], windows=WINDOWS)

    carol(run, [1, 2])
    p = run.hack("-window")
    assert run.wait_window(p), "no window within 10 s, the hack still running"
    time.sleep(3.5)
    first = native.samples(run.capture)
    run.key("n")
    time.sleep(4)
    assert p.poll() is None, "N ended the scene"
    run.stop(p)
    after = native.samples(run.capture)

    opening = first[native.onsets(first)[0]:]
    assert native.rms(opening) > 300, f"the carol is too quiet: RMS {native.rms(opening):.0f}"
    one = native.spectrum(opening)
    print(f"    flatness of the carol's spectrum {native.flatness(one):.5f}")
    assert native.flatness(one) < 0.01, "the music's spectrum looks like noise, not tones"
    # The next track starts after the silence N leaves, and sounds as track 2 does alone. The
    # stream closes while nothing sounds, and the file device starts a new file when it opens
    # again; had it stayed open, the new track begins after what was captured before N.
    since = len(first) if after[: len(first)] == first else 0
    starts = [i for i in native.onsets(after) if i >= since and len(after) - i > WINDOWS * 8192]
    assert starts, "nothing played after N"
    two = native.spectrum(after[starts[0]:], windows=WINDOWS)
    same = native.similarity(two, reference)
    other = native.similarity(two, native.spectrum(opening, windows=WINDOWS))
    print(f"    after N: like track 2 {same:.3f}, like track 1 {other:.3f}")
    assert same > 0.8 and same > other + 0.3, (same, other)


def test_no_sound_font_and_no_card_are_silence_and_sigterm_ends_the_run(display):
    run = display
    carol(run, [1])
    p = run.hack("-root", "-sound", sound="none",
                 extra={"HEARTHGLOW_SOUNDFONT": "/nonexistent/font.sf2"})
    time.sleep(3)
    assert p.poll() is None, "the run ended without sound"
    start = time.time()
    assert run.stop(p) == 0
    assert time.time() - start < 3, "SIGTERM took too long"
    assert p.stderr.read() == "", "something was printed"
    assert not os.path.exists(run.capture)
