#!/usr/bin/env python3
"""End-to-end cases: the real composer on the X display in $DISPLAY, typed into with xdotool.

The cases are written once for every front end: a backend starts the program and reads its caption,
editor, clipboard and message box; keys go through X11 for all of them. The Windows program runs
under Wine and is read by driver.exe, which sees it as Windows does: raw code page 949 bytes.

    e2e.py --exe Quillet.exe --driver driver.exe --work DIR [--cases a,b | --cases win32] [--wine CMD]

--cases takes case names or a tag (win32: the cases the 32-bit build is proven with). --work holds
the Wine prefix and one fresh directory per case, the program's current directory and so its msg.dat.
"""
import argparse
import contextlib
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

TITLE = "문자쓰기"
WRITE_ERROR = '"msg.dat" 파일을 읽거나 쓰지 못했습니다.'


def count(message):
    """Bytes counted for a message with LF line breaks: code page 949, a line break 1."""
    return len(message.encode("cp949"))


def status(message):
    left = 80 - count(message)
    return f"{left} 바이트 남음" if left >= 0 else f"{-left} 바이트 초과"


def stored(message):
    """msg.dat for a message typed with LF line breaks: each editor break stored as CR CR LF."""
    return message.encode("cp949").replace(b"\n", b"\r\r\n")


class Failure(Exception):
    pass


def expect(actual, expected, what):
    if actual != expected:
        raise Failure(f"{what}: expected {expected!r}, got {actual!r}")


class Composer:
    """One run of the program in a fresh directory, typed into through X11. A front end adds how to
    start it and read it: encoding and line_break say how its caption, clipboard and editor hold text."""
    encoding = "utf-8"
    line_break = "\n"

    def __init__(self, work, name):
        self.dir = work / "e2e-runs" / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.msg_dat = self.dir / "msg.dat"
        self.process = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.close()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()

    def enc(self, text):
        return text.encode(self.encoding)

    def shown(self, message):
        """The editor's text for a message with LF line breaks."""
        return self.enc(message.replace("\n", self.line_break))

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], check=True, timeout=60)

    def focus(self, window_search):
        """Gives the X input focus to the mapped window, so that keys typed next reach it."""
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", *window_search],
                               capture_output=True, timeout=30, check=True)
        window = found.stdout.split()[0].decode()
        self.xdotool("windowfocus", "--sync", window, "mousemove", "--window", window, "20", "20")
        # Wine loses the first key that xdotool maps to a spare keycode (every Hangul syllable) in a
        # new process. F35 is mapped the same way but means nothing to the program.
        self.xdotool("key", "F35")
        time.sleep(0.3)

    def type(self, text):
        for run in re.findall(r"[\x00-\x7f]+|[^\x00-\x7f]", text):
            if run.isascii():
                self.xdotool("type", "--delay", "30", run)
                continue
            # xdotool maps each Hangul syllable to a spare keycode just before pressing it, and Wine
            # now and then reads the key before the mapping: that key never arrives. The tool's race,
            # not the program's, so it is typed again; every byte is still checked by the case.
            grown = len(self.text()) + len(self.enc(run))
            for _ in range(3):
                self.xdotool("type", run)
                deadline = time.monotonic() + 2
                while time.monotonic() < deadline and len(self.text()) != grown:
                    time.sleep(0.05)
                if len(self.text()) == grown:
                    break
            else:
                raise Failure(f"{run!r} typed three times and never arrived")

    def key(self, *keys):
        self.xdotool("key", "--delay", "20", *keys)

    def x11_clipboard(self):
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=10).stdout

    def wait_exit(self):
        try:
            return self.process.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end") from None

    def running(self):
        time.sleep(0.5)
        return self.process.poll() is None


class WineComposer(Composer):
    """Quillet.exe under Wine; driver.exe reads it from inside Wine, bytes as hex."""
    encoding = "cp949"
    line_break = "\r\n"

    def __init__(self, options, name):
        super().__init__(options.work, name)
        self.options = options

    @staticmethod
    def prepare(options):
        # Wine's own background processes inherit our output: let them keep nothing open.
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([*options.wine[:-1], options.wine[-1] + "server", "-p", "60"], check=False, **quiet)
        subprocess.run([*options.wine, "wineboot", "-i"], check=True, timeout=300, **quiet)

    def driver(self, *args, background=False):
        command = [*self.options.wine, str(self.options.driver), *map(str, args)]
        if background:
            return subprocess.Popen(command, stdout=subprocess.PIPE)
        run = subprocess.run(command, capture_output=True, timeout=60)
        out = run.stdout.decode("ascii", "replace").split()
        if run.returncode != 0:
            raise Failure(f"driver {' '.join(map(str, args))} failed: {out} {run.stderr[-300:]!r}")
        return [bytes.fromhex(word) if i else word for i, word in enumerate(out + [""] * (len(out) == 1))]

    def start(self):
        self.process = subprocess.Popen([*self.options.wine, str(self.options.exe)], cwd=self.dir,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.driver("find")
        self.focus(["--classname", r"^quillet\.exe$"])

    def caption(self):
        return self.driver("caption")[1]

    def wait_caption(self, text):
        expected = self.enc(text)
        expect(self.driver("wait-caption", expected.hex() or "-")[1], expected, "caption")

    def text(self):
        return self.driver("text")[1]

    def clipboard(self):
        """CF_TEXT as another Windows program reads it; the block holds the text and one zero."""
        out = self.driver("clipboard")
        expect(int(out[0]), len(out[1]) + 1, f"size of the clipboard block holding {out[1]!r}")
        return out[1]

    def set_clipboard(self, text):
        self.driver("set-clipboard", self.enc(text).hex())

    @contextlib.contextmanager
    def busy_clipboard(self):
        """Another program holds the clipboard open for the body; yields whether that can happen."""
        holder = self.driver("hold-clipboard", background=True)
        expect(holder.stdout.readline().strip(), b"held", "driver hold-clipboard")
        try:
            yield True
        finally:
            holder.kill()
            holder.wait()

    def message_box(self, wait=False):
        """The text of the program's message box, which is then dismissed; None without one."""
        out = self.driver("box", 10000 if wait else 0)
        return out[1] if out[0] == "box" else None

    def close(self):
        self.driver("close")


# --- the cases ----------------------------------------------------------------------------------

CASES = {}


def case(*tags):
    def register(function):
        CASES[function.__name__] = (function, set(tags))
        return function
    return register


@case("win32")
def saved_message(c):
    # Over the limit and across a line break: shown whole, counted and copied at once, all selected.
    message = "가나다 ok " * 9 + "\n" + "x" * 8
    c.msg_dat.write_bytes(stored(message))
    c.start()
    c.wait_caption(status(message))
    expect(c.text(), c.shown(message), "editor")
    expect(c.clipboard(), c.enc(message), "clipboard")
    c.type("z")  # replaces the whole text, since it was all selected
    c.wait_caption(status("z"))
    expect(c.clipboard(), c.enc("z"), "clipboard")
    c.close()  # a close request saves as Esc does
    expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.read_bytes(), b"z", "msg.dat")


