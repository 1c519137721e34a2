#!/usr/bin/python3
"""Times the page against bench/web/bare.html in one headless Chromium, both opened from disk.

    web_bench.py SITE_DIR [RUNS [KEYS]]

ready: from the start of navigation to the title set for the restored draft, RUNS loads of each page,
alternating. keystroke: from a key's keydown to the title written, KEYS keys typed into each page after
one load. Then with a message of 2 KB, 100 KB and 1 MiB of short Hangul lines, RUNS // 3 runs of each
page, alternating: open, from the file chosen with the page's button (msg.dat as the programs store it,
for the bare page the same text in UTF-8) to the title counting it, and KEYS // 4 keystrokes at the end
of the text (Ctrl+End first), each once the page is quiet; then one syllable composed there as an input
method composes it: its first letter (composition start), the syllable it makes with the next (update:
the count stays, the title is written again) and the syllable committed, each from the first event it
gives the page. With 1 MiB the syllable is composed in the first run only: in either page each of its
steps takes a minute or more. Each is timed twice: to the title, and to the end of the frame that first
shows it (drawn: a timer queued from that frame's animation callback), which holds the layout of
whatever the page changed. All are read in the page's own clock by a script the bench adds to every
document before the page's own (MutationObservers on the title, listeners for the events that start a
step), so neither page carries anything for the bench. Prints medians, the ratios page/bare, and the
gzip-compressed size of every file of the page: those a visit loads, and the PNG icons, which a
browser fetches only to install it.
"""
import gzip
import statistics
import sys
import tempfile
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

DRAFT = "가나다 ok " * 9 + "\n" + "x" * 8  # 84 bytes of code page 949: over the limit, across a line
# The title is watched in the document's head only: watching the whole document would make the browser
# record every change a page makes to its body, at a cost of its own.
# Every title written is kept, an unchanged one too: a syllable changed in place leaves the count as it was.
WATCH = """
window.__titles = [];
const watch = (head) => new MutationObserver(() => {
  if (!document.title) return;
  const title = [performance.now(), document.title];
  window.__titles.push(title);
  requestAnimationFrame(() => setTimeout(() => title.push(performance.now())));
}).observe(head, { subtree: true, childList: true, characterData: true });
new MutationObserver((_, parsing) => document.head && (parsing.disconnect(), watch(document.head)))
  .observe(document, { subtree: true, childList: true });
for (const type of ['keydown', 'compositionstart', 'compositionupdate', 'beforeinput', 'change'])
  document.addEventListener(type, (event) => (window.__start ??= event.timeStamp), true);
"""
LINE = "가나다라마바사 ok\n"  # 20 bytes in msg.dat, where each line break is CR CR LF
SIZES = 2048, 102400, 1048576
# Resolves once the page has drawn a frame and run every task queued before it, three times over.
QUIET = "const done = arguments[0]; const step = (n) => n ? requestAnimationFrame(() => setTimeout(() => step(n - 1))) : done(); step(3)"
# A syllable as an input method composes it: its first letter, the syllable, then the syllable committed.
COMPOSE = (("ime start", "Input.imeSetComposition", {"text": "ㅎ", "selectionStart": 1, "selectionEnd": 1}),
           ("ime update", "Input.imeSetComposition", {"text": "하", "selectionStart": 1, "selectionEnd": 1}),
           ("ime commit", "Input.insertText", {"text": "하"}))


def report(label, samples):  # each sample a pair: to the title, and to the frame that shows it
    for what, at in (label, 0), ("  drawn", 1):
        page, bare = (statistics.median(sample[at] for sample in samples[name]) for name in ("page", "bare"))
        print(f"{what:10}  page {page:9.2f} ms  bare {bare:9.2f} ms  page/bare {page / bare:.2f}x")


