#!/usr/bin/env python3
# End-to-end cases: the real composer, typed into as its user types and read as its user reads it.
#
#   e2e.py FRONT_END --exe PROGRAM --work DIR [--driver DRIVER] [--locale LOCALE] [--cases NAME,...]
#
# runs the cases of one front end, or those of them --cases names: win64 and win32, Quillet.exe under
# Wine, read by DRIVER (driver.exe) inside Wine; gtk and gnome, quillet-gtk on X11 and in GNOME on
# Wayland; page and served-page, the page's index.html in headless Chromium, opened from disk or served
# over http on localhost. --work holds one fresh directory per case, the program's current directory
# and so the place of its msg.dat, and the Wine prefix. --locale is the one Wine runs in, whose ANSI code page Wine takes (ko_KR.UTF-8: 949).
#
# The environment comes from tools/session: gnome needs GNOME Shell (--gnome), the others but the
# page an X display (--display), gtk IBus too (--ibus), and the Wine backend runs every Wine command in
# `tools/session --wine`.
# Mounting the small disk of a case needs root. To run some cases against another build, say:
#
#   tools/session --display -- /usr/bin/python3 tests/e2e/e2e.py win64 --exe build/win64/Quillet.exe \
#       --driver build/win64/driver.exe --work /tmp/e2e --cases saved_message,typing_and_escape
#   tools/session --private-mounts --display --ibus /tmp/e2e/ibus -- /usr/bin/python3 tests/e2e/e2e.py gtk \
#       --exe build/linux/quillet-gtk --work /tmp/e2e
#   tools/session --private-mounts --gnome /tmp/e2e/gnome -- /usr/bin/python3 tests/e2e/e2e.py gnome \
#       --exe build/linux/quillet-gtk --work /tmp/e2e
#   /usr/bin/python3 tests/e2e/e2e.py served-page --exe build/web/site/index.html --work /tmp/e2e
#
# Where things are: cases.py, the cases; composer.py, the verbs they use; wine.py, gtk.py, gnome.py and
# page.py, the backend of each front end; harness.py, the front ends' names, the texts the user reads
# and the checks; keyboard.py, the X keyboard map the cases type with.
import argparse
import os
import subprocess
import sys
from pathlib import Path

from cases import CASES
from gnome import GnomeComposer
from gtk import GtkComposer
from harness import GNOME, GTK, PAGE, SERVED_PAGE, WIN32, WIN64
from keyboard import Keyboard
from page import PageComposer
from wine import WineComposer

BACKENDS = {WIN64: WineComposer, WIN32: WineComposer, GTK: GtkComposer, GNOME: GnomeComposer, PAGE: PageComposer,
            SERVED_PAGE: PageComposer}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("front_end", choices=BACKENDS)
    for option in "--exe", "--driver", "--work":
        parser.add_argument(option, type=lambda path: Path(path).resolve(), required=option != "--driver")
    parser.add_argument("--locale", default="ko_KR.UTF-8")
    parser.add_argument("--cases", type=lambda names: set(names.split(",")), default=set())
    options = parser.parse_args()
    options.work.mkdir(parents=True, exist_ok=True)
    ours = {name: run for name, (run, front_ends) in CASES.items() if options.front_end in front_ends}
    if unknown := options.cases.difference(ours):
        parser.error(f"no such cases of {options.front_end}: {sorted(unknown)}")
    chosen = [(name, run) for name, run in ours.items() if name in (options.cases or ours)]
    x11 = options.front_end not in (PAGE, SERVED_PAGE, GNOME)
    if x11 and not os.environ.get("DISPLAY"):
        parser.error("no X display: run under tools/session --display")
    options.keyboard = Keyboard(run for _, run in chosen) if x11 else None
    backend = BACKENDS[options.front_end]
    backend.prepare(options)
    failed = []
    for name, run_case in chosen:
        composer = backend(options, name)
        try:
            run_case(composer)
            print(f"{name}: ok", flush=True)
        except Exception as failure:  # a failed check, a program or browser gone, no msg.dat: the next case runs
            print(f"{name}: FAILED: {failure}", flush=True)
            failed.append(name)
        finally:
            composer.stop()
    backend.finish(options)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
