# What a case can do with a front end: every verb the cases use, declared once. A backend (wine.py,
# gtk.py, page.py) is a Composer that starts its front end and reads what its user would see; a verb
# that raises NotImplementedError here is one each backend that runs such cases supplies, and the
# others work as said unless a backend says otherwise: keys go through X11 with xdotool, and the
# caption is the title of the X window a backend keeps as `window`.
#
# One Composer is one case's run in a fresh directory, `dir`, the program's current directory, which
# holds its `msg_dat`. The verbs return text as UTF-8 bytes; `line_break` says how the front end's
# editor holds a line break, `lone_cr` how it holds a CR that ends no line (as the rules decide:
# rules/LineBreaks.h), and `lacking` how it holds what code page 949 lacks: the bytes 80 and FF
# loaded, and an emoji typed or pasted; `keeps_clipboard`, whether the desktop keeps what a program
# that ended left on the clipboard, and `keys_handed_back`, whether a key the input method hands back
# (Backspace or Enter in Hangul mode, nothing being composed) reaches the editor.
import contextlib
import shutil

from harness import PATIENCE, expect, run, wait_for


class Composer:
    line_break = "\n"
    lone_cr = "\r"
    lacking = "?", "?", "?"
    keeps_clipboard = keys_handed_back = False

    def __init__(self, options, name):
        self.options = options
        self.dir = options.work / "e2e-runs" / name
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.msg_dat = self.dir / "msg.dat"
        self.process = None

    # Gets ready what every run of the front end shares, once before the first.
    @staticmethod
    def prepare(options):
        raise NotImplementedError

    # Ends what prepare() started, once after the last run.
    @staticmethod
    def finish(options):
        pass

    # Starts the program in its directory and waits until its window is there and has the focus.
    def start(self):
        raise NotImplementedError

    # Waits until the caption (and whatever else says the count) reads `text`; fails past the patience.
    def wait_caption(self, text):  # the title of the X window, `window`, which a window manager shows
        wait_for(lambda: run("xdotool", "getwindowname", self.window).decode()[:-1], text.__eq__, f"title, not {text!r}")

    # The editor's text.
    def text(self):
        raise NotImplementedError

    # What the editor marks, as its user sees it: the text marked past the limit ("" if none), and the runs of
    # characters marked at risk, as strs.
    def marks(self):
        raise NotImplementedError

    # The editor's accessible description, as a screen reader reads it, as a str.
    def description(self):
        raise NotImplementedError

    # The clipboard's text as another program of the front end's own system reads it.
    def clipboard(self):
        raise NotImplementedError

    # The clipboard's text as X11 programs read it, in UTF-8.
    def x11_clipboard(self):
        return run("xclip", "-o", "-selection", "clipboard")

    # Puts `text` on the clipboard, as another program copies it.
    def set_clipboard(self, text):
        raise NotImplementedError

    # Meanwhile another program holds the clipboard open; yields whether that can be (not by default).
    @contextlib.contextmanager
    def busy_clipboard(self):
        yield False

    # Types `text` as its user would, Hangul too; a character beyond ASCII must be in the cases' code.
    def type(self, text):
        expect({c for c in text if c > "\x7f"} - self.options.keyboard.characters, set(), "keys off the map")
        self.key_in(text)

    def key_in(self, text):  # key by key, as xdotool finds them
        run("xdotool", "type", "--delay", "30", text)

    # Presses each key or chord, by xdotool's names: Return, Escape, ctrl+v...
    def key(self, *keys):
        run("xdotool", "key", "--delay", "20", *keys)

    # Shows `text` as the syllable an input method is composing (the page; GTK's composes from keys).
    def compose(self, text):
        raise NotImplementedError

    # What is said beside the text, each as it reads: the characters at risk (the page).
    def notes(self):
        raise NotImplementedError

    # What a screen reader finds: the editor's description, what each live region says, and what was spoken
    # since the first call, each as (what, seconds after the change before it) (the page).
    def heard(self):
        raise NotImplementedError

    # Asks the program to close, as its window's close button does.
    def close(self):
        raise NotImplementedError

    # Waits for the next message box, answers it with `button` (else its default); its text, or None.
    def message_box(self, button=None):
        raise NotImplementedError

    # Fails unless the message box shown next begins with `text`; `button` answers it.
    def box_starts(self, text, button=None):
        box = self.message_box(button) or b""
        expect(box[:len(self.enc(text))], self.enc(text), "message box")

    # The ways the desktop session can end under the program, each a function that ends it.
    def session_ends(self):
        raise NotImplementedError

    # Meanwhile the run's directory is a file system of `size` bytes of its own (root); the program
    # ends in it.
    @contextlib.contextmanager
    def small_disk(self, size):
        run("mount", "-t", "tmpfs", "-o", f"size={size}", "quillet-e2e", str(self.dir))
        try:
            yield
        finally:
            self.stop()
            run("umount", "--lazy", str(self.dir))

    # What the run's directory holds, sorted: msg.dat, and never a file left half-written.
    def files(self):
        return sorted(path.name for path in self.dir.iterdir())

    # Whether the program runs on, once it has acted on what came before (after a round trip through it).
    def running(self):
        self.text()
        return self.process.poll() is None

    # Waits for the program to end; its exit status.
    def wait_exit(self):
        return self.process.wait(timeout=PATIENCE)

    def stop(self):  # after each case, whatever it did: the program ended, asked to close first
        if self.process and self.process.poll() is None:
            with contextlib.suppress(Exception):
                self.close()
                self.process.wait(timeout=10)
            self.process.kill()

    # Unplugs the keyboard, the last one, and plugs it back (GNOME).
    def replug_keyboard(self):
        raise NotImplementedError

    # Meanwhile the site is gone, as if the network were (the served page).
    @contextlib.contextmanager
    def offline(self):
        raise NotImplementedError

    # The value of an async JavaScript function's body `code` run in the page, with `args` (the page).
    def script(self, code, *args):
        raise NotImplementedError

    # The browser's answer to a DevTools protocol command (the page).
    def cdp(self, command, **arguments):
        raise NotImplementedError

    # `text` as the verbs return it.
    @staticmethod
    def enc(text):
        return text.encode()

    # The editor's text for a message with LF line breaks.
    def shown(self, message):
        return self.enc(message.replace("\n", self.line_break))

    def focus(self, *window_search):  # the first window `xdotool search` finds, focused
        window = run("xdotool", "search", "--sync", "--onlyvisible", *window_search).split()[0]
        run("xdotool", "windowfocus", "--sync", window, "mousemove", "--window", window, "20", "20")
        return window
