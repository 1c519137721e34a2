#!/usr/bin/env python3
# End-to-end cases: the real composer on the X display in $DISPLAY, typed into with xdotool.
#
# The cases are written once for every front end: a backend starts the program and reads its
# caption, editor, clipboard and message box; keys go through X11 for all of them. The Windows
# program runs under Wine, in the Korean locale unless --locale names another (whose ANSI code page
# Wine then takes), and is read by driver.exe, which sees it as Windows does: its windows' Unicode
# text, and the clipboard's formats as another program reads them. The native composer (--gtk) is
# read through X11 alone, and gets Hangul as a
# Korean user types it: through IBus and its Hangul engine, on a D-Bus session bus of its own
# (dbus-run-session), which --gtk starts by itself.
#
#   e2e.py --exe Quillet.exe --driver driver.exe --work DIR [--cases NAME,TAG,...] [--wine CMD] [--locale L]
#   e2e.py --gtk --exe quillet-gtk --work DIR [--cases NAME,TAG,...]
#   e2e.py --web {file,http} --exe index.html --work DIR [--cases NAME,TAG,...]
#
# --cases takes case names or tags (win32: the cases the 32-bit build is proven with; gtk: those
# of the native composer only; web: those the page runs; page: those of the page only); without
# it, all cases of the front end. --work holds the Wine prefix and one fresh directory per case,
# which is the program's current directory and so holds its msg.dat. --wine is the command that
# runs a Windows program. The page (--web) runs in headless Chromium, opened from disk or from an
# http server on localhost, and needs no display.
import argparse
import ast
import contextlib
import ctypes
import inspect
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

# How long a case waits for the program to show or do what it expects, in seconds. Only a failing
# case waits this long; Wine emulated on a busy machine takes many seconds to start a program.
PATIENCE = 60

# The texts the user reads, from the one place every front end takes them, as code page 949 bytes:
# each name (a constant, or the macro the resource script takes) and its literal, maybe in pieces.
TEXTS = {name: b"".join(ast.literal_eval("b" + piece) for piece in re.findall(r'"(?:[^"\\]|\\.)*"', literal)).decode("cp949")
         for name, literal in re.findall(r'(\w+)(?:\[\] =| )((?:\s*"(?:[^"\\]|\\.)*")+)',
                                         (Path(__file__).parents[2] / "rules/Texts.h").read_text())}
TITLE = TEXTS["QUILLET_INITIAL_TITLE"]
WRITE_ERROR, CANNOT_SAVE, UNREADABLE = (TEXTS[name].replace("%s", "msg.dat")
                                        for name in ("kFileErrorTemplate", "kCannotSaveTemplate", "kUnreadableTemplate"))


# The standard Korean (dubeolsik) layout: the keys of each initial, medial and final jamo in the order
# of Unicode's syllables.
INITIALS = "r R s e E f a q Q t T d w W c z x v g".split()
MEDIALS = "k o i O j p u P h hk ho hl y n nj np nl b m ml l".split()
FINALS = ["", *"r R rt s sw sg e f fr fa fq ft fx fv fg a q qt t T d w c z x v g".split()]


def dubeolsik(syllable):
    index = ord(syllable) - 0xAC00
    return INITIALS[index // 588] + MEDIALS[index // 28 % 21] + FINALS[index % 28]


def cp949(text):  # as Windows' table has it, which gives the bytes 80 and FF characters of their own
    return b"".join({"\x80": b"\x80", "\uf8f7": b"\xff"}.get(c) or c.encode("cp949", "replace") for c in text)


def status(message):  # the caption for a message with LF line breaks
    left = 80 - len(cp949(message))
    return TEXTS["kRemainingTemplate" if left >= 0 else "kOverTemplate"].replace("%d", str(abs(left)))


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


x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)


