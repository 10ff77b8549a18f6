#!/usr/bin/env python3
"""Runs one diagnosis without a browser: starts Ravlin on a machine, plays
the browser's part through the page bridge (docs/bridge.md), clicks
"Start test", waits for the verdict page, prints it and the trace file.

    python3 tools/diagnose.py [--machine NAME_OR_FOLDER] [--program build/bin/Ravlin]

Exit code: 0 when a verdict page was reached, 1 otherwise."""

import argparse
import html
import json
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
from html.parser import HTMLParser

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


class PageTexts(HTMLParser):
    """The inner text of every element with an id, and the page's h1."""

    def __init__(self):
        super().__init__()
        self.stack = []
        self.texts = {}
        self.heading = ""
        self.paragraphs = []
        self._in_h1 = False
        self._in_p = False

    def handle_starttag(self, tag, attrs):
        element_id = dict(attrs).get("id")
        if element_id:
            self.texts.setdefault(element_id, "")
        if tag not in ("br", "img", "meta", "link", "input"):
            self.stack.append(element_id)
        self._in_h1 = self._in_h1 or tag == "h1"
        if tag in ("p", "li"):
            self._in_p = True
            self.paragraphs.append("")

    def handle_endtag(self, tag):
        if self.stack:
            self.stack.pop()
        if tag == "h1":
            self._in_h1 = False
        if tag in ("p", "li"):
            self._in_p = False

    def handle_data(self, data):
        for element_id in self.stack:
            if element_id:
                self.texts[element_id] += data
        if self._in_h1:
            self.heading += data
        if self._in_p and self.paragraphs:
            self.paragraphs[-1] += data


class Bridge:
    def __init__(self, address):
        match = re.match(r"(http://127\.0\.0\.1:\d+)/\?token=(\w+)", address)
        if not match:
            raise SystemExit(f"not a Ravlin address: {address}")
        self.base, self.token = match.groups()

    def request(self, path, body=None):
        req = urllib.request.Request(self.base + path, headers={"X-Ravlin-Token": self.token})
        if body is not None:
            req.data = json.dumps(body).encode()
            req.add_header("Content-Type", "application/json")
        try:
            with urllib.request.urlopen(req, timeout=40) as answer:
                return answer.read()
        except urllib.error.HTTPError as error:
            return error.read()

    def call(self, path, body=None):
        return json.loads(self.request(path, body))

    def page(self, url):
        parser = PageTexts()
        parser.feed(self.request(url).decode("utf-8", "replace"))
        return parser

    def settle(self, state):
        """Loads every page the dialog goes to, as a browser would."""
        while state["pending"] and not state["ended"]:
            texts = self.page(state["url"]).texts
            state = self.call("/bridge/loaded", {"url": state["url"], "texts": texts})["state"]
        return state

    def wait_for(self, state, done, seconds):
        deadline = time.time() + seconds
        while not done(state) and not state["ended"] and time.time() < deadline:
            state = self.settle(self.call(f"/bridge/events?since={state['version']}&wait=2000"))
        return state


def page_name(state):
    return os.path.splitext(os.path.basename(state["url"]))[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", default=os.environ.get("RAVLIN_MACHINE", "default"))
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "bin", "Ravlin"))
    parser.add_argument("--timeout", type=float, default=120.0, help="seconds to wait for the verdict")
    parser.add_argument("--expect", help="the verdict page the run must reach (e.g. res0); exit 1 otherwise")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="ravlin-diagnose-")
    env = dict(os.environ, RAVLIN_MACHINE=args.machine, RAVLIN_BROWSER="none")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    program = subprocess.Popen([args.program], cwd=work, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    address = program.stdout.readline().strip()
    if "http://" not in address:
        program.wait(timeout=10)
        print("Ravlin did not start:", address, program.stderr.read(), file=sys.stderr)
        return 1
    bridge = Bridge(address[address.index("http://"):])

    started = time.time()
    state = bridge.settle(bridge.call("/bridge/state"))
    state = bridge.wait_for(state, lambda s: s["texts"].get("mdmName", "Unknown") != "Unknown"
                            or page_name(s) != "start", 30)
    print(f"machine:  {args.machine}")
    print(f"modem:    {state['texts'].get('mdmName', '')}")
    print(f"driver:   {state['texts'].get('mdmVersion', '')}")
    print(f"country:  {state['texts'].get('mdmCountry', '')}")
    if page_name(state) == "start":
        state = bridge.settle(bridge.call("/bridge/click", {"id": "ButtonOK"})["state"])
        state = bridge.wait_for(state, lambda s: page_name(s) != "progress", args.timeout)
    verdict = page_name(state)
    page = bridge.page(state["url"])
    print(f"verdict:  {verdict} - {html.unescape(page.heading.strip())} ({time.time() - started:.1f} s)")
    for paragraph in page.paragraphs:
        if paragraph.strip():
            print("  " + " ".join(paragraph.split()))

    bridge.call("/bridge/click", {"id": "ButtonCancel"})  # leaves the program on a result page
    try:
        program.wait(timeout=15)
    except subprocess.TimeoutExpired:
        program.kill()
    trace = os.path.join(work, "Ravlin_Trace.trc")
    print("\ntrace:", trace)
    if os.path.exists(trace):
        with open(trace, encoding="latin-1") as f:
            sys.stdout.write(f.read())
    if args.expect:
        return 0 if verdict == args.expect else 1
    return 0 if re.fullmatch(r"res\d|starterr", verdict) else 1


if __name__ == "__main__":
    sys.exit(main())
