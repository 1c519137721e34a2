# The end-to-end cases, written once for every front end: each names the front ends it runs on, and
# does with the program what its user would, through the verbs of composer.py.
import contextlib

from harness import (AT_RISK, CANNOT_SAVE, GNOME, GTK, PAGE, SERVED_PAGE, TEXTS, TITLE, UNREADABLE, WIN32, WIN64, WRITE_ERROR, expect,
                     marked, status, stored, wait_for)

CASES = {}  # name: (the case, the front ends it runs on)


def case(*front_ends):
    return lambda function: CASES.setdefault(function.__name__, (function, front_ends))[0]


# The program ended by itself, and msg.dat holds the message, as does the clipboard (`copied`, unless
# it is the message itself) where the desktop keeps it.
def saved(c, message, copied=None):
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, stored(message)), "exit status and msg.dat")
    if c.keeps_clipboard:  # the desktop takes it over once it has seen the program go
        wait_for(c.clipboard, c.enc(message if copied is None else copied).__eq__, "clipboard after the end")


@case(WIN64, WIN32, GTK, GNOME, PAGE, SERVED_PAGE)
def saved_message(c):
    # As the Windows program saves it: a lone CR, a line break (CR LF, stored CR CR LF), Hangul over the
    # limit, and a final line break. Shown whole, counted and copied at once, without the CR; kept by an
    # editor that can hold it, so saved back byte for byte, and left out by the page's text area, which
    # cannot (see `lone_cr`). The long line crosses every buffer of the conversion.
    line = "한글 ok " * 700
    message, counted = f"x{c.lone_cr}y\n{line}\n", f"xy\n{line}\n"
    c.msg_dat.write_bytes(b"x\ry\r\r\n" + stored(line + "\n"))
    c.start()
    c.wait_caption(status(counted))
    expect((c.text(), c.clipboard()), (c.shown(message), c.enc(counted)), "editor and clipboard")
    c.close()  # a close request saves as Esc does
    saved(c, message, counted)


@case(WIN64, WIN32, GTK, GNOME, PAGE, SERVED_PAGE)
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
    saved(c, message)


@case(WIN64, WIN32, GTK, GNOME)
def session_end_saves(c):
    # Left open when the session ends (Windows logs off; on Linux a logout's SIGTERM, a closed
    # terminal's SIGHUP), the draft is saved as Esc saves it, and the program ends. An empty msg.dat
    # is an empty message, counted from the start.
    message = ""
    c.msg_dat.write_bytes(b"")
    for number, end_session in enumerate(c.session_ends()):
        c.start()
        c.wait_caption(status(message))
        message = f"draft {number}\n가"
        c.type(f"draft {number}")
        c.key("Return")
        c.type("가")
        wait_for(c.clipboard, c.enc(message).__eq__, "clipboard")  # ㄱ counts as 가 does
        end_session()
        expect((c.wait_exit(), c.msg_dat.read_bytes(), c.files()), (0, stored(message), ["msg.dat"]),
               "exit status, msg.dat and the folder")


@case(WIN64, WIN32, GTK, GNOME)
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


@case(WIN64, WIN32, GTK, GNOME)
def asked_before_msg_dat_is_replaced_or_left(c):
    # msg.dat could not be read at start (here a directory): closing asks, once, before replacing it.
    # Then it cannot be made: said, and the window stays if asked to, or closes without saving.
    c.msg_dat.mkdir()
    c.start()
    c.wait_caption(TITLE)
    c.type("new")
    c.wait_caption(status("new"))
    c.key("Escape")
    c.box_starts(UNREADABLE, "cancel")  # back to the window
    expect(c.running(), True, "dialog after the question")
    c.key("Escape")
    c.box_starts(UNREADABLE, "yes")  # replace it: but a directory cannot be replaced
    c.box_starts(CANNOT_SAVE, "retry")
    expect((c.running(), c.text(), c.clipboard()), (True, c.enc("new"), c.enc("new")), "dialog after the retry")
    c.key("Escape")  # not asked again before replacing it
    c.box_starts(CANNOT_SAVE, "cancel")
    expect((c.wait_exit(), list(c.msg_dat.iterdir()), c.files()), (0, [], ["msg.dat"]),
           "exit status, msg.dat (a directory) and the folder")


