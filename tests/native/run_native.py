#!/usr/bin/env python3
"""Runs the native end-to-end tests (tests/native/test_*.py, functions named test_*) of the X11
hack on virtual displays, with no Wine, and prints 'N passed, N failed' at the end. A test that
takes a `display_1080` argument runs on a 1920 x 1080 screen, one that takes `display_4k` on a
3840 x 2160 one, the others on 1024 x 768."""
import inspect
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import native  # noqa: E402
from run_e2e import run_tests  # noqa: E402  (native put tests/e2e on the path)


def main():
    displays = {"display": native.Display("1024x768"), "display_1080": native.Display("1920x1080"),
                "display_4k": native.Display("3840x2160")}
    for d in displays.values():
        d.start()

    def run_one(test):
        params = list(inspect.signature(test).parameters)
        run = native.Run(displays[params[0] if params else "display"])
        try:
            test(run) if params else test()
        finally:
            run.end()

    try:
        return run_tests(HERE, sys.argv[1:], run_one)
    finally:
        for d in displays.values():
            d.stop()


if __name__ == "__main__":
    sys.exit(main())
