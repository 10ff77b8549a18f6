#!/usr/bin/env python3
"""Runs diagnoses without a browser: starts Ravlin on a machine, plays the
browser's part through the page bridge (docs/bridge.md), clicks "Start test",
waits for the verdict page and prints it with the trace file.

    python3 tools/diagnose.py [--machine NAME_OR_FOLDER] [--program build/bin/Ravlin] [--json]
    python3 tools/diagnose.py --all [--fast] [--json]

--json prints one JSON object (with --all a list of them) instead of text.
--all runs every built-in machine (machines/ beside the program) and prints
a table; each machine declares the verdict page it must reach ("expect" in
its machine.json, machines/README.md).
--fast runs the machine's modems ten times faster (the emulator's
"timeScale" 0.1, through an overlay of the profile), the program's own
waits unchanged.

Exit status: 0 when every run reached its expected verdict (--expect, or
with --all each machine's "expect"; without either, any verdict page);
1 when a run reached another page or none; 2 when the program did not start
or a machine could not be read."""

import argparse
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
from html.parser import HTMLParser

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from profiles import overlay  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FAST_SCALE = 0.1
DEFAULT_COMMAND_MS = 20  # the emulator's own per-command time (docs/modem-emulator.md)
FAILURE = re.compile(r"\bERROR\b|\bfailed\b|\btimeout\b", re.IGNORECASE)


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


def machines_folder(program):
    beside = os.path.join(os.path.dirname(program), "machines")
    return beside if os.path.isdir(beside) else os.path.join(ROOT, "machines")


def machine_folder(machine, program):
    """A folder for a name or path as the platform reads RAVLIN_MACHINE."""
    if "/" not in machine and not os.path.isdir(machine):
        return os.path.join(machines_folder(program), machine)
    return os.path.abspath(machine)


def fast_overlay(folder, program):
    """A scratch overlay of the profile whose modems run FAST_SCALE times their time."""
    profile = overlay.merged_json(folder, os.path.dirname(program))
    modems = {}
    for name, settings in (profile.get("modems") or {}).items():
        command_ms = ((settings or {}).get("timing") or {}).get("commandMs", DEFAULT_COMMAND_MS)
        # The time a command takes stays as it is, so that the LF after a
        # command's CR still arrives while the modem is busy with it.
        modems[name] = {"timeScale": FAST_SCALE, "timing": {"commandMs": command_ms / FAST_SCALE}}
    scratch = tempfile.mkdtemp(prefix="ravlin-fast-")
    with open(os.path.join(scratch, "machine.json"), "w", encoding="utf-8") as f:
        json.dump({"base": folder, "modems": modems}, f)
    return scratch


def first_failure_on(trace_lines):
    for index, line in enumerate(trace_lines):
        if FAILURE.search(line):
            return trace_lines[index:]
    return []


def diagnose(machine, program, timeout, fast=False):
    """One run; a dict of what it showed."""
    result = {"machine": machine, "modem": {}, "detection": None, "verdict": None, "heading": None,
              "code": None, "seconds": None, "trace": None, "failure": [], "error": None}
    folder = machine_folder(machine, program)
    chosen = fast_overlay(folder, program) if fast else folder
    work = tempfile.mkdtemp(prefix="ravlin-diagnose-")
    env = dict(os.environ, RAVLIN_MACHINE=chosen, RAVLIN_BROWSER="none")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    try:
        ravlin = subprocess.Popen([program], cwd=work, env=env, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, text=True)
    except OSError as error:
        result["error"] = f"{program}: {error.strerror}"
        return result
    address = ravlin.stdout.readline().strip()
    if "http://" not in address:
        try:
            ravlin.wait(timeout=10)
        except subprocess.TimeoutExpired:
            ravlin.kill()
        result["error"] = ("Ravlin did not start: " + address + " " + ravlin.stderr.read()).strip()
        return result
    bridge = Bridge(address[address.index("http://"):])

    started = time.time()
    state = bridge.settle(bridge.call("/bridge/state"))
    # Detection has ended when a modem text changes (a modem without a
    # matching driver keeps the name "Unknown" but not the version) or the
    # dialog leaves the start page.
    state = bridge.wait_for(state, lambda s: s["texts"].get("mdmName", "Unknown") != "Unknown"
                            or s["texts"].get("mdmVersion", "Unknown") != "Unknown"
                            or page_name(s) != "start", 30)
    result["modem"] = {"name": state["texts"].get("mdmName", ""),
                       "driver": state["texts"].get("mdmVersion", ""),
                       "country": state["texts"].get("mdmCountry", "")}
    first = page_name(state)
    if first == "start":
        result["detection"] = "found" if result["modem"]["name"] != "Unknown" else "no driver"
    else:
        result["detection"] = "no hardware" if first == "starterr" else first
    if first == "start":
        state = bridge.settle(bridge.call("/bridge/click", {"id": "ButtonOK"})["state"])
        state = bridge.wait_for(state, lambda s: page_name(s) != "progress", timeout)
    verdict = page_name(state)
    page = bridge.page(state["url"])
    result["seconds"] = round(time.time() - started, 1)
    result["verdict"] = verdict
    result["heading"] = html.unescape(page.heading.strip())
    result["paragraphs"] = [" ".join(p.split()) for p in page.paragraphs if p.strip()]
    if re.fullmatch(r"res\d", verdict) and "ButtonSpecial" in page.texts:
        # The details page the verdict leads to names the problem's code.
        details = bridge.settle(bridge.call("/bridge/click", {"id": "ButtonSpecial"})["state"])
        if page_name(details).startswith("code"):
            result["code"] = page_name(details)

    bridge.call("/bridge/click", {"id": "ButtonCancel"})  # leaves the program on any page
    try:
        ravlin.wait(timeout=15)
    except subprocess.TimeoutExpired:
        ravlin.kill()
        ravlin.wait()
    if fast:
        shutil.rmtree(chosen, ignore_errors=True)
    trace = os.path.join(work, "Ravlin_Trace.trc")
    if os.path.exists(trace):
        result["trace"] = trace
        with open(trace, encoding="latin-1") as f:
            result["failure"] = first_failure_on(f.read().splitlines())
    return result


