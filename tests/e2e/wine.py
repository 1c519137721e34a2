# Quillet.exe under Wine, read from inside Wine by driver.exe (driver.cpp), which sees it as Windows
# does: its windows' Unicode text, and the clipboard's formats as another program reads them (the
# caption as Wine gives it to X11, for the title bar, is read there). The driver answers a word, then
# bytes as hex. Windows' own table gives the bytes 80 and FF characters of their own, and an emoji's
# two UTF-16 halves are a "?" each.
import contextlib
import os
import subprocess
import tempfile
from pathlib import Path

from composer import Composer
from harness import PATIENCE, cp949, expect


class WineComposer(Composer):
    line_break = "\r\n"
    lacking = "\x80", "\uf8f7", "??"

    @staticmethod
    def prepare(options):
        # Every Wine command runs in the environment tools/session makes, the prefix under --work.
        session = Path(__file__).parents[2] / "tools/session"
        WineComposer.wine = [str(session), "--wine", str(options.work / "wineprefix"), "--locale", options.locale, "--"]
        # Wine's own background processes inherit our output: let them keep nothing open.
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([*WineComposer.wine, "wineserver", "-p", "60"], **quiet)  # may run already
        # The desktop process too, and a program that keeps it to the end: Wine ends the desktop a
        # moment after its last program, and starting it again for the next one is slow emulated.
        desktop = subprocess.Popen([*WineComposer.wine, "wine", str(options.driver), "hold-desktop"],
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        expect(desktop.stdout.readline().strip(), b"held", "driver hold-desktop")
        code_page = subprocess.run([*WineComposer.wine, "wine", str(options.driver), "code-page"], capture_output=True)
        print(f"Wine in {options.locale}: ANSI code page {code_page.stdout.split()[0].decode()}", flush=True)

    @staticmethod
    def finish(options):
        subprocess.run([*WineComposer.wine, "wineserver", "-k"])

    def driver(self, *args, background=False, input=None):
        command = [*self.wine, "wine", str(self.options.driver), *map(str, args)]
        if background:
            return subprocess.Popen(command, stdout=subprocess.PIPE)
        # The driver waits up to as long itself, after Wine has started it.
        out = subprocess.run(command, input=input, capture_output=True, timeout=3 * PATIENCE)
        words = out.stdout.decode("ascii", "replace").split() + ["", ""]
        if out.returncode != 0:
            raise AssertionError(f"driver {' '.join(command[-len(args):])} failed: {out.stdout + out.stderr[-300:]!r}")
        return words[0], bytes.fromhex(words[1])

    def start(self):
        # Emulated, Wine now and then loads no display driver, says so and ends the program at once;
        # such a start, and only such a start, is made again.
        for attempt in range(3):
            with tempfile.TemporaryFile() as err:
                self.process = subprocess.Popen([*self.wine, "wine", str(self.options.exe)], cwd=self.dir,
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
        self.window = self.focus("--classname", r"^quillet\.exe$")

    def text(self):
        return self.driver("text")[1]

    def clipboard(self):
        # CF_UNICODETEXT, with CF_LOCALE Korean, and CF_TEXT, the same text in code page 949. Each
        # block holds its text and a zero.
        sizes, texts = self.driver("clipboard")
        text, unicode = texts.split(b"\0")
        expect((sizes, text), (f"{len(text) + 1}/{len(unicode.decode().encode('utf-16-le')) + 2}/412",
                               cp949(unicode.decode())), f"CF_TEXT and CF_LOCALE beside {unicode!r}")
        return unicode

    def set_clipboard(self, text):
        self.driver("set-clipboard", input=text.encode("utf-16-le").hex().encode())

    @contextlib.contextmanager
    def busy_clipboard(self):
        holder = self.driver("hold-clipboard", background=True)
        try:
            expect(holder.stdout.readline().strip(), b"held", "driver hold-clipboard")
            yield True
        finally:
            holder.kill()
            holder.wait()

    def message_box(self, button=None):  # answered with `button`, else OK
        word, text = self.driver("box", PATIENCE * 1000, self.BUTTONS[button])
        return text if word == "box" else None

    BUTTONS = {None: 1, "cancel": 2, "retry": 4, "yes": 6, "no": 7}  # IDOK, IDCANCEL...

    def close(self):
        self.driver("close")

    def session_ends(self):  # Wine's logoff
        return [lambda: subprocess.run([*self.wine, "wine", "wineboot", "--end-session", "--force"], check=True,
                                       timeout=60, capture_output=True)]
