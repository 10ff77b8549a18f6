#!/usr/bin/env python3
"""Writes the program's pages (htm/Lang*/*.htm) from one layout and the
texts of each language, and their style sheet (htm/common/style.css) from
style.css beside this file, so that every page and language shares one look.

Run it after changing a text, the layout or the style sheet:
    python3 tools/pages/make-pages.py [HTM]   (HTM: the folder written, default htm/)
The element ids and page names are the ones the dialog works with."""

import html
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
HTM = os.path.join(HERE, "..", "..", "htm")

from texts import LANGUAGES  # noqa: E402  (the texts package beside this file)

# Runs of Latin letters and digits (file and folder names, abbreviations,
# numbers) inside a right-to-left text: each is kept left to right as a
# whole, so that "Tarn\Ravlin" or "Ravlin_Trace.trc" do not come apart.
LATIN_RUN = re.compile(r"[A-Za-z0-9](?:[A-Za-z0-9_.\\/:\-]| (?=[A-Za-z0-9]))*[A-Za-z0-9]|[A-Za-z0-9]")

# The language's writing direction, set by make(): every text of a page
# goes through esc().
_direction = "ltr"


def esc(text):
    if _direction != "rtl":
        return html.escape(text, quote=False)
    out, at = [], 0
    for run in LATIN_RUN.finditer(text):
        out.append(html.escape(text[at:run.start()], quote=False))
        out.append(f'<span dir="ltr">{html.escape(run.group(0), quote=False)}</span>')
        at = run.end()
    out.append(html.escape(text[at:], quote=False))
    return "".join(out)


def button(element_id, label, primary=False):
    cls = ' class="primary"' if primary else ""
    return f'<button id="{element_id}" type="button"{cls}>{esc(label)}</button>'


def page(t, title, body, buttons, tone=None, icon=None):
    direction = ' dir="rtl"' if t.get("dir") == "rtl" else ""
    status = ""
    if icon:
        status = f'<div class="status-icon {tone or ""}" aria-hidden="true">{icon}</div>'
    return f"""<!DOCTYPE html>
<html lang="{t['lang']}"{direction}>
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{esc(t['applet_name'])}</title>
<link rel="stylesheet" href="../common/style.css">
</head>
<body>
<main>
<header>
<img src="../common/modem.svg" alt="">
<div>
<div class="product">{esc(t['product'])}</div>
<h1>{esc(title)}</h1>
</div>
</header>
{status}
{body}
<div class="buttons">
{chr(10).join(buttons)}
</div>
</main>
</body>
</html>
"""


# Values the dialog fills in that read left to right in every language: the
# modem's own name and version, the program's version and date.
LEFT_TO_RIGHT = {"mdmName", "mdmVersion", "swVersion", "swReleaseDate"}


def facts(rows):
    out = ['<table class="facts">']
    for label, element_id, default in rows:
        direction = ' dir="ltr"' if element_id in LEFT_TO_RIGHT else ""
        out.append(f'<tr><th>{esc(label)}</th><td id="{element_id}"{direction}>{esc(default)}</td></tr>')
    out.append("</table>")
    return "\n".join(out)


def paragraphs(items):
    return "\n".join(f"<p>{esc(p)}</p>" for p in items)


def bullets(items, ordered=False):
    tag = "ol" if ordered else "ul"
    return f"<{tag}>" + "".join(f"<li>{esc(i)}</li>" for i in items) + f"</{tag}>"


def verdict(tone, headline, lines):
    return f'<div class="verdict {tone}"><p><strong>{esc(headline)}</strong></p>{paragraphs(lines)}</div>'


def modem_facts(t):
    return facts([
        (t["modem_name"], "mdmName", t["unknown"]),
        (t["driver_version"], "mdmVersion", t["unknown"]),
        (t["country"], "mdmCountry", t["unknown"]),
    ])


# The engine stage each listed check belongs to: the start stage does the
# first two (device status and files, then the modem's reset), then the card
# test and the dial tone test.
STEP_STAGES = [0, 0, 1, 3]

# Marks the checks as the dialog reports the engine's stage in #testStage:
# those of earlier stages done, those of the current stage running.
STEP_SCRIPT = """<script>
(function () {
  var stage = document.getElementById('testStage');
  function show() {
    var now = parseInt(stage.textContent, 10);
    if (isNaN(now)) return;
    var items = document.querySelectorAll('.steps li[data-stage]');
    for (var i = 0; i < items.length; i++) {
      var own = parseInt(items[i].getAttribute('data-stage'), 10);
      items[i].className = own < now ? 'done' : (own === now ? 'now' : '');
    }
  }
  new MutationObserver(show).observe(stage, { childList: true, characterData: true, subtree: true });
  show();
})();
</script>"""


def progress_steps(steps):
    items = "".join(f'<li data-stage="{stage}">{esc(s)}</li>' for s, stage in zip(steps, STEP_STAGES))
    return f'<ul class="steps">{items}</ul><span id="testStage" hidden></span>' + STEP_SCRIPT


