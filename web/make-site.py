#!/usr/bin/env python3
"""Assemble the page: make-site.py SOURCE_DIR RULES_WASM OUTPUT_DIR [FILE...]

Copies the page's files from SOURCE_DIR into OUTPUT_DIR, with the rules' WebAssembly module inlined
into quillet.js (as base64: a page opened from disk may not fetch it), and each further FILE (the
icons) as it is. The service worker gets the list of them all and a version named after their
contents. The same inputs always give the same bytes.
"""
import base64
import hashlib
import sys
from pathlib import Path

PAGE = ["index.html", "quillet.css", "quillet.js", "manifest.webmanifest"]


def main(source, wasm, output, *extra):
    source, output = Path(source), Path(output)
    output.mkdir(parents=True, exist_ok=True)
    files = {name: (source / name).read_bytes() for name in PAGE}
    files["quillet.js"] = files["quillet.js"].replace(
        b"@RULES_WASM_BASE64@", base64.b64encode(Path(wasm).read_bytes()))
    files.update((Path(path).name, Path(path).read_bytes()) for path in extra)
    version = hashlib.sha256(b"".join(name.encode() + b"\0" + data for name, data in sorted(files.items())))
    listed = ", ".join(f"'{name}'" for name in files)
    files["sw.js"] = (source / "sw.js").read_bytes().replace(b"@VERSION@", version.hexdigest()[:16].encode()).replace(
        b"@FILES@", listed.encode())
    for name, data in files.items():
        (output / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
