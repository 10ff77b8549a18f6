#!/usr/bin/env python3
"""Click-to-page benchmark: how long from a click on a page button until the
next page is shown, in headless Chromium, on the default machine.

    /usr/bin/python3 tools/click-bench.py [--program build/bin/Ravlin] [--rounds 10]

The clock is the browser's own: a click handler notes the time of the click;
the next page gives the request for its HTML, the HTML's arrival and the
moment it is shown (the frame after it is in the document when the bridge
puts it in place, its first contentful paint after a real navigation). A round trips
start -> about -> start (two clicks that only change the page); the last
click is "Start test" (start -> progress), with the engine starting behind
it. Prints every click's split and the median; exit status 0 when the
median is below --goal milliseconds (150), 1 otherwise."""

import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Notes the click's time, and the moment the next page (arguments[0]) is on
# screen when the bridge puts it in place of this one: the frame after its
# heading is in the document.
NOTE_CLICK = """
var target = '/' + arguments[0] + '.htm';
sessionStorage.removeItem('shownAt');
document.addEventListener('click', function () {
  sessionStorage.setItem('clickAt', String(performance.timeOrigin + performance.now()));
}, true);
var seen = false;
new MutationObserver(function () {
  if (seen || !location.pathname.endsWith(target) || !document.querySelector('h1')) return;
  seen = true;
  requestAnimationFrame(function () { setTimeout(function () {
    sessionStorage.setItem('shownAt', String(performance.timeOrigin + performance.now()));
  }, 0); });
}).observe(document, { childList: true, subtree: true });
"""

# The page's figures: in place (the fetch of its HTML and the frame it was
# shown in) or, after a real navigation, its navigation and first paint.
READ_PAGE = """
var target = '/' + arguments[0] + '.htm', origin = performance.timeOrigin;
var clickAt = parseFloat(sessionStorage.getItem('clickAt'));
var shownAt = sessionStorage.getItem('shownAt');
var fetched = performance.getEntriesByType('resource').filter(function (r) {
  return r.name.split('?')[0].endsWith(target); }).pop();
if (shownAt && fetched && origin < clickAt)
  return {clickAt: clickAt, requestStart: origin + fetched.startTime, responseEnd: origin + fetched.responseEnd,
          shown: parseFloat(shownAt), how: 'in place'};
var nav = performance.getEntriesByType('navigation')[0];
var paint = performance.getEntriesByType('paint').filter(function (p) {
  return p.name === 'first-contentful-paint'; })[0];
if (!nav || !paint || origin < clickAt) return null;
return {clickAt: clickAt, requestStart: origin, responseEnd: origin + nav.responseEnd,
        shown: origin + paint.startTime, how: 'navigation'};
"""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "bin", "Ravlin"))
    parser.add_argument("--machine", default="default")
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--goal", type=float, default=150.0, help="milliseconds the median must stay below")
    parser.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver") or "/usr/bin/chromedriver")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="ravlin-bench-")
    env = dict(os.environ, RAVLIN_MACHINE=args.machine, RAVLIN_BROWSER="none")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    program = subprocess.Popen([os.path.abspath(args.program)], cwd=work, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    line = program.stdout.readline()
    if "http://" not in line:
        print("Ravlin did not start:", line, file=sys.stderr)
        return 2
    address = line[line.index("http://"):].strip()

    options = Options()
    options.binary_location = args.chromium
    profile = tempfile.mkdtemp(prefix="ravlin-chromium-")
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--window-size=1024,800", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    browser = webdriver.Chrome(service=Service(args.chromedriver), options=options)
    wait = WebDriverWait(browser, 30, poll_frequency=0.02)
    splits = []
    try:
        browser.get(address)

        def on_page(name):
            wait.until(lambda b: b.current_url.split("?")[0].endswith(f"/{name}.htm")
                       and b.execute_script("return document.readyState") == "complete")

        def click(element_id, name):
            # The bridge binds the buttons once the page has told the dialog
            # it is loaded; until then a click is refused.
            wait.until(lambda b: b.execute_script(
                "return !!document.getElementById(arguments[0])", element_id))
            time.sleep(0.3)  # let the page settle: its bridge binds, the poll starts
            browser.execute_script(NOTE_CLICK, name)
            browser.find_element(By.ID, element_id).click()
            on_page(name)
            figures = wait.until(lambda b: b.execute_script(READ_PAGE, name))
            splits.append({
                "click": f"{element_id} -> {name}",
                "how": figures["how"],
                "to request": figures["requestStart"] - figures["clickAt"],
                "to html": figures["responseEnd"] - figures["clickAt"],
                "to shown": figures["shown"] - figures["clickAt"],
            })

        on_page("start")
        wait.until(lambda b: b.find_element(By.ID, "mdmName").text not in ("", "Unknown"))
        for _ in range(args.rounds):
            click("ButtonSpecial", "about")
            click("ButtonOK", "start")
        click("ButtonOK", "progress")
    finally:
        browser.quit()
        program.kill()
        program.wait()
        shutil.rmtree(profile, ignore_errors=True)
        shutil.rmtree(work, ignore_errors=True)

    print(f"{'click':28} {'page comes':11} {'to request':>10} {'to html':>8} {'to shown':>9}   (ms after the click)")
    for s in splits:
        print(f"{s['click']:28} {s['how']:11} {s['to request']:10.0f} {s['to html']:8.0f} {s['to shown']:9.0f}")
    median = statistics.median(s["to shown"] for s in splits)
    print(f"click to page shown: median {median:.0f} ms, worst {max(s['to shown'] for s in splits):.0f} ms "
          f"over {len(splits)} clicks")
    print(json.dumps({"median_ms": round(median, 1)}))
    return 0 if median < args.goal else 1


if __name__ == "__main__":
    sys.exit(main())
