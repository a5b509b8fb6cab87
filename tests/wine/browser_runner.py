#!/usr/bin/python3
"""Runs the browser's tree test with the test's own mpr.dll and takes its
screenshot.

    browser_runner.py SHOT.png WINE TEST.exe

The program runs in its own folder (beside the fake mpr.dll, which only
this process loads: WINEDLLOVERRIDES gets mpr=n here, not in other tests).
When it writes browser-shot.req ("x y width height" of the dialog), the
screen's region is saved to SHOT.png with imagemagick's `import`, and
browser-shot.done tells the program to go on. The program's exit code is
returned; a screenshot that cannot be taken fails the run.
"""
import os
import subprocess
import sys
import time

REQUEST = "browser-shot.req"
DONE = "browser-shot.done"


def take_shot(path, request):
    x, y, w, h = (int(v) for v in open(request).read().split())
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    crop = f"{max(w, 1)}x{max(h, 1)}+{max(x, 0)}+{max(y, 0)}"
    result = subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", path],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=20)
    if result.returncode != 0:
        print("browser_runner: import failed:", result.stderr.decode(errors="replace"))
        return False
    print(f"browser_runner: screenshot {path} ({crop})")
    return True


def main():
    shot, command = sys.argv[1], sys.argv[2:]
    for name in (REQUEST, DONE):
        if os.path.exists(name):
            os.remove(name)
    env = dict(os.environ)
    overrides = env.get("WINEDLLOVERRIDES", "")
    env["WINEDLLOVERRIDES"] = (overrides + ";" if overrides else "") + "mpr=n"
    env["ZENK_SCREENSHOT"] = "1"
    test = subprocess.Popen(command, env=env)
    shot_ok = None
    while test.poll() is None:
        if shot_ok is None and os.path.exists(REQUEST):
            shot_ok = take_shot(shot, REQUEST)
            open(DONE, "w").close()
        time.sleep(0.05)
    for name in (REQUEST, DONE):
        if os.path.exists(name):
            os.remove(name)
    if test.returncode != 0:
        return test.returncode
    if not shot_ok:
        print("browser_runner: no screenshot was taken")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