@case(WIN64, WIN32)
def characters_outside_code_page_949(c):
    # Bytes that start no character of the code page load as the system's table has them, and an emoji
    # typed or pasted becomes "?" too (see `lacking`): the editor holds what is counted, copied and
    # saved. · and 똠 are in the code page. (Where the front end's own tables convert, their unit tests
    # hold each character.)
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
    saved(c, message)


@case(WIN64, WIN32, GTK, PAGE, SERVED_PAGE)
def long_texts_whole(c):
    # Far longer than a message, and than the 30,000 characters Windows' editor takes by default: a key
    # at the end of a 100 KB msg.dat is counted, and a paste of 40,000 characters over it lands whole,
    # the emoji at its end held as anywhere else. In lines: Wine's editor wraps a long line in
    # quadratic time, 18 s for these 40,000 characters in one.
    message = ("한글 ok " * 10 + "\n") * 1250
    c.msg_dat.write_bytes(stored(message))
    c.start()
    c.wait_caption(status(message))
    c.key("ctrl+End")
    c.type("z")
    c.wait_caption(status(message + "z"))
    paste = ("가" * 50 + "\n" + "a" * 50 + "\n") * 400
    c.set_clipboard(paste.replace("\n", c.line_break) + "🙂")
    c.key("ctrl+shift+Home", "ctrl+v")
    pasted = paste + c.lacking[2]
    c.wait_caption(status(pasted))
    expect((c.text(), c.clipboard()), (c.shown(pasted), c.enc(pasted)), "editor and clipboard")
    c.key("Escape")
    expect((c.wait_exit(), c.msg_dat.read_bytes()), (0, stored(pasted)), "exit status and msg.dat")


def spell(c, steps):
    # Each step's keys, then the message the title and the clipboard hold, the syllable being composed
    # included. A key that changes the syllable alone leaves the count as it was: the clipboard says when
    # the key has come.
    for keys, message in steps:
        c.key(*keys.split())
        wait_for(c.clipboard, c.enc(message).__eq__, f"clipboard after {keys}")
        c.wait_caption(status(message))


@case(GTK, GNOME)
def composing_at_the_limit(c):
    # Counted from its first key, the syllable composed before committed text moves it past the limit,
    # and fills the message once that goes; the next goes over with its first key, Backspace takes back
    # its keys one by one, and the next syllable's first key commits it; where keys handed back reach the
    # view, Enter commits it too, and Backspace takes back what was committed. What is past is tinted and
    # each character outside KS X 1001 underlined; the description says the count, and why. Esc closes
    # mid-syllable, and msg.dat holds what was shown, as does the clipboard where the desktop keeps it.
    def marks(message, past, at_risk):  # the syllable being composed is no character of the view's
        note = AT_RISK.replace("%s", ", ".join(dict.fromkeys(ch for ch in message if ch in "똠햏")))
        expected = (past, at_risk), f"{status(message)}\n{note}"
        wait_for(lambda: (c.marks(), c.description()), expected.__eq__, f"marks of {message}")

    start = "똠" + "가" * 38  # 78 bytes
    c.msg_dat.write_bytes(stored(start + "x"))
    c.start()
    marks(start + "x", "", ["똠"])
    c.key("ctrl+End", "Left", "Hangul")
    spell(c, [("g", start + "ㅎx"), ("o g", start + "햏x")])
    c.key("Hangul", "Delete")  # commits it
    c.key("Hangul")
    spell(c, [("E", start + "햏ㄸ"), ("h a", start + "햏똠"), ("BackSpace", start + "햏또"), ("BackSpace", start + "햏ㄸ"),
              ("h a", start + "햏똠"), ("g", start + "햏똠ㅎ")])
    if c.keys_handed_back:
        spell(c, [("Return", start + "햏똠ㅎ\n"), ("BackSpace", start + "햏똠ㅎ"), ("BackSpace", start + "햏똠"),
                  ("g", start + "햏똠ㅎ")])
    marks(start + "햏똠ㅎ", "똠", ["똠", "햏똠"])
    c.key("Escape")
    saved(c, start + "햏똠ㅎ")


@case(GNOME)
def keyboard_gone_mid_syllable(c):
    # The keyboard goes while a syllable is being composed: the syllable stays, as the input method
    # commits it, and the view, the title and the clipboard agree on it. Closed by its button
    # mid-syllable, the program saves it, and the clipboard keeps it once the program has ended.
    c.start()
    c.type("ab 한")
    wait_for(c.clipboard, c.enc("ab 한").__eq__, "clipboard")  # 한 counts as ㅎ does
    c.replug_keyboard()
    expect((c.text(), c.clipboard()), (c.enc("ab 한"),) * 2, "view and clipboard with the keyboard back")
    c.wait_caption(status("ab 한"))
    c.type("글")
    wait_for(c.clipboard, c.enc("ab 한글").__eq__, "clipboard")
    c.close()
    saved(c, "ab 한글")


