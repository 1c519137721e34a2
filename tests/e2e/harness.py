# What the cases and the backends share: the names of the front ends, the texts the user reads, what
# a message looks like on screen and on disk, how long to wait and how to check.
import ast
import itertools
import re
import subprocess
import time
from pathlib import Path

# The front ends a case can run on, as e2e.py's first argument names them: the Windows program under
# 64-bit Wine and under the real 32-bit one (the shipped build), the native composer on X11 and in
# GNOME on Wayland, and the page opened from disk and served over http.
WIN64, WIN32, GTK, GNOME, PAGE, SERVED_PAGE = "win64", "win32", "gtk", "gnome", "page", "served-page"


# How long a case waits for the program to show or do what it expects, in seconds. Only a failing
# case waits this long; Wine emulated on a busy machine takes many seconds to start a program.
PATIENCE = 60

# The texts the user reads, from the one place every front end takes them, as code page 949 bytes:
# each name (a constant, or the macro the resource script takes) and its literal, maybe in pieces.
TEXTS = {name: b"".join(ast.literal_eval("b" + piece) for piece in re.findall(r'"(?:[^"\\]|\\.)*"', literal)).decode("cp949")
         for name, literal in re.findall(r'(\w+)(?:\[\] =| )((?:\s*"(?:[^"\\]|\\.)*")+)',
                                         (Path(__file__).parents[2] / "rules/Texts.h").read_text())}
TITLE, AT_RISK = TEXTS["QUILLET_INITIAL_TITLE"], TEXTS["kAtRiskTemplate"]
WRITE_ERROR, CANNOT_SAVE, UNREADABLE = (TEXTS[name].replace("%s", "msg.dat")
                                        for name in ("kFileErrorTemplate", "kCannotSaveTemplate", "kUnreadableTemplate"))


def cp949(text):  # as Windows' table has it, which gives the bytes 80 and FF characters of their own
    return b"".join({"\x80": b"\x80", "\uf8f7": b"\xff"}.get(c) or c.encode("cp949", "replace") for c in text)


def status(message):  # the caption for a message with LF line breaks
    left = 80 - len(cp949(message))
    return TEXTS["kRemainingTemplate" if left >= 0 else "kOverTemplate"].replace("%d", str(abs(left)))


def marked(message):  # what the text shows marked: the part past byte 80, and each run outside KS X 1001
    sizes = itertools.accumulate(len(cp949(c)) for c in message)
    past = next((i for i, size in enumerate(sizes) if size > 80), len(message))
    risky = "".join("r" if len(cp949(c)) == 2 and min(cp949(c)) < 0xa1 else "." for c in message)
    return message[past:], [message[run.start():run.end()] for run in re.finditer("r+", risky)]


def stored(message):  # msg.dat for it: the editor's CR LF through text mode, CR CR LF
    return cp949(message).replace(b"\n", b"\r\r\n")


def expect(actual, expected, what):
    if actual != expected:
        raise AssertionError(f"{what}: expected {expected!r:.400}, got {actual!r:.400}")


def run(*command, **options):
    return subprocess.run(command, check=True, timeout=PATIENCE, capture_output=True, **options).stdout


def wait_for(probe, done, what=None, patience=PATIENCE):
    # probe() until done(its value), which it returns; past the patience a failure of `what`, or the
    # last value when there is no `what` to fail.
    deadline = time.monotonic() + patience
    while not done(value := probe()) and time.monotonic() < deadline:
        time.sleep(0.05)
    if what and not done(value):
        raise AssertionError(f"{what}: still {value!r:.400} after {patience} s")
    return value