# A program reads the X keyboard map when it starts and again whenever the map changes. For a
# character missing from the map, xdotool binds a spare keycode just before pressing it and restores
# the map right after: a program that reads the key before it has taken in the new map (Wine under
# emulation is slow to) sees a key that means nothing. So every character beyond ASCII that the cases
# type gets a keycode of its own before any program starts, and the map stays as it is. Only those:
# Wine gives such keys virtual key codes from a small pool (eight here), past which a key types nothing.
class Keyboard:
    def __init__(self, cases):
        self.characters = {c for case in cases for call in ast.walk(ast.parse(inspect.getsource(case)))
                           if isinstance(call, ast.Call) and getattr(call.func, "attr", None) == "type"
                           for node in ast.walk(call) if isinstance(getattr(node, "value", None), str)
                           for c in node.value if c > "\x7f"}
        # Held open until the harness ends: an X server whose last client leaves resets its map.
        self.display = ctypes.c_void_p(x11.XOpenDisplay(None))
        low, high, width = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        x11.XDisplayKeycodes(self.display, ctypes.byref(low), ctypes.byref(high))
        syms = x11.XGetKeyboardMapping(self.display, low.value, high.value - low.value + 1, ctypes.byref(width))
        rows = [syms[i * width.value:(i + 1) * width.value] for i in range(high.value - low.value + 1)]
        x11.XFree(syms)
        spare = iter(low.value + i for i, row in enumerate(rows) if not any(row))
        # Keysyms: Latin 1 by its code, the rest of Unicode above 0x1000000.
        for sym in {ord(c) if ord(c) < 0x100 else 0x1000000 + ord(c) for c in self.characters}.difference(*rows):
            x11.XChangeKeyboardMapping(self.display, next(spare), 1, (ctypes.c_ulong * 1)(sym), 1)
        x11.XSync(self.display, 0)


# One run of a program in a fresh directory, typed into through X11. A front end adds how to start
# and read it, as UTF-8; `line_break` says how its editor holds a line break. `lacking` is how it
# holds what code page 949 lacks: the bytes 80 and FF loaded, and an emoji typed or pasted.
class Composer:
    line_break = "\n"
    lacking = "?", "?", "?"

    def __init__(self, options, name):
        self.options = options
        self.dir = options.work / "e2e-runs" / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.msg_dat = self.dir / "msg.dat"
        self.process = None

    def stop(self):
        if self.process and self.process.poll() is None:
            with contextlib.suppress(Exception):
                self.close()
                self.process.wait(timeout=10)
            self.process.kill()

    @staticmethod
    def enc(text):
        return text.encode()

    def shown(self, message):  # the editor's text for a message with LF line breaks
        return self.enc(message.replace("\n", self.line_break))

    def focus(self, *window_search):  # returns the window found
        window = run("xdotool", "search", "--sync", "--onlyvisible", *window_search).split()[0]
        run("xdotool", "windowfocus", "--sync", window, "mousemove", "--window", window, "20", "20")
        return window

    def type(self, text):
        expect({c for c in text if c > "\x7f"} - self.options.keyboard.characters, set(), "keys off the map")
        self.key_in(text)

    def key_in(self, text):
        run("xdotool", "type", "--delay", "30", text)

    def key(self, *keys):
        run("xdotool", "key", "--delay", "20", *keys)

    def x11_clipboard(self):
        return run("xclip", "-o", "-selection", "clipboard")

    @contextlib.contextmanager
    def busy_clipboard(self):  # another program holds it open; yields whether that can happen here
        yield False

    def wait_exit(self):
        return self.process.wait(timeout=PATIENCE)

    def files(self):  # what the program's directory holds: msg.dat, never a file left half-written
        return sorted(path.name for path in self.dir.iterdir())

    def box_starts(self, text, button=None):  # the box shown next begins with `text`; `button` answers it
        box = self.message_box(button) or b""
        expect(box[:len(self.enc(text))], self.enc(text), "message box")

    @contextlib.contextmanager
    def small_disk(self, size):  # the program's directory on a file system of `size` bytes of its own
        run("mount", "-t", "tmpfs", "-o", f"size={size}", "quillet-e2e", str(self.dir))
        try:
            yield
        finally:
            self.stop()
            run("umount", "--lazy", str(self.dir))

    def running(self):  # after a round trip through its window: once it has acted on what came before
        self.text()
        return self.process.poll() is None


