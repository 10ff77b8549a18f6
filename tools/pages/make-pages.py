#!/usr/bin/env python3
"""Writes the program's pages (htm/Lang*/*.htm) from one layout and the
texts of each language, so that every page and language shares one look.

Run it after changing a text or the layout: python3 tools/pages/make-pages.py
The element ids and page names are the ones the dialog works with."""

import html
import os

HERE = os.path.dirname(os.path.abspath(__file__))
HTM = os.path.join(HERE, "..", "..", "htm")

from texts import LANGUAGES  # noqa: E402  (texts.py beside this file)


def esc(text):
    return html.escape(text, quote=False)


def button(element_id, label, primary=False):
    cls = ' class="primary"' if primary else ""
    return f'<button id="{element_id}" type="button"{cls}>{esc(label)}</button>'


def page(t, title, body, buttons, tone=None, icon=None):
    status = ""
    if icon:
        status = f'<div class="status-icon {tone or ""}" aria-hidden="true">{icon}</div>'
    return f"""<!DOCTYPE html>
<html lang="{t['lang']}">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Modem Diagnostic Tool</title>
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


def facts(rows):
    out = ['<table class="facts">']
    for label, element_id, default in rows:
        out.append(f'<tr><th>{esc(label)}</th><td id="{element_id}">{esc(default)}</td></tr>')
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
        (t["modem_name"], "mdmName", "Unknown"),
        (t["driver_version"], "mdmVersion", "Unknown"),
        (t["country"], "mdmCountry", "Unknown"),
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


def main():
    # The shared look (htm/common/style.css and modem.svg) is edited in place.
    for folder, t in LANGUAGES.items():
        target = os.path.join(HTM, folder)
        os.makedirs(target, exist_ok=True)
        for name, text in build(t).items():
            with open(os.path.join(target, name + ".htm"), "w", encoding="utf-8", newline="\n") as out:
                out.write(text)


if __name__ == "__main__":
    main()
