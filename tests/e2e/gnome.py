# quillet-gtk in GNOME Shell on Wayland (tools/session --gnome), read from inside the shell through
# org.gnome.Shell.Eval: its windows' titles, the clipboard, which the shell keeps when the program that
# put it there ends, and the input method's mode; the view through AT-SPI, as on X11. Keys come through
# the shell's remote desktop interface, as from a keyboard of its own, and Hangul through the shell's
# input method, IBus and its Hangul engine; a program reading the clipboard itself (wl-paste) would
# take the keyboard focus, and commit the syllable being composed.
import ctypes
import json
import os
import subprocess
import time

from gtk import GtkComposer
from harness import expect, wait_for

HANGUL = 122  # the key's evdev code: its keysym is on no key of the layout
REMOTE = "org.gnome.Mutter.RemoteDesktop"


def call(interface, path, method, *args, signature=None):  # on the session bus, by the name of the interface's owner
    from gi.repository import GLib
    return GnomeComposer.bus.call_sync(interface.removesuffix(".Session"), path, interface, method,
                                       GLib.Variant(signature, args) if signature else None, None, 0, -1, None).unpack()


class GnomeComposer(GtkComposer):
    keeps_clipboard = keys_handed_back = True

    @staticmethod
    def prepare(options):
        expect(bool(os.environ.get("WAYLAND_DISPLAY")), True, "Wayland display: run under tools/session --gnome")
        os.environ.update(ASAN_OPTIONS="detect_leaks=0")
        from gi.repository import Gio  # here, as the other front ends run where it may not be
        GnomeComposer.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        GnomeComposer.keysym = ctypes.CDLL("libxkbcommon.so.0").xkb_keysym_from_name
        GnomeComposer.plug_keyboard()

    @staticmethod
    def plug_keyboard():  # a keyboard of the shell's remote desktop, for as long as the session lasts
        GnomeComposer.session = call(REMOTE, "/org/gnome/Mutter/RemoteDesktop", "CreateSession")[0]
        call(f"{REMOTE}.Session", GnomeComposer.session, "Start")
        # The shell makes the keyboard at its first key, which goes nowhere.
        GnomeComposer.press(GnomeComposer.keysym(b"Shift_L", 0))

    @staticmethod
    def press(code, kind="Keysym", *, states=(True, False)):
        # As fast as xdotool types on X11: the shell hands each key to IBus and back asynchronously.
        for state in states:
            call(f"{REMOTE}.Session", GnomeComposer.session, f"NotifyKeyboard{kind}", code, state, signature="(ub)")
            time.sleep(0.015)

    @staticmethod
    def shell(code):  # the value of JavaScript `code` in the shell
        ok, value = call("org.gnome.Shell", "/org/gnome/Shell", "Eval", code, signature="(s)")
        expect(ok, True, f"the shell's answer to {code!r}: {value}")
        return json.loads(value) if value else None

    def windows(self):  # the program's windows: [id, title] each, the first shown first
        return self.shell(f"global.display.list_all_windows().filter((w) => w.get_pid() == {self.process.pid})"
                          ".sort((a, b) => a.get_stable_sequence() - b.get_stable_sequence()).map((w) => [w.get_id(), w.title])")

    def keys_reach(self, window, typed=True):  # whether keys reach the window, through the input method if `typed`
        return self.shell(f"global.display.focus_window?.get_id() == {window} && "
                          f"{'Main.inputMethod.currentFocus != null' if typed else 'true'}")

    def mode(self):
        return self.shell("imports.ui.status.keyboard.getInputSourceManager().currentSource.properties.get(0).get_symbol().get_text()")

    def start(self):
        self.process = subprocess.Popen([str(self.options.exe)], cwd=self.dir)
        self.window = wait_for(self.windows, bool, "the window")[0][0]
        wait_for(lambda: self.keys_reach(self.window), bool, "the window focused, its input method too")
        self.hangul = self.mode() == "한"  # the engine's, as the last program left it

    def wait_caption(self, text):
        wait_for(lambda: dict(self.windows()).get(self.window), text.__eq__, f"title, not {text!r}")

    def clipboard(self):  # the shell's, as any program gets it
        self.shell("global.quilletRead = null; imports.gi.St.Clipboard.get_default()"
                   ".get_text(imports.gi.St.ClipboardType.CLIPBOARD, (_, text) => (global.quilletRead = [text]))")
        return self.enc(wait_for(lambda: self.shell("global.quilletRead"), bool, "the clipboard read")[0] or "")

    x11_clipboard = clipboard  # no X11 here: every program reads the shell's

    def set_clipboard(self, text):  # as a program that ended left it
        self.shell(f"imports.gi.St.Clipboard.get_default().set_text(imports.gi.St.ClipboardType.CLIPBOARD, {json.dumps(text)})")

    def key_in(self, text):  # a shifted character with Shift held, as a user types it
        for c in text:
            self.key(f"shift+{c}" if c.isupper() or c in '~!@#$%^&*()_+{}|:"<>?' else c)

    def key(self, *keys):  # xdotool's names; the Hangul key waits until the engine has switched modes
        for chord in keys:
            if chord == "Hangul":
                before = self.mode()
                self.press(HANGUL, "Keycode")
                wait_for(self.mode, lambda mode: mode != before, "the engine's mode switched")
                continue
            *modifiers, last = chord.split("+")
            syms = [self.keysym({"ctrl": b"Control_L", "alt": b"Alt_L", "shift": b"Shift_L"}[name], 0) for name in modifiers]
            syms.append(ord(last) if len(last) == 1 else self.keysym(last.encode(), 0))
            for sym in syms:
                self.press(sym, states=(True,))
            self.press(syms.pop(), states=(False,))
            # The program gets each key once IBus has handed it back to the shell, but the modifiers
            # as they are then: they are held a while longer.
            time.sleep(0.1 if syms else 0)
            for sym in reversed(syms):
                self.press(sym, states=(False,))

    def message_box(self, button=None):  # the dialog's title is its text; answered with `button`, else Esc
        windows = wait_for(self.windows, lambda windows: len(windows) > 1)
        if len(windows) < 2:
            return None
        box, title = windows[-1]
        wait_for(lambda: self.keys_reach(box, typed=False), bool, f"the box {title!r} focused")
        self.key({None: "Escape", "cancel": "alt+c", "retry": "alt+r", "yes": "alt+y", "no": "alt+n"}[button])
        # Gone before anything looks for a box again, as that may be the one shown next; and the window
        # has the keys again, unless the answer closed it or asked again.
        def answered(windows):
            return [box, title] not in windows and (len(windows) != 1 or self.keys_reach(self.window))
        wait_for(self.windows, answered, f"the window after {title!r}")
        return title.encode()

    def close(self):  # as its close button does
        self.shell(f"global.display.list_all_windows().find((w) => w.get_id() == {self.window})"
                   "?.delete(global.get_current_time())")

    def replug_keyboard(self):  # the remote desktop's session ended, and its keyboard with it
        call(f"{REMOTE}.Session", self.session, "Stop")
        wait_for(lambda: self.keys_reach(self.window), False.__eq__, "the window without keys")
        self.plug_keyboard()
        wait_for(lambda: self.keys_reach(self.window), bool, "the window with keys again")