# Quillet.exe under Wine, read from inside Wine by driver.exe: a word, then bytes as hex. Windows'
# own table gives the bytes 80 and FF characters of their own, and an emoji's two UTF-16 halves
# are a "?" each.
class WineComposer(Composer):
    line_break = "\r\n"
    lacking = "\x80", "\uf8f7", "??"

    @staticmethod
    def prepare(options):
        os.environ.update(WINEPREFIX=str(options.work / "wineprefix"), WINEDEBUG="-all",
                          WINEDLLOVERRIDES="mscoree,mshtml=", LANG=options.locale, LC_ALL=options.locale)
        # Wine's own background processes inherit our output: let them keep nothing open.
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([*options.wine[:-1], options.wine[-1] + "server", "-p", "60"], **quiet)  # may run already
        subprocess.run([*options.wine, "wineboot", "-i"], check=True, timeout=300, **quiet)
        # The desktop process too, and a program that keeps it to the end: Wine ends the desktop a
        # moment after its last program, and starting it again for the next one is slow emulated.
        desktop = subprocess.Popen([*options.wine, str(options.driver), "hold-desktop"], stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL)
        expect(desktop.stdout.readline().strip(), b"held", "driver hold-desktop")
        code_page = subprocess.run([*options.wine, str(options.driver), "code-page"], capture_output=True).stdout
        print(f"Wine in {options.locale}: ANSI code page {code_page.split()[0].decode()}", flush=True)

    @staticmethod
    def finish(options):
        subprocess.run([*options.wine[:-1], options.wine[-1] + "server", "-k"])

    def driver(self, *args, background=False):
        command = [*self.options.wine, str(self.options.driver), *map(str, args)]
        if background:
            return subprocess.Popen(command, stdout=subprocess.PIPE)
        # The driver waits up to as long itself, after Wine has started it.
        out = subprocess.run(command, capture_output=True, timeout=3 * PATIENCE)
        words = out.stdout.decode("ascii", "replace").split() + ["", ""]
        if out.returncode != 0:
            raise AssertionError(f"driver {' '.join(command[-len(args):])} failed: {out.stdout + out.stderr[-300:]!r}")
        return words[0], bytes.fromhex(words[1])

    def start(self):
        # Emulated, Wine now and then loads no display driver, says so and ends the program at once;
        # such a start, and only such a start, is made again.
        for attempt in range(3):
            with tempfile.TemporaryFile() as err:
                self.process = subprocess.Popen([*self.options.wine, str(self.options.exe)], cwd=self.dir,
                                                env=dict(os.environ, WINEDEBUG="-all,err+winediag"),
                                                stdout=subprocess.DEVNULL, stderr=err)
                try:
                    found = self.driver("find")[0]
                    break
                except AssertionError:
                    err.seek(0)
                    if attempt == 2 or self.process.poll() is None or b"no driver could be loaded" not in err.read():
                        raise
                    print(f"{self.dir.name}: Wine loaded no display driver, starting again", flush=True)
        expect(found, "found", "composer window with its icons")
        self.focus("--classname", r"^quillet\.exe$")

    def wait_caption(self, text):
        expect(self.driver("wait-caption", self.enc(text).hex() or "-")[1], self.enc(text), "caption")

    def text(self):
        return self.driver("text")[1]

    def clipboard(self):
        # As another program reads it: CF_UNICODETEXT, with CF_LOCALE Korean, and CF_TEXT, the same
        # text in code page 949. Each block holds its text and a zero.
        size, text = self.driver("clipboard")
        sizes, unicode = self.driver("unicode-clipboard")
        expect((int(size), sizes, text), (len(text) + 1, f"{len(unicode.decode().encode('utf-16-le')) + 2}/412",
                                          cp949(unicode.decode())), f"CF_TEXT and CF_LOCALE beside {unicode!r}")
        return unicode

    def set_clipboard(self, text):
        self.driver("set-clipboard", self.enc(text).hex())

    @contextlib.contextmanager
    def busy_clipboard(self):  # another program holds it open; yields whether that can happen
        holder = self.driver("hold-clipboard", background=True)
        try:
            expect(holder.stdout.readline().strip(), b"held", "driver hold-clipboard")
            yield True
        finally:
            holder.kill()
            holder.wait()

    def message_box(self, button=None):  # the text of the box it shows, None without one
        word, text = self.driver("box", PATIENCE * 1000, self.BUTTONS[button])  # answered with `button`, else OK
        return text if word == "box" else None

    BUTTONS = {None: 1, "cancel": 2, "retry": 4, "yes": 6, "no": 7}  # IDOK, IDCANCEL...

    def close(self):
        self.driver("close")

    def session_ends(self):  # the ways the session can end under it: Wine's logoff
        return [lambda: subprocess.run([*self.options.wine, "wineboot", "--end-session", "--force"], check=True,
                                       timeout=60, capture_output=True)]

