# The page in headless Chromium (Debian's chromium, chromium-driver and python3-selenium), a fresh
# profile for every case, opened from disk or from an http server on localhost (a secure context, as
# the clipboard needs). A msg.dat in the case's directory is opened through the page's file button at
# start; Esc, which saves and closes the programs, saves through its save button here, a download
# into that directory. The browser is quit when the case ends: quit at once, Chromium may take back
# a download that already has its name. Needs no display.
import contextlib
import functools
import http.server
import re
import threading
import time

from composer import Composer
from harness import SERVED_PAGE, wait_for

# The marks as drawn behind the text area: the text under a tint, and each run under an underline; then the
# text, height and scroll of the mirror that draws them, and of the text area, which they follow.
MARKS = """const mirror = document.getElementById('marks'), editor = document.getElementById('message');
const drawn = (node, seen) => node !== mirror && (seen(getComputedStyle(node)) || drawn(node.parentElement, seen));
let past = '', runs = [], risky = false;
for (const walk = document.createTreeWalker(mirror, NodeFilter.SHOW_TEXT); walk.nextNode(); ) {
  const text = walk.currentNode, after = risky;
  if (drawn(text.parentElement, (style) => style.backgroundColor !== 'rgba(0, 0, 0, 0)')) past += text.data;
  risky = drawn(text.parentElement, (style) => style.textDecorationLine === 'underline');
  if (risky) after ? (runs[runs.length - 1] += text.data) : runs.push(text.data);
}
return [past, runs, ...[[mirror, mirror.textContent], [editor, editor.value]].map(([box, text]) =>
  [text, box.scrollHeight, box.scrollTop])];"""

# Each change of the spoken count since the first call, with the time since the change of the text before it.
SPOKEN = """if (!window.spoke) {
  let change = 0;
  document.addEventListener('input', () => (change = performance.now()), true);
  window.spoke = [];
  new MutationObserver(() => spoke.push([spoken.textContent, (performance.now() - change) / 1000]))
    .observe(document.getElementById('spoken'), { childList: true, characterData: true, subtree: true });
}
return spoke;"""


# The server answers index.html with a move to its folder, as hosts with clean addresses do: the page
# is served at the folder's address, the one the installed app starts at.
class Site(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if not self.path.endswith("/index.html"):
            return super().do_GET()
        self.send_response(301)
        self.send_header("Location", self.path[:-len("index.html")])
        self.end_headers()

    def log_message(self, *args):
        pass


class PageComposer(Composer):
    lone_cr = ""  # a text area would make a line break of it
    server = None

    @staticmethod
    def prepare(options, port=0):
        PageComposer.url = options.exe.as_uri()
        if options.front_end == SERVED_PAGE:
            site = functools.partial(Site, directory=options.exe.parent)
            PageComposer.server = http.server.ThreadingHTTPServer(("127.0.0.1", port), site)
            threading.Thread(target=PageComposer.server.serve_forever, daemon=True).start()
            PageComposer.url = f"http://localhost:{PageComposer.server.server_port}/"

    @staticmethod
    def finish(options):
        if PageComposer.server:
            PageComposer.server.shutdown()
            PageComposer.server.server_close()

    @contextlib.contextmanager
    def offline(self):  # the server stopped for a while
        port = self.server.server_port
        self.finish(self.options)
        yield
        self.prepare(self.options, port)

    def start(self, page=""):  # served, `page` is an address relative to the folder's
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
        self.process.get(self.url + page)
        if self.msg_dat.exists():
            self.process.find_element("id", "open").send_keys(str(self.msg_dat))

    def cdp(self, command, **arguments):
        return self.process.execute_cdp_cmd(command, arguments)

    def script(self, code, *args):
        return self.process.execute_async_script(f"(async () => {{ {code} }})().then(arguments[{len(args)}])", *args)

    def wait_caption(self, text):
        wait_for(lambda: self.script("return [document.title, document.getElementById('caption').textContent]"),
                 [text, text].__eq__, f"title and caption, not {text!r}")

    def text(self):
        return self.enc(self.script("return document.getElementById('message').value"))

    def marks(self):  # once the mirror holds the text area's text, scrolled as it is
        return tuple(wait_for(lambda: self.script(MARKS), lambda marks: marks[2] == marks[3],
                              "the mirror of the text area's text, height and scroll")[:2])

    def notes(self):
        return self.script("const note = document.getElementById('note'); return note.checkVisibility() ? [note.textContent] : []")

    def heard(self):  # from Chromium's accessibility tree, in the page's order
        tree = self.cdp("Accessibility.getFullAXTree")["nodes"]
        nodes = {node["nodeId"]: node for node in tree}
        walk = lambda node: [node] + [seen for child in node.get("childIds", ()) for seen in walk(nodes[child])]
        said = lambda node: "".join(seen["name"]["value"] for seen in walk(node)
                                    if seen["role"]["value"] == "StaticText" and not seen["ignored"])
        seen = walk(tree[0])
        live = [said(node) for node in seen if any(p["name"] == "live" for p in node.get("properties", ()))]
        box = next(node for node in seen if node["role"]["value"] == "textbox")
        return box["description"]["value"], live, self.script(SPOKEN)

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

    def compose(self, text):
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

    def key(self, *keys):  # Escape saves, as it saves and closes the programs
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
