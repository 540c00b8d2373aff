#!/usr/bin/env python3
"""Runs every end-to-end test (tests/e2e/test_*.py, functions named test_*) under one Xvfb and
one Wine prefix, and prints 'N passed, N failed' at the end."""
import importlib.util
import os
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hg  # noqa: E402


def main():
    selected = sys.argv[1:]
    env = hg.Env()
    env.start()
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
                start = time.time()
                try:
                    env.clear_settings()
                    getattr(module, attr)(env)
                    passed += 1
                    print(f"[  PASS  ] {full} ({time.time() - start:.1f}s)", flush=True)
                except Exception:
                    failed += 1
                    failures.append(full)
                    print(f"[  FAIL  ] {full} ({time.time() - start:.1f}s)", flush=True)
                    traceback.print_exc()
                finally:
                    env.kill_all()
    finally:
        env.stop()
    for f in failures:
        print(f"failed: {f}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