@case(PAGE, SERVED_PAGE)
def marks_as_seen(c):
    # The part past byte 80 is tinted, and each run of characters outside KS X 1001 underlined and named
    # under the text (they count 2 bytes all the same), what is being composed included, where an emoji
    # counts as "?". A long message pasted, whose zero becomes "?" (the rules would end the message there),
    # is marked where it is scrolled to, after a line break at its end. Kept as the draft at every change,
    # it is shown again at the next visit all selected, marked, counted and copied. (Which pieces of the
    # marks a change draws again, the page's unit tests say.)
    c.start()
    text = "ab똠" + "x" * 74
    long = ("똠 ok\n" + "가" * 30 + "\n") * 100 + "끝?z"
    last = f"{long}\n"
    for act, args, message in ((c.type, [text], text), (c.compose, ["햏😀똠"], text + "햏😀똠"),
                               (c.set_clipboard, [long.replace("?", "\0")], None), (c.key, ["ctrl+a", "ctrl+v"], long),
                               (c.key, ["ctrl+End", "Return"], last), (c.set_clipboard, ["other"], None), (c.start, [], last)):
        act(*args)
        if message:
            c.wait_caption(status(message))
            named = ", ".join(dict.fromkeys("".join(marked(message)[1])))
            expect((c.marks(), c.notes()), (marked(message), [AT_RISK.replace("%s", named)]),
                   f"marks and notes with {message[-4:]!r}")
    selected = "const e = document.activeElement; return [e.id, e.selectionStart, e.selectionEnd]"
    expect((c.text(), c.script(selected), c.clipboard()), (c.enc(last), ["message", 0, len(last)], c.enc(last)), "the draft")


@case(PAGE, SERVED_PAGE)
def copy_refused_and_count_heard(c):
    # A screen reader hears the count when typing pauses, never at every key, and at once when the message
    # goes over the limit or back under it; the text area is described by the count. Denied the clipboard,
    # the page says beside the count that the copy was refused, with a button that copies once allowed.
    c.start()
    under, over, full = status("x" * 78), status("x" * 78 + "한글"), status("x" * 78 + "한")
    c.heard()
    c.type("x" * 78)
    wait_for(c.heard, lambda now: now[:2] == (under, ["", under]), "the count heard after a pause")
    c.type("한글")
    c.key("BackSpace")
    c.cdp("Browser.setPermission", permission={"name": "clipboard-write"}, setting="denied")
    c.key("BackSpace")
    wait_for(c.heard, lambda now: now[:2] == (under, [TEXTS["kCopyRefused"] + TEXTS["kCopyButton"], under]), "the refusal said")
    c.cdp("Browser.setPermission", permission={"name": "clipboard-write"}, setting="granted")
    c.key("shift+Tab", "space")
    wait_for(c.heard, lambda now: now[:2] == (under, ["", under]), "the refusal gone")
    expect(c.clipboard(), c.enc("x" * 78), "clipboard")
    spoke = [(what, after >= 1) for what, after in c.heard()[2]]  # said after a pause, or not
    expect(spoke[-4:], [(under, True), (over, False), (full, False), (under, True)], "what was said, and when")
    expect({paused for _, paused in spoke[:-3]}, {True}, "said while typing")


@case(SERVED_PAGE)
def offline_once_served(c):
    # Served, the page is an app: after one visit it opens and counts with the network gone, at the
    # address the installed app starts at (its folder's) as at its own, from its service worker alone:
    # the browser's HTTP cache is cleared first, as the browser may evict it.
    c.start()
    expect((c.script("const workers = navigator.serviceWorker; return workers.controller !== null ||"
                     " await new Promise((done) => workers.addEventListener('controllerchange', () => done(true)))"),
            c.cdp("Page.getInstallabilityErrors")["installabilityErrors"]),
           (True, []), "page under its service worker, and installability")
    with c.offline():
        c.cdp("Network.clearBrowserCache")
        c.start()
        c.type("오프라인")
        c.wait_caption(status("오프라인"))
        c.cdp("Network.clearBrowserCache")
        c.start("index.html")
        c.wait_caption(status("오프라인"))  # the draft, counted