def main(site, runs=30, keys=20):
    site, runs, keys = Path(site).resolve(), int(runs), int(keys)
    pages = {"page": (site / "index.html").as_uri(), "bare": (Path(__file__).parent / "web/bare.html").resolve().as_uri()}
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in "--headless=new", "--no-sandbox", "--window-size=360,640":
        options.add_argument(argument)
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    browser.set_script_timeout(3600)  # a frame with a syllable being composed in 1 MiB takes minutes
    try:
        print(f"web_bench: {browser.capabilities['browserVersion']} headless, {runs} loads and {keys} keys a page")
        browser.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})
        browser.get(pages["bare"])
        # The page keeps its draft as the bytes of its msg.dat, one character a byte; the bare page as text.
        stored = DRAFT.encode("cp949").replace(b"\n", b"\r\r\n").decode("latin-1")
        browser.execute_script("localStorage.setItem('quillet.msg.dat', arguments[0]);"
                               "localStorage.setItem('quillet.draft', arguments[1])", stored, DRAFT)

        def press(key, **fields):  # a key pressed and released, typing `text` if given
            for kind in ("rawKeyDown" if "text" not in fields else "keyDown"), "keyUp":
                fields = fields if kind != "keyUp" else {name: value for name, value in fields.items() if name != "text"}
                browser.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": kind, "key": key, **fields})

        def titled(since):  # the times from `since` to the first title written after it, and to its frame
            find = "const title = window.__titles.find((title) => title[0] >= arguments[0]); return title?.[2] && title"
            while not (title := browser.execute_script(find, since)):
                pass
            return title[0] - since, title[2] - since

        def timed(act):  # `act`, timed from the first event it gives the page
            browser.execute_script("window.__start = null")
            act()
            while (start := browser.execute_script("return window.__start")) is None:
                pass
            return titled(start)

        ready = {name: [] for name in pages}
        for _ in range(runs + 1):  # the first load of each warms the caches and is left out
            for name, url in pages.items():
                browser.get(url)
                ready[name].append(titled(0))
        typed = {}
        for name, url in pages.items():
            browser.get(url)
            titled(0)
            typed[name] = [timed(lambda: press("a", text="a")) for _ in range(keys)]
        for label, samples in ("ready", {name: times[1:] for name, times in ready.items()}), ("keystroke", typed):
            report(label, samples)
        folder = Path(tempfile.mkdtemp())
        for size in SIZES:
            lines = size // len(LINE.encode("cp949").replace(b"\n", b"\r\r\n"))
            files = {"page": folder / "msg.dat", "bare": folder / "msg.txt"}
            files["page"].write_bytes((LINE * lines).encode("cp949").replace(b"\n", b"\r\r\n"))
            files["bare"].write_text(LINE * lines, encoding="utf-8")
            opened, typed = {name: [] for name in pages}, {name: [] for name in pages}
            composed = {label: {name: [] for name in pages} for label, _, _ in COMPOSE}
            for run in range(max(1, runs // 3)):
                for name in pages if run % 2 == 0 else reversed(pages):
                    # No draft: the file is what is shown. Cleared from the bare page, since the page keeps its
                    # own draft again as it is left.
                    browser.get(pages["bare"])
                    browser.execute_script("localStorage.clear()")
                    browser.get(pages[name])
                    titled(0)
                    browser.execute_async_script(QUIET)
                    opened[name].append(timed(lambda: browser.find_element("id", "open").send_keys(str(files[name]))))
                    browser.execute_async_script(QUIET)
                    press("End", code="End", windowsVirtualKeyCode=35, modifiers=2)  # Ctrl+End
                    for _ in range(max(1, keys // 4)):
                        browser.execute_async_script(QUIET)
                        typed[name].append(timed(lambda: press("a", text="a")))
                    if size == SIZES[-1] and run > 0:
                        continue
                    # Each step once the one before is drawn: waiting for more frames, while a syllable is being
                    # composed, would wait through the time each takes in a long text.
                    browser.execute_async_script(QUIET)
                    for label, command, arguments in COMPOSE:
                        composed[label][name].append(timed(lambda: browser.execute_cdp_cmd(command, arguments)))
            print(f"msg.dat of {len(files['page'].read_bytes())} bytes ({lines} lines)")
            report("open", opened)
            report("keystroke", typed)
            for label, samples in composed.items():
                report(label, samples)
        browser.get(pages["bare"])
        browser.execute_script("localStorage.clear()")
    finally:
        browser.quit()
    # What a visit loads, and the bitmaps a browser fetches only to install the page.
    totals = {"visit": 0, "install": 0}
    for path in sorted(site.iterdir()):
        size = len(gzip.compress(path.read_bytes(), 9, mtime=0))
        totals["install" if path.suffix == ".png" else "visit"] += size
        print(f"gzip      {path.name:22} {path.stat().st_size:7} bytes, {size:6} compressed")
    for label, total in totals.items():
        print(f"gzip      {label:22} {total:6} compressed ({total / 1024:.1f} KiB)")
    return 0


if __name__ == "__main__":
    if not 2 <= len(sys.argv) <= 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
