#!/usr/bin/env python3
"""Assemble the page: make-site.py ESBUILD SOURCE_DIR RULES_WASM OUTPUT_DIR [FILE...]

Writes OUTPUT_DIR/index.html with the style sheet and the script inlined, and the rules' WebAssembly
module inlined into the script as base64 (a page opened from disk may not fetch anything): one file to
load, whose Content-Security-Policy allows exactly that style and that script by their hashes. An inline
script cannot import, and the policy allows only the page's one: the script is the page's modules
(composer.mjs and those it imports) bundled into one by ESBUILD, without their comments, as the download
it is. Beside it go the manifest, the service worker and each further FILE (the icons) as they are. The service worker gets a version named after the
files' contents and the list of those it keeps for use offline: all but the PNG icons, which a browser
fetches only to install the page, online, and then keeps. The same inputs always give the same bytes.
"""
import base64
import hashlib
import subprocess
import sys
from pathlib import Path


def main(esbuild, source, wasm, output, *extra):
    source, output = Path(source), Path(output)
    output.mkdir(parents=True, exist_ok=True)
    style = (source / "quillet.css").read_bytes()
    script = subprocess.run([esbuild, source / "composer.mjs", "--bundle", "--format=iife", "--target=es2022",
                             "--charset=utf8", "--legal-comments=none", "--minify-whitespace", "--minify-syntax",
                             "--banner:js='use strict';", "--log-level=warning"],
                            check=True, capture_output=True).stdout.replace(
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
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
