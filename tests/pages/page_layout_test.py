#!/usr/bin/env python3
"""Every page of every language in headless Chromium, with the style sheet
the pages use everywhere (htm/common/style.css, the same one the system's
browser control on Windows reads): the sheet holds no custom property, and
at the maximised dialog's size, in an 800 x 600 window and in a narrow one
nothing is cut off, sticks out of the card or overlaps, and nothing
scrolls sideways.

The start page of each language is kept as a screenshot in the artifacts,
at each size, and the small ones are put together into one contact sheet
(contact-sheet.png, with ImageMagick's montage).

    python3 tests/pages/page_layout_test.py --artifacts build/artifacts/pages
"""

import argparse
import functools
import http.server
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ARGS = None

# The browser control's client area: the dialog maximised on a 1920 x 1080
# screen (less caption and taskbar), an 800 x 600 window (less frame,
# caption and the vertical scroll bar a long page has there), and a narrow
# one, where the longest compound words have to break.
SIZES = {"maximised": (1920, 1017), "small": (767, 561), "narrow": (340, 500)}

# What the dialog fills in on the default machine, the longest of the
# built-in machines' texts.
DIALOG_TEXTS = {
    "mdmName": "Tarn HDA56 Soft Data Fax Modem",
    "mdmVersion": "7.80.4.0",
    "mdmCountry": "United States of America",
    "swVersion": "1.0.22",
    "swReleaseDate": "2026-12-09",
}

