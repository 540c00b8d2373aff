#!/usr/bin/env python3
"""Runs every end-to-end test (tests/e2e/test_*.py, functions named test_*) under one Xvfb and
one Wine prefix, and prints 'N passed, N failed, N skipped' at the end."""
import importlib.util
import os
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hg  # noqa: E402


def run_tests(folder, selected, run_one):
    """Runs every test_* function of the folder's test_*.py files whose full name holds one of
    `selected` (all when none is given), each through run_one(function). Prints a line a test
    and 'N passed, N failed' at the end; returns the exit code."""
    passed = failed = skipped = 0
    failures = []
    for name in sorted(os.listdir(folder)):
        if not (name.startswith("test_") and name.endswith(".py")):
            continue
        found = importlib.util.spec_from_file_location(name[:-3], os.path.join(folder, name))
        module = importlib.util.module_from_spec(found)
        found.loader.exec_module(module)
        for attr in sorted(dir(module)):
            if not attr.startswith("test_"):
                continue
            full = f"{name[:-3]}.{attr}"
            if selected and not any(s in full for s in selected):
                continue
            start = time.time()
            try:
                run_one(getattr(module, attr))
                passed += 1
                print(f"[  PASS  ] {full} ({time.time() - start:.1f}s)", flush=True)
            except hg.Skip as why:
                skipped += 1
                print(f"[  SKIP  ] {full}: {why}", flush=True)
            except Exception:
                failed += 1
                failures.append(full)
                print(f"[  FAIL  ] {full} ({time.time() - start:.1f}s)", flush=True)
                traceback.print_exc()
    for f in failures:
        print(f"failed: {f}")
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed or passed == 0 else 0


def main():
    if hg.ARCH != "win32":
        print("This machine cannot run 32-bit programs (no 32-bit Wine): the tests drive the "
              "64-bit build of the same sources in a 64-bit prefix.", flush=True)
    env = hg.Env()
    env.start()

    def run_one(test):
        try:
            env.clear_settings()
            test(env)
        finally:
            env.kill_all()

    try:
        return run_tests(HERE, sys.argv[1:], run_one)
    finally:
        env.stop()


if __name__ == "__main__":
    sys.exit(main())
