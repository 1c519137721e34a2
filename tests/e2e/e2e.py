#!/usr/bin/env python3
"""End-to-end cases: the real Quillet.exe under Wine on the X display in $DISPLAY.

driver.exe (inside Wine) reads the caption, the editor and the clipboard as raw code page 949
bytes; xdotool types real keys and xclip reads the X11 side of the clipboard. Every case runs in a
fresh directory, which is the program's current directory and so holds its msg.dat.

    e2e.py --build DIR setup | teardown | list | CASE
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

TITLE = "문자쓰기".encode("cp949")
HELP_COMMAND = 0xE146
IDOK = 1


def status(length):
    """The caption for a normalised message of `length` bytes."""
    if length <= 80:
        return f"{80 - length} 바이트 남음".encode("cp949")
    return f"{length - 80} 바이트 초과".encode("cp949")


class Failure(Exception):
    pass


def expect(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


class Wine:
    def __init__(self, build):
        self.build = Path(build).resolve()
        self.exe = self.build / "Quillet.exe"
        self.driver_exe = self.build / "driver.exe"
        self.env = dict(os.environ, WINEPREFIX=str(self.build / "wineprefix"), WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LANG="ko_KR.UTF-8", LC_ALL="ko_KR.UTF-8")
        if not self.env.get("DISPLAY"):
            raise Failure("no X display: run under xvfb-run, as tools/test does")

    def driver(self, *args, cwd=None, check=True):
        run = subprocess.run(["wine", str(self.driver_exe), *map(str, args)], env=self.env, cwd=cwd,
                             capture_output=True, timeout=300)
        out = run.stdout.decode("ascii", "replace").strip()
        if check and run.returncode != 0:
            raise Failure(f"driver {' '.join(map(str, args))} failed ({run.returncode}): {out} "
                          f"{run.stderr.decode('utf-8', 'replace').strip()}")
        return out

    def driver_in_background(self, *args, ready):
        """Starts a driver command that runs on; returns once it says `ready`."""
        process = subprocess.Popen(["wine", str(self.driver_exe), *map(str, args)], env=self.env,
                                   stdout=subprocess.PIPE)
        expect(process.stdout.readline().strip(), ready, f"driver {args[0]}")
        return process

    def driver_ok(self, *args):
        return subprocess.run(["wine", str(self.driver_exe), *map(str, args)], env=self.env, capture_output=True,
                              timeout=60).returncode == 0

    def driver_bytes(self, *args, check=True):
        out = self.driver(*args, check=check)
        return None if out == "none" else bytes.fromhex(out.split()[-1] if out else "")


class Composer:
    """One run of Quillet.exe in its own fresh directory."""

    def __init__(self, wine, name, msg_dat=None, args=(), start_timeout_ms=15000):
        self.wine = wine
        self.dir = wine.build / "e2e-runs" / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.msg_dat = self.dir / "msg.dat"
        if msg_dat is not None:
            self.msg_dat.write_bytes(msg_dat)
        self.args = args
        self.start_timeout_ms = start_timeout_ms
        self.process = None

    def start(self):
        if not self.wine.driver_ok("wait-gone", 10000):
            raise Failure("a composer from an earlier run is still open")
        self.process = subprocess.Popen(["wine", str(self.wine.exe), *self.args], cwd=self.dir, env=self.wine.env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wine.driver("find", self.start_timeout_ms)
        # Keys go to the X window with the input focus: give it to the composer once it is mapped.
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--classname", r"^quillet\.exe$"],
                               capture_output=True, env=self.wine.env, timeout=30, check=True)
        window = found.stdout.split()[0].decode()
        subprocess.run(["xdotool", "windowfocus", "--sync", window, "mousemove", "--window", window, "20", "20"],
                       env=self.wine.env, timeout=30, check=True)
        # Wine loses the first key that xdotool has to map to a spare keycode (every Hangul syllable)
        # in a new process. F35 is mapped the same way but means nothing to the dialog.
        subprocess.run(["xdotool", "key", "F35"], env=self.wine.env, timeout=30, check=True)
        time.sleep(0.3)
        return self

    def __enter__(self):
        return self if self.process else self.start()

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.wine.driver("close", check=False)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
        return False

    # What Windows shows
    def caption(self):
        return self.wine.driver_bytes("caption")

    def wait_caption(self, expected, timeout_ms=10000):
        actual = self.wine.driver_bytes("wait-caption", expected.hex(), timeout_ms, check=False)
        expect(actual, expected, "caption")

    def text(self):
        return self.wine.driver_bytes("text")

    def clipboard(self):
        return self.wine.driver_bytes("clipboard")

    def selection(self):
        return tuple(int(n) for n in self.wine.driver("selection").split())

    def message_box(self, wait=False):
        out = self.wine.driver("wait-box" if wait else "box", check=False)
        if out in ("", "none"):
            return None
        caption, text = (out.split() + [""])[:2]
        return bytes.fromhex(caption), bytes.fromhex(text)

    # What the user does
    def type(self, text):
        for run in re.findall(r"[\x00-\x7f]+|[^\x00-\x7f]", text):
            if run.isascii():
                self._xdotool_type(run)
            else:
                self._type_mapped(run)

    def _xdotool_type(self, text):
        subprocess.run(["xdotool", "type", "--delay", "30", text], check=True, env=self.wine.env)

    def _type_mapped(self, char):
        # xdotool maps each Hangul syllable to a spare keycode just before pressing it, and Wine now
        # and then reads the key before the new mapping: that key never arrives. Such a lost key is
        # the tool's race, not the program's, so it is typed again; a wrong byte would still fail.
        before = len(self.text())
        grown = before + len(char.encode("cp949"))
        for _ in range(3):
            self._xdotool_type(char)
            deadline = time.monotonic() + 2
            while time.monotonic() < deadline:
                if len(self.text()) == grown:
                    return
                time.sleep(0.05)
        raise Failure(f"{char!r} typed three times and never arrived")

    def key(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "20", *keys], check=True, env=self.wine.env)

    def command(self, command_id):
        self.wine.driver("command", command_id)

    def close(self):
        self.wine.driver("close")

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the process did not end") from None

    def still_running(self):
        time.sleep(0.5)
        return self.process.poll() is None and self.wine.driver_ok("responsive")


CASES = {}


def case(function):
    CASES[function.__name__] = function
    return function


def set_clipboard(wine, data):
    wine.driver("set-clipboard", data.hex())


# --- start-up ---------------------------------------------------------------------------------

@case
def no_message_file(wine):
    set_clipboard(wine, b"before")
    with Composer(wine, "no_message_file") as c:
        expect(c.text(), b"", "editor")
        expect(c.caption(), TITLE, "caption before any change")
        expect(c.clipboard(), b"before", "clipboard untouched at start")
        c.type("a")
        c.wait_caption(status(1))
        expect(c.clipboard(), b"a", "clipboard after one letter")


@case
def saved_message_shown_whole_and_selected(wine):
    message = bytes(range(0x41, 0x41 + 26)) * 3 + b"1234567"  # 85 bytes, no line break
    with Composer(wine, "saved_message", msg_dat=message) as c:
        c.wait_caption(status(85))
        expect(c.text(), message, "editor")
        expect(c.selection(), (0, 85), "selection")
        expect(c.clipboard(), message, "clipboard")
        c.type("z")  # the first key replaces the selected text
        c.wait_caption(status(1))
        expect(c.clipboard(), b"z", "clipboard")


@case
def empty_message_file(wine):
    set_clipboard(wine, b"before")
    with Composer(wine, "empty_message_file", msg_dat=b"") as c:
        c.wait_caption(status(0))
        expect(c.clipboard(), b"", "clipboard")


@case
def icons_and_help(wine):
    with Composer(wine, "icons_and_help") as c:
        expect(wine.driver("icons"), "1 1 1", "big icon set, small the same, drag icon the same")
        c.command(HELP_COMMAND)
        expect(c.still_running(), True, "running after the help command")
        expect(c.message_box(), None, "help shows nothing")
        expect(c.caption(), TITLE, "caption")


@case
def command_line_changes_nothing(wine):
    with Composer(wine, "command_line", msg_dat=b"abc", args=("x", "/s", "other.dat")) as c:
        c.wait_caption(status(3))
        expect(c.text(), b"abc", "editor")
        c.key("Escape")
        expect(c.wait_exit(), 0, "exit status")
    expect(sorted(p.name for p in c.dir.iterdir()), ["msg.dat"], "files")


# --- typing -----------------------------------------------------------------------------------

@case
def enter_counts_one_byte(wine):
    with Composer(wine, "enter") as c:
        c.type("ab")
        c.key("Return")
        c.type("cd")
        c.wait_caption(status(5))
        expect(c.text(), b"ab\r\ncd", "editor")
        expect(c.clipboard(), b"ab\ncd", "clipboard")


@case
def latin_limit(wine):
    with Composer(wine, "latin_limit", msg_dat=b"m" * 79) as c:
        c.wait_caption(status(79))
        c.key("ctrl+End")
        c.type("a")
        c.wait_caption(status(80))
        c.type("b")
        c.wait_caption(status(81))
        expect(c.clipboard(), b"m" * 79 + b"ab", "clipboard holds the whole message")
        c.key("BackSpace")
        c.wait_caption(status(80))


@case
def hangul_limit(wine):
    with Composer(wine, "hangul_limit", msg_dat="가" .encode("cp949") * 39) as c:
        c.wait_caption(status(78))
        c.key("ctrl+End")
        c.type("한")
        c.wait_caption(status(80))
        c.type("글")
        c.wait_caption(status(82))
        expect(c.clipboard(), ("가" * 39 + "한글").encode("cp949"), "clipboard")


@case
def hangul_reaches_x11_as_utf8(wine):
    with Composer(wine, "hangul_x11") as c:
        c.type("문자 ok")
        c.wait_caption(status(7))
        expect(c.clipboard(), "문자 ok".encode("cp949"), "clipboard as CF_TEXT")
        x11 = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, env=wine.env,
                             timeout=10).stdout
        expect(x11, "문자 ok".encode("utf-8"), "X11 clipboard")


@case
def deleting_everything(wine):
    with Composer(wine, "deleting", msg_dat=b"abc\r\r\ndef") as c:
        c.wait_caption(status(7))
        c.key("Delete")  # the whole text is selected at start
        c.wait_caption(status(0))
        expect(c.text(), b"", "editor")
        expect(c.clipboard(), b"", "clipboard")


@case
def ok_command_keeps_the_window(wine):
    with Composer(wine, "ok_command") as c:
        c.type("hi")
        c.wait_caption(status(2))
        set_clipboard(wine, b"elsewhere")
        c.command(IDOK)
        expect(c.still_running(), True, "running after OK")
        expect(c.clipboard(), b"hi", "OK runs the update again")


# --- saving -----------------------------------------------------------------------------------

@case
def escape_saves_exact_bytes(wine):
    with Composer(wine, "escape_saves") as c:
        c.type("ab")
        c.key("Return")
        c.type("가")
        c.wait_caption(status(5))
        c.key("Escape")
        expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.read_bytes(), b"ab\r\r\n" + "가".encode("cp949"), "msg.dat")


@case
def close_request_saves(wine):
    with Composer(wine, "close_saves", msg_dat=b"old") as c:
        c.type("new")
        c.wait_caption(status(3))
        c.close()
        expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.read_bytes(), b"new", "msg.dat")


@case
def trailing_line_break_round_trip(wine):
    with Composer(wine, "trailing_break_1") as c:
        c.type("ab")
        c.key("Return")
        c.wait_caption(status(3))
        c.key("Escape")
        c.wait_exit()
    stored = c.msg_dat.read_bytes()
    expect(stored, b"ab\r\r\n", "msg.dat")
    with Composer(wine, "trailing_break_2", msg_dat=stored) as again:
        again.wait_caption(status(3))
        expect(again.text(), b"ab\r\n", "editor after reloading")
        again.key("Escape")
        again.wait_exit()
    expect(again.msg_dat.read_bytes(), stored, "msg.dat saved again")


@case
def unwritable_message_file(wine):
    c = Composer(wine, "unwritable")
    c.msg_dat.mkdir()
    with c.start():
        c.type("lost")
        c.wait_caption(status(4))
        c.key("Escape")
        expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.is_dir() and not any(c.msg_dat.iterdir()), True, "msg.dat still an empty directory")


@case
def write_errors_keep_the_message(wine):
    with Composer(wine, "write_errors") as c:
        c.type("keep me")
        c.wait_caption(status(7))
        c.msg_dat.symlink_to("/dev/full")  # made after start: reading /dev/full never ends
        for attempt in ("first", "second"):
            c.key("Escape")
            box = c.message_box(wait=True)
            if box is None:
                raise Failure(f"no report of the {attempt} write error")
            expect(b"msg.dat" in box[1], True, f"the report names the file: {box[1].decode('cp949', 'replace')}")
            expect(c.still_running(), True, f"dialog open after the {attempt} report")
            expect(c.text(), b"keep me", f"editor after the {attempt} report")
        c.msg_dat.unlink()
        c.key("Escape")
        expect(c.wait_exit(), 0, "exit status")
        expect(c.message_box(), None, "no report once the save succeeded")
    expect(c.msg_dat.read_bytes(), b"keep me", "msg.dat")


@case
def unreadable_after_start(wine):
    with Composer(wine, "unreadable_after_start") as c:
        c.type("kept")
        c.wait_caption(status(4))
        c.msg_dat.mkdir()
        c.key("Escape")
        expect(c.wait_exit(), 0, "exit status: ends without a report")
    expect(c.msg_dat.is_dir() and not any(c.msg_dat.iterdir()), True, "msg.dat still an empty directory")
    expect(wine.driver_bytes("clipboard"), b"kept", "the message is still on the clipboard")


# --- large and strange message files -------------------------------------------------------------

def huge_lines():
    """About 8 MiB of short lines as the editor saves them (CR CR LF), ending in a line break."""
    stored = b"".join(b"line %07d \xb0\xa1\r\r\n" % i for i in range(8 * 1024 * 1024 // 18))
    message = stored.replace(b"\r\r\n", b"\r\n")
    return stored, message


@case
def huge_message_file(wine):
    stored, message = huge_lines()
    with Composer(wine, "huge_message_file", msg_dat=stored, start_timeout_ms=150000) as c:
        c.wait_caption(status(len(message.replace(b"\r", b""))), timeout_ms=150000)
        expect(c.text() == message, True, "the editor holds the whole message")
        c.key("Escape")
        expect(c.wait_exit(timeout=120), 0, "exit status")
    expect(c.msg_dat.read_bytes() == stored, True, "msg.dat saved back unchanged")


@case
def long_single_line(wine):
    # Wine's edit control wraps one paragraph in time that grows with the square of its length
    # (16 KiB: seconds, 64 KiB: minutes): the one long line is kept to 16 KiB.
    stored = bytes(range(0x21, 0x7F)) * 174 + b"end"
    with Composer(wine, "long_single_line", msg_dat=stored) as c:
        c.wait_caption(status(len(stored)), timeout_ms=60000)
        c.key("ctrl+End")
        c.type("!")
        c.wait_caption(status(len(stored) + 1))
        c.key("Escape")
        expect(c.wait_exit(timeout=60), 0, "exit status")
    expect(c.msg_dat.read_bytes(), stored + b"!", "msg.dat")


@case
def bytes_outside_the_code_page(wine):
    # Lead bytes without a valid trail, a lone 0x80 and 0xFF, a user-defined area pair: what the
    # editor makes of them is Windows' business, but the count must be that of what it holds.
    stored = b"a\x80b\xff\xfe\xc9\x41c\xa2\xe8\x81\r\r\nd\xb0"
    with Composer(wine, "outside_code_page", msg_dat=stored) as c:
        held = c.text()
        c.wait_caption(status(len(held.replace(b"\r", b""))))
        expect(c.clipboard(), held.replace(b"\r", b""), "clipboard")
        c.key("ctrl+End")
        c.type("z")
        c.wait_caption(status(len(held.replace(b"\r", b"")) + 1))
        c.key("Escape")
        expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.read_bytes(), (held + b"z").replace(b"\n", b"\r\n"), "msg.dat holds what the editor held")


# --- the clipboard ------------------------------------------------------------------------------

@case
def busy_clipboard_is_skipped(wine):
    with Composer(wine, "busy_clipboard") as c:
        set_clipboard(wine, b"other")
        holder = wine.driver_in_background("hold-clipboard", 4000, ready=b"held")
        c.type("x")
        c.wait_caption(status(1))
        holder.wait(timeout=20)
        expect(c.clipboard(), b"other", "clipboard kept while busy")
        c.type("y")
        c.wait_caption(status(2))
        expect(c.clipboard(), b"xy", "clipboard once free")


@case
def rapid_changes_while_the_clipboard_churns(wine):
    with Composer(wine, "rapid_changes") as c:
        churner = wine.driver_in_background("churn-clipboard", 60000, ready=b"churning")
        watcher = wine.driver_in_background("watch-caption", 60000, ready=b"watching")
        try:
            subprocess.run(["xdotool", "type", "--delay", "2", "a" * 999], check=True, env=wine.env)
            c.wait_caption(status(999), timeout_ms=60000)
            expect(c.still_running(), True, "responsive after 999 changes")
        finally:
            churner.kill()
            watcher.kill()
        captions = [bytes.fromhex(line.decode().strip()) for line in watcher.stdout.read().splitlines()]
        counts = {status(n): n for n in range(1000)}
        expect([caption for caption in captions if caption != TITLE and caption not in counts], [],
               "captions that are no count")
        seen = [counts[caption] for caption in captions if caption in counts]
        expect(len(seen) > 1 and seen == sorted(seen), True, f"the count only grows: {seen[:5]}...")
        c.type("b")  # the clipboard is free again: the last change reaches it
        c.wait_caption(status(1000))
        expect(c.clipboard(), b"a" * 999 + b"b", "clipboard holds the last text")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("what")
    options = parser.parse_args()
    if options.what == "list":
        print(";".join(CASES))
        return 0
    try:
        wine = Wine(options.build)
        if options.what == "setup":
            # Wine's own background processes inherit our output: let them keep nothing open.
            quiet = dict(env=wine.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-p", "60"], check=False, **quiet)  # may already run
            subprocess.run(["wineboot", "-i"], check=True, timeout=300, **quiet)
            return 0
        if options.what == "teardown":
            subprocess.run(["wineserver", "-k"], env=wine.env, check=False)
            return 0
        CASES[options.what](wine)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    print(f"{options.what}: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
