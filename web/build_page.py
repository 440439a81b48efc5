#!/usr/bin/python3
"""Assembles the page: one HTML file with the style, the page's script, the worker's code and the
engine (JavaScript with its WebAssembly embedded) inlined, so that it works from file:// as from any
static server and fetches nothing.

    build_page.py ENGINE_JS OUTPUT_HTML
"""
import pathlib
import re
import sys

WEB = pathlib.Path(__file__).resolve().parent

# Inside a <script> element the HTML parser ends the element at "</script" whatever the script's own
# syntax says, and "<!--" switches it into a state where a later "<script" changes where it ends. Text
# holding either cannot be inlined as it is.
UNSAFE_IN_SCRIPT = re.compile(r"</script|<!--", re.IGNORECASE)


def inline_text(name, text):
    found = UNSAFE_IN_SCRIPT.search(text)
    if found:
        line = text.count("\n", 0, found.start()) + 1
        sys.exit(f"build_page.py: {name} line {line} holds '{found.group(0)}', which would end or confuse "
                 "the <script> element it is inlined in")
    return text


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip())
    engine_path, output_path = map(pathlib.Path, sys.argv[1:])
    page = (WEB / "index.html").read_text(encoding="utf-8")
    parts = {
        "/*@STYLE@*/": inline_text("style.css", (WEB / "style.css").read_text(encoding="utf-8")),
        "/*@ENGINE@*/": inline_text(str(engine_path), engine_path.read_text(encoding="utf-8")),
        "/*@WORKER@*/": inline_text("worker.js", (WEB / "worker.js").read_text(encoding="utf-8")),
        "/*@APP@*/": inline_text("app.js", (WEB / "app.js").read_text(encoding="utf-8")),
    }
    for marker, text in parts.items():
        if page.count(marker) != 1:
            sys.exit(f"build_page.py: index.html must hold {marker} once")
        page = page.replace(marker, text, 1)
    output_path.parent.mkdir(parents=True, exist_ok=True)
    output_path.write_text(page, encoding="utf-8")
    print(f"build_page.py: wrote {output_path} ({output_path.stat().st_size / 1e6:.1f} MB)")


if __name__ == "__main__":
    main()