def build(t):
    b = t["buttons"]
    pages = {}
    pages["start"] = page(t, t["start_title"],
        paragraphs(t["start_intro"]) + modem_facts(t) + bullets(t["start_steps"], ordered=True)
        + f'<p class="note">{esc(t["start_note"])}</p>',
        [button("ButtonSpecial", b["about"]), button("ButtonCancel", b["exit"]),
         button("ButtonOK", b["start"], primary=True)])
    pages["progress"] = page(t, t["progress_title"],
        paragraphs(t["progress_intro"]) + '<div class="progress" role="progressbar" aria-busy="true"><span></span></div>'
        + modem_facts(t) + progress_steps(t["progress_steps"])
        + f'<p class="note">{esc(t["progress_note"])}</p>',
        [button("ButtonCancel", b["stop"])])
    pages["starterr"] = page(t, t["starterr_title"],
        verdict("bad", t["starterr_head"], t["starterr_lines"]) + bullets(t["starterr_todo"]),
        [button("ButtonCancel", b["exit"]), button("ButtonOK", b["details"], primary=True)], "bad", "&#x2716;")
    for code in range(5):
        r = t["res"][code]
        # The no-dial-tone page offers no details: its special button would
        # lead to the hardware page. The port-in-use page only ends the
        # program, since the test cannot go on until the port is free.
        buttons = [] if code == 1 else [button("ButtonSpecial", b["details"])]
        if code == 4:
            buttons = [button("ButtonOK", b["exit"], primary=True)]
        else:
            buttons.append(button("ButtonCancel", b["exit"]))
            buttons.append(button("ButtonOK", b["back_start"], primary=True))
        icon = {"good": "&#x2714;", "warn": "&#x26A0;", "bad": "&#x2716;"}[r["tone"]]
        pages[f"res{code}"] = page(t, r["title"],
            verdict(r["tone"], r["head"], r["lines"]) + modem_facts(t) + f"<h2>{esc(t['what_to_do'])}</h2>"
            + bullets(r["todo"]),
            buttons, r["tone"], icon)
    for code in range(4):
        c = t["code"][code]
        pages[f"code{code}"] = page(t, c["title"], paragraphs(c["lines"]) + bullets(c["items"]),
            [button("ButtonCancel", b["exit"]), button("ButtonOK", b["back"], primary=True)])
    pages["about"] = page(t, t["about_title"],
        paragraphs(t["about_intro"]) + facts([
            (t["sw_version"], "swVersion", ""),
            (t["release_date"], "swReleaseDate", ""),
        ]) + f'<p class="note">{esc(t["about_note"])}</p>',
        [button("ButtonCancel", b["exit"]), button("ButtonOK", b["back"], primary=True)])
    return pages


CUSTOM_PROPERTY = re.compile(r"^\s*(--[\w-]+)\s*:\s*([^;]+?)\s*;?\s*$")
VAR = re.compile(r"var\(\s*(--[\w-]+)\s*(?:,\s*([^()]*))?\)")
ROOT_BLOCK = re.compile(r":root\s*\{([^}]*)\}\s*", re.S)
# What the system's browser control on Windows would drop: then the
# declaration it stands in is lost there.
NOT_IN_THE_BROWSER_CONTROL = re.compile(r"var\(|--[\w-]+\s*:|\b(?:clamp|min|max)\(|(?<![\w-])(?:row-|column-)?gap\s*:")


def compile_style(source):
    """The style sheet with its custom properties (those of :root) put in
    place; a property used but not defined, or anything left that the
    browser control cannot read, is an error."""
    values = {}
    root = ROOT_BLOCK.search(source)
    if root:
        for line in root.group(1).split(";"):
            match = CUSTOM_PROPERTY.match(line + ";") if line.strip() else None
            if match:
                values[match.group(1)] = match.group(2)
        source = source[:root.start()] + source[root.end():]

    def value(match):
        if match.group(1) in values:
            return values[match.group(1)]
        if match.group(2) is not None:
            return match.group(2).strip()
        raise SystemExit(f"style.css: {match.group(1)} is used but not defined in :root")

    out = VAR.sub(value, source)
    # Comments blanked out, their line breaks kept for the line numbers.
    code = re.sub(r"/\*.*?\*/", lambda c: "\n" * c.group(0).count("\n"), out, flags=re.S)
    for number, line in enumerate(code.split("\n"), 1):
        if NOT_IN_THE_BROWSER_CONTROL.search(line):
            raise SystemExit(f"style.css: line {number} of the written sheet cannot be read by the browser control: {line.strip()}")
    # The source's opening comment speaks of itself; the written sheet
    # names its source instead.
    out = re.sub(r"^\s*/\*.*?\*/\s*", "", out, count=1, flags=re.S)
    return ("/* The pages' look, written by tools/pages/make-pages.py from tools/pages/style.css:\n"
            "   edit that one and run the script again. */\n" + out)


def make(folder, t):
    global _direction
    _direction = t.get("dir", "ltr")
    try:
        return build(t)
    finally:
        _direction = "ltr"


def main(htm=HTM):
    # The picture (htm/common/modem.svg) is edited in place.
    with open(os.path.join(HERE, "style.css"), encoding="utf-8") as f:
        style = compile_style(f.read())
    os.makedirs(os.path.join(htm, "common"), exist_ok=True)
    with open(os.path.join(htm, "common", "style.css"), "w", encoding="utf-8", newline="\n") as out:
        out.write(style)
    for folder, t in LANGUAGES.items():
        target = os.path.join(htm, folder)
        os.makedirs(target, exist_ok=True)
        for name, text in make(folder, t).items():
            with open(os.path.join(target, name + ".htm"), "w", encoding="utf-8", newline="\n") as out:
                out.write(text)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else HTM)