# quillet-gtk, read from outside through X11: its title, the clipboard, and the view's text through
# the PRIMARY selection, which holds whatever the view has selected.
class GtkComposer(Composer):
    @staticmethod
    def prepare(options):
        os.environ.update(GDK_BACKEND="x11", GSK_RENDERER="cairo", ASAN_OPTIONS="detect_leaks=0")
        # IBus with the Hangul engine's own defaults (dubeolsik, the Hangul key switching), keeping
        # its files under --work.
        ibus = options.work / "ibus"
        os.environ.update(GTK_IM_MODULE="ibus", GSETTINGS_BACKEND="memory", XDG_CONFIG_HOME=str(ibus / "config"),
                          XDG_CACHE_HOME=str(ibus / "cache"))
        run("ibus-daemon", "--daemonize", "--replace", "--panel=disable", "--emoji-extension=disable")
        wait_for(lambda: subprocess.run(["ibus", "engine", "hangul"], capture_output=True).returncode, lambda code: code == 0,
                 "IBus with its Hangul engine, exit status")

    @staticmethod
    def finish(options):
        subprocess.run(["ibus", "exit"], capture_output=True)

    def start(self):
        # IBus keeps one engine for all programs: a new one, in Latin mode, for each.
        run("ibus", "engine", "xkb:us::eng")
        run("ibus", "engine", "hangul")
        others = self.input_context()
        self.process = subprocess.Popen([str(self.options.exe)], cwd=self.dir)
        self.window = self.focus("--pid", str(self.process.pid))
        # Keys reach the engine once the program's own input context has the focus.
        wait_for(self.input_context, lambda focused: focused != others, "the focused input context")
        self.hangul = False
        expect(b"Icon (48 x 48)" in run("xprop", "-id", self.window, "_NET_WM_ICON"), True, "window with its icon")

    def wait_caption(self, text):
        wait_for(lambda: run("xdotool", "getwindowname", self.window).decode()[:-1], text.__eq__, f"title, not {text!r}")

    @staticmethod
    def input_context():  # the one IBus sends its text to
        return run("gdbus", "call", "--address", run("ibus", "address").decode().strip(), "--dest",
                   "org.freedesktop.IBus", "--object-path", "/org/freedesktop/IBus", "--method",
                   "org.freedesktop.DBus.Properties.Get", "org.freedesktop.IBus", "CurrentInputContext")

    def type(self, text):  # Hangul spelt on the Korean layout, in the engine's Hangul mode
        for keys in re.findall(r"[가-힣]+|[^가-힣]+", text):
            hangul = "가" <= keys[0] <= "힣"
            if hangul != self.hangul:
                self.key("Hangul")
                self.hangul = hangul
            self.key_in("".join(map(dubeolsik, keys)) if hangul else keys)

    def text(self):
        # A selection the program made (all of a loaded message) is read as it stands. Otherwise
        # all is selected, read, and the cursor put back at the end, where the cases type on.
        selected = self.primary()
        if selected is None:
            self.key("ctrl+a")  # an empty view selects nothing: it costs the whole wait
            selected = wait_for(self.primary, lambda primary: primary is not None, patience=5)
            self.key("ctrl+End")
        return selected or b""

    def primary(self):
        out = subprocess.run(["xclip", "-o", "-selection", "primary"], capture_output=True, timeout=10)
        return out.stdout if out.returncode == 0 else None

    clipboard = Composer.x11_clipboard

    def set_clipboard(self, text):  # xclip serves it on in the background: not waited for
        subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=self.enc(text), check=True, timeout=10)

    def message_box(self, button=None):  # the report's title is its text; answered with `button`, else Esc
        windows = wait_for(self.visible, lambda windows: len(windows) > 1)
        if len(windows) < 2:
            return None
        report = next(window for window in windows if window != self.window)
        title = run("xdotool", "getwindowname", report)[:-1]
        key = {None: "Escape", "cancel": "alt+c", "retry": "alt+r", "yes": "alt+y", "no": "alt+n"}[button]
        run("xdotool", "windowfocus", "--sync", report, "key", key)
        # Gone before anything looks for a box again: that may be the one shown next.
        wait_for(self.visible, lambda windows: report not in windows, f"windows after {key} in box {title!r}")
        if self.window in self.visible():
            run("xdotool", "windowfocus", "--sync", self.window)
        return title

    def visible(self):  # the program's windows on the screen
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
                             capture_output=True, timeout=10)
        return out.stdout.split()

    def session_ends(self):  # what a logout or service manager sends, and a closed terminal
        return [lambda: self.process.send_signal(signal.SIGTERM), lambda: self.process.send_signal(signal.SIGHUP)]

    def close(self):  # WM_DELETE_WINDOW, as a window manager sends it when the window is closed
        display = ctypes.c_void_p(x11.XOpenDisplay(None))
        atom = lambda name: x11.XInternAtom(display, name, 0)  # noqa: E731
        # An XClientMessageEvent, laid out in the longs of an XEvent on a 64-bit machine.
        event = (ctypes.c_long * 24)(33, 0, 1, display.value, int(self.window), atom(b"WM_PROTOCOLS"), 32,
                                     atom(b"WM_DELETE_WINDOW"))
        x11.XSendEvent(display, ctypes.c_ulong(int(self.window)), 0, 0, event)
        x11.XCloseDisplay(display)


