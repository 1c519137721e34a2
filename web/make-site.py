#!/usr/bin/env python3
"""Assemble the page: make-site.py SOURCE_DIR RULES_WASM OUTPUT_DIR

Copies the page's files from SOURCE_DIR, with the rules' WebAssembly module inlined into quillet.js
(as base64: a page opened from disk may not fetch it), into OUTPUT_DIR. The same inputs always give
the same bytes.
"""
import base64
import sys
from pathlib import Path

FILES = ["index.html", "quillet.css", "quillet.js"]


def main(source, wasm, output):
    source, output = Path(source), Path(output)
    output.mkdir(parents=True, exist_ok=True)
    rules = base64.b64encode(Path(wasm).read_bytes()).decode("ascii")
    for name in FILES:
        data = (source / name).read_bytes()
        if name == "quillet.js":
            data = data.replace(b"@RULES_WASM_BASE64@", rules.encode("ascii"))
        (output / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