# Run in the page: the dialog's texts put in place, then every problem found.
CHECK = r"""
var texts = arguments[0], problems = [];
for (var id in texts) {
  var el = document.getElementById(id);
  if (el) el.innerText = texts[id];
}
function describe(el) {
  var text = (el.innerText || '').replace(/\s+/g, ' ').slice(0, 40);
  return el.tagName.toLowerCase() + (el.id ? '#' + el.id : '') + (el.className ? '.' + el.className : '') +
    ' "' + text + '"';
}
// The style sheet: loaded, and without custom properties.
var rules = 0;
function scan(list) {
  for (var i = 0; i < list.length; i++) {
    var rule = list[i];
    if (rule.cssRules) scan(rule.cssRules);
    if (!rule.style) continue;
    rules++;
    for (var j = 0; j < rule.style.length; j++) {
      if (rule.style[j].indexOf('--') === 0) problems.push('custom property ' + rule.style[j] + ' in ' + rule.selectorText);
    }
    if (/var\(/.test(rule.cssText)) problems.push('var() in ' + rule.cssText);
  }
}
for (var s = 0; s < document.styleSheets.length; s++) scan(document.styleSheets[s].cssRules);
if (rules < 20) problems.push('the style sheet is not applied (' + rules + ' rules)');
var inline = document.querySelectorAll('[style]');
for (var k = 0; k < inline.length; k++) {
  if (/--|var\(/.test(inline[k].getAttribute('style'))) problems.push('custom property in ' + describe(inline[k]));
}
// Sideways scrolling and boxes out of the card.
var root = document.documentElement;
if (root.scrollWidth > root.clientWidth + 1) problems.push('the page scrolls sideways: ' + root.scrollWidth + ' > ' + root.clientWidth);
var main = document.querySelector('main').getBoundingClientRect();
var all = document.querySelectorAll('main *');
var leaves = [];
for (var i = 0; i < all.length; i++) {
  var el = all[i], r = el.getBoundingClientRect(), style = getComputedStyle(el);
  if (!r.width || !r.height || style.display === 'none' || el.closest('.progress')) continue;
  if (r.left < main.left - 0.5 || r.right > main.right + 0.5) problems.push('out of the card: ' + describe(el));
  // Cut off: content larger than a box that does not show its overflow, or
  // than a button (whose label would run over its edge).
  var clips = style.overflowX !== 'visible' || style.overflowY !== 'visible' || el.tagName === 'BUTTON';
  if (clips && (el.scrollWidth > el.clientWidth + 1 || el.scrollHeight > el.clientHeight + 1)) problems.push('cut off: ' + describe(el));
  if (/^(H1|H2|P|LI|TH|TD|BUTTON|IMG)$/.test(el.tagName) || /product|status-icon|progress/.test(el.className)) leaves.push(el);
}
// Text lines outside the card.
var walker = document.createTreeWalker(document.querySelector('main'), NodeFilter.SHOW_TEXT);
while (walker.nextNode()) {
  var range = document.createRange();
  range.selectNodeContents(walker.currentNode);
  var lines = range.getClientRects();
  for (var l = 0; l < lines.length; l++) {
    if (lines[l].left < main.left - 0.5 || lines[l].right > main.right + 0.5) {
      problems.push('text out of the card: "' + walker.currentNode.data.trim().slice(0, 40) + '"');
      break;
    }
  }
}
// Boxes on top of each other (one inside another is no overlap).
for (var a = 0; a < leaves.length; a++) {
  for (var b = a + 1; b < leaves.length; b++) {
    var x = leaves[a], y = leaves[b];
    if (x.contains(y) || y.contains(x)) continue;
    var p = x.getBoundingClientRect(), q = y.getBoundingClientRect();
    var w = Math.min(p.right, q.right) - Math.max(p.left, q.left);
    var h = Math.min(p.bottom, q.bottom) - Math.max(p.top, q.top);
    if (w > 1 && h > 1) problems.push('overlap: ' + describe(x) + ' and ' + describe(y));
  }
}
return problems;
"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class PageLayoutTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        handler = functools.partial(QuietHandler, directory=ARGS.htm)
        cls.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        cls.base = f"http://127.0.0.1:{cls.server.server_address[1]}"
        options = Options()
        options.binary_location = ARGS.chromium
        cls.profile = tempfile.mkdtemp(prefix="ravlin-pages-")
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--hide-scrollbars",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     f"--user-data-dir={cls.profile}"):
            options.add_argument(flag)
        cls.browser = webdriver.Chrome(service=Service(ARGS.chromedriver), options=options)
        os.makedirs(ARGS.artifacts, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.server.shutdown()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def folders(self):
        return sorted(f for f in os.listdir(ARGS.htm) if re.fullmatch(r"Lang[0-9a-f]{4}", f))

    def test_every_page_fits_at_every_size(self):
        problems = []
        for size, (width, height) in SIZES.items():
            self.browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                         {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
            for folder in self.folders():
                pages = sorted(f for f in os.listdir(os.path.join(ARGS.htm, folder)) if f.endswith(".htm"))
                for page in pages:
                    self.browser.get(f"{self.base}/{folder}/{page}")
                    found = self.browser.execute_script(CHECK, DIALOG_TEXTS)
                    problems += [f"{folder}/{page} ({size}): {p}" for p in found]
                    if page == "start.htm":
                        self.browser.save_screenshot(os.path.join(ARGS.artifacts, f"{folder}-start-{size}.png"))
        self.assertGreater(len(self.folders()), 0)
        self.assertEqual([], problems)

    def test_every_language_has_a_font(self):
        # Without one the screenshots show empty boxes; tools/install-deps.sh
        # installs them.
        missing = []
        for folder in self.folders():
            with open(os.path.join(ARGS.htm, folder, "start.htm"), encoding="utf-8") as f:
                lang = re.search(r'<html lang="([^"]+)"', f.read()).group(1).lower()
            found = subprocess.run(["fc-list", f":lang={lang}", "family"], capture_output=True, text=True).stdout
            if not found.strip():
                missing.append(f"{folder} ({lang})")
        self.assertEqual([], missing, "no font for these languages")

    @classmethod
    def contact_sheet(cls):
        """One picture of every language's start page in a small window."""
        montage = shutil.which("montage")
        shots = sorted(os.path.join(ARGS.artifacts, f) for f in os.listdir(ARGS.artifacts)
                       if f.endswith("-start-small.png"))
        if not montage or not shots:
            print("no contact sheet: " + ("ImageMagick's montage is missing" if not montage else "no screenshots"),
                  file=sys.stderr)
            return
        # montage's own default font may not be installed; any font of the
        # system will do for the folder names.
        font = subprocess.run(["fc-match", "-f", "%{file}", "sans"], capture_output=True, text=True).stdout
        labelled = ["-font", font] if font else []
        for shot in shots:
            folder = os.path.basename(shot).split("-")[0]
            with open(os.path.join(ARGS.htm, folder, "start.htm"), encoding="utf-8") as f:
                lang = re.search(r'<html lang="([^"]+)"', f.read()).group(1)
            labelled += ["-label", f"{folder} {lang}", shot]
        subprocess.run([montage, *labelled, "-tile", "6x", "-geometry", "392x281+8+8", "-pointsize", "14",
                        os.path.join(ARGS.artifacts, "contact-sheet.png")], check=True)


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--htm", default=os.path.join(ROOT, "htm"))
    parser.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver") or "/usr/bin/chromedriver")
    ARGS, rest = parser.parse_known_args()
    ARGS.artifacts = os.path.abspath(ARGS.artifacts)
    ARGS.htm = os.path.abspath(ARGS.htm)
    result = unittest.main(argv=[sys.argv[0]] + rest, verbosity=2, exit=False).result
    PageLayoutTest.contact_sheet()
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