# The page in headless Chromium (Debian's chromium, chromium-driver and python3-selenium), a fresh
# profile for every case, opened from disk or from an http server on localhost (a secure context, as
# the clipboard needs). A msg.dat in the case's directory is opened through the page's file button at
# start; Esc, which saves and closes the programs, saves through its save button here, a download
# into that directory. The browser is quit when the case ends: quit at once, Chromium may take back
# a download that already has its name.
class WebComposer(Composer):
    server = None

    @staticmethod
    def prepare(options):
        WebComposer.url = options.exe.as_uri()
        if options.web == "http":
            WebComposer.url = f"http://localhost:{WebComposer.serve(options.exe.parent, 0)}/{options.exe.name}"

    @staticmethod
    def serve(directory, port):  # returns the port
        import functools
        import http.server
        import threading
        handler = type("Quiet", (http.server.SimpleHTTPRequestHandler,), {"log_message": lambda *args: None})
        WebComposer.server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(handler, directory=directory))
        threading.Thread(target=WebComposer.server.serve_forever, daemon=True).start()
        return WebComposer.server.server_port

    @staticmethod
    def finish(options):
        if WebComposer.server:
            WebComposer.server.shutdown()
            WebComposer.server.server_close()

    @contextlib.contextmanager
    def offline(self):  # the server stopped for a while: what the page does then, it does without it
        port = self.server.server_port
        self.finish(self.options)
        yield
        self.serve(self.options.exe.parent, port)

    def start(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        if not self.process:
            chrome = webdriver.ChromeOptions()
            chrome.binary_location = "/usr/bin/chromium"
            for argument in "--headless=new", "--no-sandbox", "--window-size=360,640", f"--user-data-dir={self.dir}/profile":
                chrome.add_argument(argument)
            chrome.add_experimental_option("prefs", {"download.default_directory": str(self.dir)})
            self.process = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=chrome)
            self.cdp("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        self.process.get(self.url)
        if self.msg_dat.exists():
            self.process.find_element("id", "open").send_keys(str(self.msg_dat))

    def cdp(self, command, **arguments):
        return self.process.execute_cdp_cmd(command, arguments)

    def script(self, code, *args):  # the value of an async function's body run in the page
        return self.process.execute_async_script(f"(async () => {{ {code} }})().then(arguments[{len(args)}])", *args)

    def wait_caption(self, text):
        wait_for(lambda: self.script("return [document.title, document.getElementById('caption').textContent]"),
                 [text, text].__eq__, f"title and caption, not {text!r}")

    def text(self):
        return self.enc(self.script("return document.getElementById('message').value"))

    # The clipboard is read and written in a timer's task, queued after the one the page copies in.
    def clipboard(self):
        return self.enc(self.script("await new Promise((done) => setTimeout(done)); return navigator.clipboard.readText()"))

    x11_clipboard = clipboard  # headless Chromium's own: other programs would see the same

    def set_clipboard(self, text):  # before the start, from a visit that changes nothing
        if not self.process:
            self.start()
        self.script("await new Promise((done) => setTimeout(done)); await navigator.clipboard.writeText(arguments[0])", text)

    def type(self, text):  # ASCII as keys, anything else as an input method or an emoji panel inserts it
        for keys in re.findall(r"[\x00-\x7f]+|[^\x00-\x7f]+", text):
            if keys.isascii():
                self.key_in(keys)
            else:
                self.cdp("Input.insertText", text=keys)

    def compose(self, text):  # the syllable an input method shows while it is being composed
        self.cdp("Input.imeSetComposition", text=text, selectionStart=len(text), selectionEnd=len(text))

    def key_in(self, text, held=()):
        from selenium.webdriver.common.action_chains import ActionChains
        actions = ActionChains(self.process)
        for key in held:
            actions.key_down(key)
        actions.send_keys(text)
        for key in held:
            actions.key_up(key)
        actions.perform()

    def key(self, *keys):  # xdotool's names
        from selenium.webdriver.common.keys import Keys
        for key in keys:
            if key == "Escape":
                self.close()
                continue
            *held, name = (getattr(Keys, name.upper(), name) for name in key.replace("ctrl", "control").replace("Return", "enter").split("+"))
            self.key_in(name, held)

    # Saves as msg.dat, which replaces the one there. Chromium may reserve the name with an empty file
    # and writes the download beside it first: it is whole once nothing else is there for a second.
    def close(self):
        self.msg_dat.unlink(missing_ok=True)
        self.process.find_element("id", "save").click()
        deadline, files, since = time.monotonic() + 20, None, 0
        while files is None or [name for name, _ in files] != ["msg.dat", "profile"] or time.monotonic() < since + 1:
            with contextlib.suppress(FileNotFoundError):  # a file renamed while listed: listed again
                if (seen := sorted((path.name, path.stat().st_size) for path in self.dir.iterdir())) != files:
                    files, since = seen, time.monotonic()
            if time.monotonic() > deadline:
                raise AssertionError(f"msg.dat never downloaded whole: {files}")
            time.sleep(0.05)
        self.closed = True

    def stop(self):
        if self.process:
            self.process.quit()

    def wait_exit(self):
        return 0 if getattr(self, "closed", False) else None


CASES = {}


def case(*tags):
    return lambda function: CASES.setdefault(function.__name__, (function, {function.__name__, *tags}))[0]


@case("win32", "web")
def saved_message(c):
    # Over the limit and across a line break: shown whole, counted and copied at once, all selected.
    message = "가나다 ok " * 9 + "\n" + "x" * 8
    c.msg_dat.write_bytes(stored(message))
    c.start()
    c.wait_caption(status(message))
    expect((c.text(), c.clipboard()), (c.shown(message), c.enc(message)), "editor and clipboard")
    c.type("z")  # replaces the whole text, since it was all selected
    c.wait_caption(status("z"))
    expect(c.clipboard(), c.enc("z"), "clipboard")
    c.close()  # a close request saves as Esc does
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, b"z"), "exit status and msg.dat")