def print_run(result):
    print(f"machine:  {result['machine']}")
    print(f"modem:    {result['modem'].get('name', '')}")
    print(f"driver:   {result['modem'].get('driver', '')}")
    print(f"country:  {result['modem'].get('country', '')}")
    print(f"verdict:  {result['verdict']} - {result['heading']} ({result['seconds']:.1f} s)")
    for paragraph in result["paragraphs"]:
        print("  " + paragraph)
    print("\ntrace:", result["trace"])
    if result["trace"]:
        with open(result["trace"], encoding="latin-1") as f:
            sys.stdout.write(f.read())


def run_all(args):
    folder = machines_folder(args.program)
    names = sorted(n for n in os.listdir(folder) if os.path.isfile(os.path.join(folder, n, "machine.json")))
    results, status = [], 0
    if not args.json:
        print(f"{'machine':24} {'detection':12} {'verdict':9} {'expected':9} {'seconds':>7}")
    for name in names:
        try:
            expect = overlay.merged_json(os.path.join(folder, name), os.path.dirname(args.program)).get("expect")
        except (OSError, ValueError) as error:
            print(f"{name}: {error}", file=sys.stderr)
            return 2
        result = diagnose(name, args.program, args.timeout, args.fast)
        result["expect"] = expect
        results.append(result)
        if result["error"]:
            print(result["error"], file=sys.stderr)
            return 2
        if result["verdict"] != expect:
            status = 1
        if not args.json:
            mark = "" if result["verdict"] == expect else "  <-- expected " + str(expect)
            print(f"{name:24} {result['detection']:12} {result['verdict']:9} {str(expect):9} "
                  f"{result['seconds']:7.1f}{mark}", flush=True)
    if args.json:
        print(json.dumps(results, indent=2))
    return status


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", default=os.environ.get("RAVLIN_MACHINE", "default"))
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "bin", "Ravlin"))
    parser.add_argument("--timeout", type=float, default=120.0, help="seconds to wait for the verdict")
    parser.add_argument("--expect", help="the verdict page the run must reach (e.g. res0); exit 1 otherwise")
    parser.add_argument("--json", action="store_true", help="print one JSON object instead of text")
    parser.add_argument("--all", action="store_true", help="run every built-in machine, print a table")
    parser.add_argument("--fast", action="store_true", help="the modems at a tenth of their own times")
    args = parser.parse_args()
    # The program starts in a scratch folder: paths given relative to here
    # must not change their meaning there.
    args.program = os.path.abspath(args.program)
    if args.all:
        return run_all(args)

    result = diagnose(args.machine, args.program, args.timeout, args.fast)
    if result["error"]:
        if args.json:
            print(json.dumps(result, indent=2))
        print(result["error"], file=sys.stderr)
        return 2
    if args.json:
        result.pop("paragraphs", None)
        print(json.dumps(result, indent=2))
    else:
        print_run(result)
    if args.expect:
        return 0 if result["verdict"] == args.expect else 1
    return 0 if re.fullmatch(r"res\d|starterr", result["verdict"]) else 1


if __name__ == "__main__":
    sys.exit(main())