@case("win32")
def typing_and_escape(c):
    c.set_clipboard("before")
    c.start()
    expect((c.text(), c.caption(), c.clipboard()), (b"", c.enc(TITLE), c.enc("before")), "no msg.dat: at start")
    with c.busy_clipboard() as busy:  # counted all the same, the clipboard left to its holder
        c.type("ab")
        c.wait_caption(status("ab"))
    if busy:
        expect(c.clipboard(), c.enc("before"), "busy clipboard")
    c.key("Return")
    c.type("가 한!")
    c.key("Return")
    message = "ab\n가 한!\n"
    c.wait_caption(status(message))
    expect(c.text(), c.shown(message), "editor")
    expect(c.clipboard(), c.enc(message), "clipboard")
    expect(c.x11_clipboard(), message.encode("utf-8"), "clipboard as X11 programs see it")
    c.key("Escape")
    expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.read_bytes(), stored(message), "msg.dat")


@case("win32")
def write_error_keeps_the_dialog(c):
    c.start()
    c.type("keep me")
    c.wait_caption(status("keep me"))
    c.msg_dat.symlink_to("/dev/full")  # made after start: reading /dev/full never ends
    c.key("Escape")
    box = c.message_box(wait=True) or b""
    expect(box[:len(c.enc(WRITE_ERROR))], c.enc(WRITE_ERROR), "report of the write error")
    expect((c.running(), c.text()), (True, c.enc("keep me")), "dialog after the report")
    c.msg_dat.unlink()
    c.key("Escape")  # tries again
    expect(c.wait_exit(), 0, "exit status")
    expect(c.msg_dat.read_bytes(), b"keep me", "msg.dat")


@case()
def empty_file_then_no_file_can_be_made(c):
    c.msg_dat.write_bytes(b"")
    c.set_clipboard("before")
    c.start()
    c.wait_caption(status(""))  # an empty message, counted and copied at once
    expect(c.clipboard(), b"", "clipboard")
    c.msg_dat.unlink()
    c.msg_dat.mkdir()
    c.type("lost")
    c.wait_caption(status("lost"))
    c.key("Escape")  # nothing to save into: the dialog closes without a report
    expect(c.wait_exit(), 0, "exit status")
    expect(list(c.msg_dat.iterdir()), [], "msg.dat, a directory, untouched")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", type=Path, required=True)
    parser.add_argument("--driver", type=Path, required=True)
    parser.add_argument("--work", type=Path, required=True)
    parser.add_argument("--wine", default="wine", type=str.split, help="the command that runs a Windows program")
    parser.add_argument("--cases", default="", help="names or tags, comma-separated; all cases if none")
    options = parser.parse_args()
    options.exe, options.driver, options.work = (p.resolve() for p in (options.exe, options.driver, options.work))
    wanted = set(filter(None, options.cases.split(",")))
    unknown = wanted - set(CASES) - set().union(*(tags for _, tags in CASES.values()))
    if unknown or not os.environ.get("DISPLAY"):
        parser.error(f"unknown cases {sorted(unknown)}" if unknown else "no X display: run under xvfb-run")
    os.environ.update(WINEPREFIX=str(options.work / "wineprefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                      LANG="ko_KR.UTF-8", LC_ALL="ko_KR.UTF-8")
    WineComposer.prepare(options)
    failed = []
    for name, (run, tags) in CASES.items():
        if wanted and name not in wanted and not wanted & tags:
            continue
        try:
            with WineComposer(options, name) as composer:
                run(composer)
            print(f"{name}: ok", flush=True)
        except (Failure, subprocess.SubprocessError) as failure:
            print(f"{name}: FAILED: {failure}", flush=True)
            failed.append(name)
    subprocess.run([*options.wine[:-1], options.wine[-1] + "server", "-k"], check=False)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