@case("win32", "web")
def typing_and_escape(c):
    c.set_clipboard("before")
    c.start()
    c.wait_caption(TITLE)  # no msg.dat: nothing shown, counted or copied
    expect((c.text(), c.clipboard()), (b"", c.enc("before")), "editor and clipboard at start")
    with c.busy_clipboard() as busy:  # counted all the same, the clipboard left to its holder
        c.type("ab")
        c.wait_caption(status("ab"))
    if busy:
        expect(c.clipboard(), c.enc("before"), "clipboard once free again, before the next change")
    c.key("Return")
    c.type("가 한!")
    c.key("Return")
    message = "ab\n가 한!\n"
    c.wait_caption(status(message))
    expect((c.text(), c.clipboard()), (c.shown(message), c.enc(message)), "editor and clipboard")
    expect(c.x11_clipboard(), message.encode("utf-8"), "clipboard as X11 programs see it")
    c.key("Escape")
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, stored(message)), "exit status and msg.dat")


@case("win32")
def session_end_saves(c):
    # Left open when the session ends (Windows logs off; on Linux a logout's SIGTERM, a closed
    # terminal's SIGHUP), the draft is saved as Esc saves it, and the program ends.
    message = None
    for number, end_session in enumerate(c.session_ends()):
        c.start()
        c.wait_caption(TITLE if message is None else status(message))
        message = f"draft {number}\n가"
        c.type(f"draft {number}")
        c.key("Return")
        c.type("가")
        c.wait_caption(status(message))
        end_session()
        expect((c.wait_exit(), c.msg_dat.read_bytes(), c.files()), (0, stored(message), ["msg.dat"]),
               "exit status, msg.dat and the folder")


@case("win32")
def full_disk_keeps_the_saved_message(c):
    # No room for the new message, though there would be once the old one were cut: the save
    # fails, is reported, and leaves the saved message byte for byte; with room again, Esc saves.
    long = "x" * 5000
    with c.small_disk("16k"):
        c.msg_dat.write_bytes(b"saved")
        with open(c.dir / "filler", "wb", buffering=0) as filler, contextlib.suppress(OSError):
            while filler.write(bytes(4096)):
                pass
        c.start()
        c.set_clipboard(long)
        c.key("ctrl+v")  # over the whole text, selected at start
        c.wait_caption(status(long))
        c.key("Escape")
        c.box_starts(WRITE_ERROR)
        expect((c.running(), c.msg_dat.read_bytes(), c.files()), (True, b"saved", ["filler", "msg.dat"]),
               "dialog, msg.dat and the folder after the report")
        (c.dir / "filler").unlink()
        c.key("Escape")  # tries again
        expect((c.wait_exit(), c.msg_dat.read_bytes(), c.files()), (0, c.enc(long), ["msg.dat"]),
               "exit status, msg.dat and the folder")


@case("win32")
def no_file_can_be_made_then_asked(c):
    c.msg_dat.write_bytes(b"")
    c.set_clipboard("before")
    c.start()
    c.wait_caption(status(""))  # an empty message, counted and copied at once
    expect(c.clipboard(), b"", "clipboard")
    c.msg_dat.unlink()
    c.msg_dat.mkdir()
    c.type("kept")
    c.wait_caption(status("kept"))
    c.key("Escape")  # nothing to save into: said, and the window stays if asked to
    c.box_starts(CANNOT_SAVE, "retry")
    expect((c.running(), c.text(), c.clipboard()), (True, c.enc("kept"), c.enc("kept")), "dialog after the retry")
    c.key("Escape")
    c.box_starts(CANNOT_SAVE, "cancel")  # closes without saving
    expect((c.wait_exit(), list(c.msg_dat.iterdir()), c.files()), (0, [], ["msg.dat"]),
           "exit status, msg.dat (a directory) and the folder")


