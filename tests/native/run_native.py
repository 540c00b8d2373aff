#!/usr/bin/env python3
"""Runs the native end-to-end tests (tests/native/test_*.py, functions named test_*) of the X11
hack on virtual displays, with no Wine, and prints 'N passed, N failed' at the end. A test that
takes a `display_1080` argument runs on a 1920 x 1080 screen, the others on 1024 x 768."""
import importlib.util
import inspect
import os
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import native  # noqa: E402


def main():
    selected = sys.argv[1:]
    displays = {"display": native.Display("1024x768"), "display_1080": native.Display("1920x1080")}
    for d in displays.values():
        d.start()
    passed = failed = 0
    failures = []
    try:
        for name in sorted(os.listdir(HERE)):
            if not (name.startswith("test_") and name.endswith(".py")):
                continue
            found = importlib.util.spec_from_file_location(name[:-3], os.path.join(HERE, name))
            module = importlib.util.module_from_spec(found)
            found.loader.exec_module(module)
            for attr in sorted(dir(module)):
                if not attr.startswith("test_"):
                    continue
                full = f"{name[:-3]}.{attr}"
                if selected and not any(s in full for s in selected):
                    continue
                test = getattr(module, attr)
                params = list(inspect.signature(test).parameters)
                run = native.Run(displays[params[0] if params else "display"])
                start = time.time()
                try:
                    test(run) if params else test()
                    passed += 1
                    print(f"[  PASS  ] {full} ({time.time() - start:.1f}s)", flush=True)
                except Exception:
                    failed += 1
                    failures.append(full)
                    print(f"[  FAIL  ] {full} ({time.time() - start:.1f}s)", flush=True)
                    traceback.print_exc()
                finally:
                    run.end()
    finally:
        for d in displays.values():
            d.stop()
    for f in failures:
        print(f"failed: {f}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
