# quillet-gtk, read from outside through X11: its title and the clipboard; and through its
# accessibility tree on AT-SPI, which comes with the D-Bus session, the view's text, what it marks and
# its description.
# Hangul comes in as a Korean user types it: the Hangul key, then the keys of the standard Korean
# layout, through IBus and its Hangul engine, which tools/session --ibus runs.
import contextlib
import ctypes
import os
import re
import signal
import subprocess

from composer import Composer
from harness import PATIENCE, expect, run, wait_for
from keyboard import x11

# The standard Korean (dubeolsik) layout: the keys of each initial, medial and final jamo in the order
# of Unicode's syllables.
INITIALS = "r R s e E f a q Q t T d w W c z x v g".split()
MEDIALS = "k o i O j p u P h hk ho hl y n nj np nl b m ml l".split()
FINALS = ["", *"r R rt s sw sg e f fr fa fq ft fx fv fg a q qt t T d w c z x v g".split()]


def dubeolsik(syllable):
    index = ord(syllable) - 0xAC00
    return INITIALS[index // 588] + MEDIALS[index // 28 % 21] + FINALS[index % 28]


class GtkComposer(Composer):
    @staticmethod
    def prepare(options):
        expect(os.environ.get("GTK_IM_MODULE"), "ibus", "input method: run under tools/session --ibus")
        os.environ.update(ASAN_OPTIONS="detect_leaks=0")

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
        return self.view().queryText().getText(0, -1).encode()

    def view(self):  # the text view in AT-SPI's tree, read afresh, once the program has put it there
        import pyatspi  # here, as the other front ends run where it may not be
        from gi.repository import GLib

        def find():  # the desktop's list read afresh: it may miss a new application and keep one that ended
            desktop = pyatspi.Registry.getDesktop(0)
            desktop.clear_cache()
            for app in desktop:
                with contextlib.suppress(GLib.GError):
                    if app and app.get_process_id() == self.process.pid:
                        app.clear_cache()
                        return pyatspi.findDescendant(app, lambda node: node.getRole() == pyatspi.ROLE_TEXT)
        return wait_for(find, lambda view: view is not None, "the text view on AT-SPI")

    def marks(self):  # the runs AT-SPI reports with the tint as their background, and underlined as errors
        text = self.view().queryText()
        past, at_risk, offset, last = "", [], 0, None
        while offset < text.characterCount:
            attributes, start, offset = text.getAttributeRun(offset, False)
            run = text.getText(start, offset)
            past += run if any(name.startswith("bg-color:") for name in attributes) else ""
            if "underline:error" in attributes:
                if last == start:
                    at_risk[-1] += run
                else:
                    at_risk.append(run)
                last = offset
        return past, at_risk

    def description(self):
        return self.view().description

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
        # The window again, unless the answer closed it: it may go while it is being focused.
        again = subprocess.run(["xdotool", "windowfocus", "--sync", self.window], capture_output=True, timeout=PATIENCE)
        expect(again.returncode == 0 or self.window not in self.visible(), True, f"window focused after {title!r}")
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