@case()
def unread_file_is_replaced_only_when_the_user_says_so(c):
    # msg.dat could not be read at start (here a directory): closing asks before replacing it.
    c.msg_dat.mkdir()
    (c.msg_dat / "kept").write_bytes(b"x")
    c.start()
    c.wait_caption(TITLE)
    c.type("new")
    c.wait_caption(status("new"))
    c.key("Escape")
    c.box_starts(UNREADABLE, "cancel")  # back to the window
    expect((c.running(), c.text()), (True, c.enc("new")), "dialog after the question")
    c.key("Escape")
    c.box_starts(UNREADABLE, "yes")  # replace it: but a directory cannot be replaced
    c.box_starts(CANNOT_SAVE, "retry")
    expect((c.running(), os.listdir(c.msg_dat)), (True, ["kept"]), "dialog and msg.dat after the retry")
    shutil.rmtree(c.msg_dat)
    c.key("Escape")  # asked once: saved
    expect((c.wait_exit(), c.msg_dat.read_bytes(), c.files()), (0, b"new", ["msg.dat"]),
           "exit status, msg.dat and the folder")


@case("gtk")
def message_files_of_the_windows_program(c):
    # As the Windows program saves them: a lone CR, Hangul, and a final line break. Loaded as typed
    # there, and saved back byte for byte. The long line crosses every buffer of the conversion.
    line = "한글 ok " * 700
    c.msg_dat.write_bytes(b"x\ry\r\r\n" + stored(line + "\n"))
    c.start()
    c.wait_caption(status(f"xy\n{line}\n"))
    expect((c.text(), c.clipboard()), (c.enc(f"x\ry\n{line}\n"), c.enc(f"xy\n{line}\n")), "view and clipboard")
    c.key("Escape")
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, b"x\ry\r\r\n" + stored(line + "\n")), "exit status and msg.dat")


@case("win32", "web")
def characters_outside_code_page_949(c):
    # Bytes that start no character of the code page load as "?", and an emoji typed or pasted
    # becomes "?" too (see `lacking`): the view holds what is counted, copied and saved. · and 똠
    # are in the code page.
    x80, xff, emoji = c.lacking
    c.msg_dat.write_bytes(b"a\x80b\xff" + "·똠".encode("cp949"))
    c.start()
    loaded = f"a{x80}b{xff}·똠"
    c.wait_caption(status(loaded))
    c.key("ctrl+End")
    c.type("한글😀")
    c.set_clipboard("x🙂y")
    c.key("ctrl+v")
    message = f"{loaded}한글{emoji}x{emoji}y"
    c.wait_caption(status(message))
    expect((c.text(), c.clipboard(), c.x11_clipboard()), (c.enc(message),) * 3, "view and clipboard")
    c.key("Escape")
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, stored(message)), "exit status and msg.dat")


def compose(c, steps):
    # Each step's keys, then the message the title and the clipboard hold at once, the syllable being
    # composed included.
    for keys, message in steps:
        c.key(*keys.split())
        c.wait_caption(status(message))
        expect(c.clipboard(), c.enc(message), f"clipboard after {keys}")


@case("gtk")
def composing_hangul(c):
    # Counted from its first key, the syllable is committed when the next one starts; Backspace
    # takes back its keys one by one. A close request commits it.
    c.start()
    c.type("ok")
    c.key("Hangul")
    compose(c, [("g", "okㅎ"), ("k", "ok하"), ("s", "ok한"), ("r", "ok한ㄱ"), ("k", "ok한가"),
                ("BackSpace", "ok한ㄱ"), ("BackSpace", "ok한"), ("g k s", "ok한한")])
    c.close()
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, "ok한한".encode("cp949")), "exit status and msg.dat")


@case("gtk")
def composing_at_the_limit(c):
    # The 40th syllable fills the message while it is composed; the 41st goes over with its first
    # key. Esc closes mid-syllable, and msg.dat holds what was shown.
    message = "가" * 39
    c.msg_dat.write_bytes(stored(message))
    c.start()
    c.wait_caption(status(message))
    c.key("ctrl+End")
    c.key("Hangul")
    compose(c, [("g", message + "ㅎ"), ("k s", message + "한"), ("r", message + "한ㄱ"), ("k", message + "한가")])
    c.key("Escape")
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, stored(message + "한가")), "exit status and msg.dat")


