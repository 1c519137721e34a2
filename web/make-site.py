#!/usr/bin/env python3
"""Assemble the page: make-site.py SOURCE_DIR RULES_WASM OUTPUT_DIR [FILE...]

Writes OUTPUT_DIR/index.html with the style sheet and the script inlined, and the rules' WebAssembly
module inlined into the script as base64 (a page opened from disk may not fetch anything): one file to
load, whose Content-Security-Policy allows exactly that style and that script by their hashes. The script
is the page's modules joined: composer.mjs and those it imports. Beside it go the manifest, the service
worker and each further FILE (the icons) as they are. The service worker gets a version named after the
files' contents and the list of those it keeps for use offline: all but the PNG icons, which a browser
fetches only to install the page, online, and then keeps. The same inputs always give the same bytes.
"""
import base64
import hashlib
import re
import sys
from pathlib import Path

IMPORT = re.compile(r"import \{ ([\w, ]+) \} from '\./(\w+)\.mjs';")
EXPORT = re.compile(r"export (?:async function|function|class|const) (\w+)")


def joined(source, name, done):
    """The script of module `name`, after those it imports that `done` lacks. An inline script cannot
    import, and the policy allows only the page's one: each module's body runs in a function of its own
    that returns what the module exports, and an import takes those by name. An import names a module
    beside it, on a line of its own; an export is a declaration. Lines of comment only are left out: the
    page is a download."""
    done[name] = False  # being joined: a module it imports that imports it back makes a circle
    script, body, exports = "", [], []
    for line in (source / f"{name}.mjs").read_text().splitlines():
        if imported := IMPORT.fullmatch(line):
            names, module = imported.groups()
            if done.get(module) is False:
                sys.exit(f"make-site.py: {name}.mjs and {module}.mjs import each other")
            script += joined(source, module, done) if module not in done else ""
            line = f"const {{ {names} }} = ${module};"
        elif exported := EXPORT.match(line):
            exports.append(exported[1])
            line = line[len("export "):]
        elif line.startswith(("import ", "export ")):
            sys.exit(f"make-site.py: {name}.mjs: cannot join {line!r}")
        elif line.lstrip().startswith("//"):
            continue
        body.append(line)
    done[name] = True
    return script + f"const ${name} = (() => {{\n" + "\n".join(body) + f"\nreturn {{{', '.join(exports)}}};\n}})();\n"


def main(source, wasm, output, *extra):
    source, output = Path(source), Path(output)
    output.mkdir(parents=True, exist_ok=True)
    style = (source / "quillet.css").read_bytes()
    script = f"'use strict';\n{{\n{joined(source, 'composer', {})}}}\n".encode().replace(
        b"@RULES_WASM_BASE64@", base64.b64encode(Path(wasm).read_bytes()))
    allowed = lambda text: b"'sha256-" + base64.b64encode(hashlib.sha256(text).digest()) + b"'"  # noqa: E731
    page = (source / "index.html").read_bytes()
    for marker, value in ((b"@SCRIPT_HASH@", allowed(script)), (b"@STYLE_HASH@", allowed(style)),
                          (b"@QUILLET_CSS@", style), (b"@QUILLET_JS@", script)):
        page = page.replace(marker, value)
    files = {"index.html": page, "manifest.webmanifest": (source / "manifest.webmanifest").read_bytes()}
    files.update((Path(path).name, Path(path).read_bytes()) for path in extra)
    version = hashlib.sha256(b"".join(name.encode() + b"\0" + data for name, data in sorted(files.items())))
    worker = (source / "sw.js").read_bytes().replace(b"@VERSION@", version.hexdigest()[:16].encode())
    kept = ", ".join(f"'{name}'" for name in files if not name.endswith(".png"))
    files["sw.js"] = worker.replace(b"@FILES@", kept.encode())
    for name, data in files.items():
        (output / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
