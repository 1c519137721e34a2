#!/usr/bin/env python3
# End-to-end cases of quillet-gtk on the X display in $DISPLAY: xdotool types real keys (Hangul
# too) and reads the title, xclip the clipboard, and msg.dat is read byte for byte. Each case runs
# in a fresh directory, the program's current one.
#
#     gtk.py PROGRAM WORKDIR list | CASE
import os
import subprocess
import sys
import time
from pathlib import Path

TITLE = "문자쓰기"
GA = "가".encode("cp949")


def status(length):
    return f"{80 - length} 바이트 남음" if length <= 80 else f"{length - 80} 바이트 초과"


def expect(actual, expected, what):
    if actual != expected:
        sys.exit(f"FAILED: {what}: expected {expected!r}, got {actual!r}")


def run(*command, check=True):
    return subprocess.run(command, capture_output=True, timeout=30, check=check)


def clipboard():
    out = run("xclip", "-o", "-selection", "clipboard", check=False)
    return out.stdout.decode() if out.returncode == 0 else None


def set_clipboard(text):
    # xclip goes on serving the selection in the background: its output is not waited for.
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode(), check=True, timeout=10)


class Composer:
    def __init__(self, name, msg_dat=None):
        self.dir = WORKDIR / name
        subprocess.run(["rm", "-rf", str(self.dir)], check=True)
        self.dir.mkdir(parents=True)
        self.msg_dat = self.dir / "msg.dat"
        if msg_dat is not None:
            self.msg_dat.write_bytes(msg_dat)

    def __enter__(self):
        env = dict(os.environ, GDK_BACKEND="x11", GSK_RENDERER="cairo", ASAN_OPTIONS="detect_leaks=0")
        self.process = subprocess.Popen([PROGRAM], cwd=self.dir, env=env, stderr=subprocess.PIPE)
        found = run("xdotool", "search", "--sync", "--onlyvisible", "--pid", str(self.process.pid))
        self.window = found.stdout.split()[0].decode()
        run("xdotool", "windowfocus", "--sync", self.window)
        return self

    def __exit__(self, *exc):
        self.process.kill()
        self.process.wait()

    def title(self):
        return run("xdotool", "getwindowname", self.window).stdout.decode().rstrip("\n")

    def wait_title(self, expected):
        deadline = time.monotonic() + 10
        while (title := self.title()) != expected and time.monotonic() < deadline:
            time.sleep(0.05)
        expect(title, expected, "title")

    def keys(self, *steps):
        """Each step typed as text, or pressed as keys when it starts with "+"."""
        for step in steps:
            keys = step.startswith("+")
            run("xdotool", "key" if keys else "type", "--delay", "40", *(step[1:].split() if keys else [step]))

    def escape(self):
        """Esc, and the program's exit: what it saved."""
        self.keys("+Escape")
        expect(self.process.wait(timeout=15), 0, f"exit status ({self.process.stderr.read().decode()})")
        return self.msg_dat.read_bytes() if self.msg_dat.is_file() else None


CASES = {}


def case(function):
    CASES[function.__name__] = function
    return function


@case
def start_without_message_file():
    set_clipboard("before")
    with Composer("start_without_message_file") as c:
        expect(c.title(), TITLE, "title before any change")
        expect(clipboard(), "before", "clipboard untouched at start")
        c.keys("a")
        c.wait_title(status(1))
        expect(clipboard(), "a", "clipboard after one letter")
        expect(c.escape(), b"a", "msg.dat")


@case
def saved_message_shown_whole_and_selected():
    message = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ" * 3 + b"\r\r\n123456"
    with Composer("saved_message", msg_dat=message) as c:
        expect(c.title(), status(85), "title set at once")
        expect(clipboard(), message.decode().replace("\r\r", ""), "clipboard")
        c.keys("z")  # the first key replaces the selected text
        c.wait_title(status(1))
        expect(clipboard(), "z", "clipboard")


@case
def limits_in_latin_and_hangul():
    with Composer("limits", msg_dat=b"m" * 41 + GA * 19) as c:
        c.keys("+ctrl+End", "a")
        c.wait_title(status(80))
        c.keys("한")
        c.wait_title(status(82))
        expect(clipboard(), "m" * 41 + "가" * 19 + "a한", "clipboard holds the whole message")
        c.keys("+BackSpace BackSpace")
        c.wait_title(status(79))


@case
def line_breaks_counted_copied_and_saved():
    with Composer("line_breaks") as c:
        c.keys("ab", "+Return", "가", "+Return")
        c.wait_title(status(6))
        expect(clipboard(), "ab\n가\n", "clipboard")
        # The bytes the Windows program saves for the same keys.
        expect(c.escape(), b"ab\r\r\n" + GA + b"\r\r\n", "msg.dat")


@case
def windows_message_files_come_back_unchanged():
    # As the Windows program saves them: line breaks CR CR LF, a final one, a lone CR, Hangul, and
    # an empty file, which sets the title and empties the clipboard at once.
    files = [b"ab\r\r\n" + GA + b"\r\r\n", b"x\ry\r\r\n\r\r\n" + GA * 3 + b"\r", b""]
    for number, stored in enumerate(files):
        with Composer(f"windows_file_{number}", msg_dat=stored) as c:
            text = stored.replace(b"\r\r\n", b"\n").replace(b"\r", b"").decode("cp949")
            expect(c.title(), status(len(text.encode("cp949"))), "title")
            expect(clipboard(), text, "clipboard")
            expect(c.escape(), stored, "msg.dat saved again")


@case
def characters_outside_the_code_page_become_question_marks():
    # Bytes that start no character of code page 949 on load; an emoji typed, and one pasted.
    with Composer("outside", msg_dat=b"a\x80b\xff") as c:
        expect(c.title(), status(4), "title")
        c.keys("+ctrl+End", "😀")
        set_clipboard("x🙂y")
        c.keys("+ctrl+v")
        c.wait_title(status(8))
        c.keys("+ctrl+a ctrl+c")
        expect(clipboard(), "a?b??x?y", "the view's own copy of its text")
        expect(c.escape(), b"a?b??x?y", "msg.dat holds what the view shows")


@case
def unopenable_message_file_is_skipped():
    c = Composer("unopenable")
    c.msg_dat.mkdir()
    with c:
        expect(c.title(), TITLE, "title")
        c.keys("lost")
        c.wait_title(status(4))
        expect(c.escape(), None, "msg.dat")
    expect(any(c.msg_dat.iterdir()), False, "msg.dat still an empty directory")


@case
def write_errors_keep_the_message():
    with Composer("write_errors") as c:
        c.keys("keep me")
        c.wait_title(status(7))
        c.msg_dat.symlink_to("/dev/full")
        for attempt in ("first", "second"):
            run("xdotool", "windowfocus", "--sync", c.window, "key", "Escape")
            time.sleep(0.5)
            report = run("xdotool", "search", "--onlyvisible", "--name", "^Quillet$", check=False).stdout.split()
            expect(len(report), 1, f"reports of the {attempt} write error")
            expect(c.title(), status(7), f"title after the {attempt} report")
            run("xdotool", "windowfocus", "--sync", report[0], "key", "Escape")
        c.msg_dat.unlink()
        run("xdotool", "windowfocus", "--sync", c.window)
        expect(c.escape(), b"keep me", "msg.dat")


if __name__ == "__main__":
    PROGRAM, WORKDIR = sys.argv[1], Path(sys.argv[2])
    if sys.argv[3] == "list":
        print(";".join(CASES))
        sys.exit(0)
    CASES[sys.argv[3]]()
    print(f"{sys.argv[3]}: ok")