@case("web", "page")
def composing_and_the_limit(c):
    # The syllable being composed counts as it stands, even one beyond the code page (as "?"), and
    # only a committed character is replaced. 똠 is in the code page's extension area.
    c.start()
    c.type("ab")
    c.compose("ㄸ")
    c.wait_caption(status("abㄸ"))
    c.compose("😀")
    c.wait_caption(status("ab?"))
    expect(c.text(), c.enc("ab😀"), "text area while composing")
    c.compose("똠")
    c.wait_caption(status("ab똠"))
    c.type("똠")
    c.type("x" * 76)
    c.wait_caption(status("ab똠" + "x" * 76))
    c.type("y")
    c.wait_caption(status("ab똠" + "x" * 76 + "y"))
    c.set_clipboard("\0z")  # the rules end a message at a zero: it becomes "?", so nothing is lost
    c.key("ctrl+v")
    c.wait_caption(status("ab똠" + "x" * 76 + "y?z"))
    expect(c.clipboard(), c.enc("ab똠" + "x" * 76 + "y?z"), "clipboard")
    c.close()
    expect(c.msg_dat.read_bytes(), stored("ab똠" + "x" * 76 + "y?z"), "msg.dat")


@case("web", "page")
def draft_after_reload(c):
    # The draft is kept at every change; the next visit shows it all selected, counted and copied.
    c.start()
    c.type("초안")
    c.key("Return")
    c.type("kept")
    c.set_clipboard("other")
    c.start()  # the same page again, in the same browser
    c.wait_caption(status("초안\nkept"))
    selected = c.script("const e = document.activeElement; return [e.id, e.selectionStart, e.selectionEnd]")
    expect((c.text(), selected, c.clipboard()), (c.enc("초안\nkept"), ["message", 0, 7], c.enc("초안\nkept")),
           "text area, its selection and clipboard")


@case("web", "page", "served")
def offline_once_served(c):
    # Served, the page is an app: after one visit it opens and counts with the network gone.
    c.start()
    expect((c.script("const workers = navigator.serviceWorker; return workers.controller !== null ||"
                     " await new Promise((done) => workers.addEventListener('controllerchange', () => done(true)))"),
            c.cdp("Page.getInstallabilityErrors")["installabilityErrors"]),
           (True, []), "page under its service worker, and installability")
    with c.offline():
        c.start()
        c.type("오프라인")
        c.wait_caption(status("오프라인"))


def main():
    parser = argparse.ArgumentParser()
    for option in "--exe", "--driver", "--work":
        parser.add_argument(option, type=lambda path: Path(path).resolve(), required=option != "--driver")
    parser.add_argument("--wine", default="wine", type=str.split)
    parser.add_argument("--locale", default="ko_KR.UTF-8")
    parser.add_argument("--gtk", action="store_true")
    parser.add_argument("--web", choices=("file", "http"))
    parser.add_argument("--cases", type=lambda names: set(names.split(",")))
    options = parser.parse_args()
    options.work.mkdir(parents=True, exist_ok=True)
    if options.gtk and "QUILLET_E2E_BUS" not in os.environ:
        # The input method runs on a session bus of its own, never on the desktop's.
        os.execvpe("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv],
                   dict(os.environ, QUILLET_E2E_BUS="1"))
    backend = WebComposer if options.web else GtkComposer if options.gtk else WineComposer
    # The page runs the cases tagged web (those tagged served only over http); those tagged page it alone.
    default = {name for name, (_, tags) in CASES.items()
               if ("web" in tags and (options.web == "http" or "served" not in tags) if options.web
                   else "page" not in tags and (options.gtk or "gtk" not in tags))}
    options.cases = options.cases or default
    unknown = options.cases.difference(*(tags for _, tags in CASES.values()))
    if unknown or not (options.web or os.environ.get("DISPLAY")):
        parser.error(f"no such cases: {sorted(unknown)}" if unknown else "no X display: run under xvfb-run")
    chosen = [(name, run) for name, (run, tags) in CASES.items() if tags & options.cases]
    options.keyboard = None if options.web else Keyboard(run for _, run in chosen)
    backend.prepare(options)
    failed = []
    for name, run_case in chosen:
        composer = backend(options, name)
        try:
            run_case(composer)
            print(f"{name}: ok", flush=True)
        except (AssertionError, subprocess.SubprocessError, OSError) as failure:  # OSError: no msg.dat, say
            print(f"{name}: FAILED: {failure}", flush=True)
            failed.append(name)
        finally:
            composer.stop()
    backend.finish(options)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
