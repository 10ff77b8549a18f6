#!/usr/bin/env python3
"""ravlin64.exe under Wine on the default machine profile, in a fresh prefix
(tools/wine/make-prefix.sh: the profile's registry and drive_c, COM3 on the
modem emulator's pty), its pages in headless Chromium through the page
bridge (RAVLIN_BROWSER=none, and the window's browser control unavailable:
ieframe and shdocvw are off), one click on "Start test" through to a verdict page, and
Cancel there ends the program with the line closed last in the trace.

    python3 tests/wine/program_test.py [--dist dist] [--machine default]

Wine's own limits decide which verdict the run reaches (docs/windows.md):
its SetupAPI enumerates the imported devices but builds no class-driver
list and aborts in SetupDiSetSelectedDriverA, and its tapi32 is all stubs.
Discovery finds no driver, so the verdict is the driver problem (res2); the
test prints the verdict and the trace, which shows where Wine stops the run.
Exit code 0 when the start page and that verdict page were reached, 77 when
dist/ravlin64.exe is missing."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
FOLDER = r"C:\Program Files\Tarn\Ravlin"


def page_name(browser):
    return os.path.splitext(os.path.basename(browser.current_url.split("?")[0]))[0]


def trace_has(path, text):
    try:
        with open(path, encoding="latin-1") as f:
            return text in f.read()
    except OSError:
        return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dist", default=os.path.join(ROOT, "dist"))
    parser.add_argument("--machine", default="default")
    parser.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver") or "/usr/bin/chromedriver")
    parser.add_argument("--timeout", type=float, default=240.0)
    # Wine's SetupAPI finds the device but no driver for it, so discovery
    # ends without a driver and the run's verdict is the driver problem.
    parser.add_argument("--expect", default="res2", help="the verdict page Wine allows")
    args = parser.parse_args()
    program = os.path.join(args.dist, "ravlin64.exe")
    if not os.path.exists(program):
        print(f"skipped: {program} is missing (bash tools/build-windows.sh)")
        return 77

    scratch = tempfile.mkdtemp(prefix="ravlin-wine-program-")
    prefix = os.path.join(scratch, "prefix")
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG=os.environ.get("WINEDEBUG", "-all"),
               WINEDLLOVERRIDES="mscoree,mshtml,ieframe,shdocvw=", RAVLIN_BROWSER="none")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    make_prefix = os.path.join(ROOT, "tools", "wine", "make-prefix.sh")
    failures = []
    process = browser = None
    try:
        ports = subprocess.run(["bash", make_prefix, prefix, args.machine], env=env, check=True,
                               capture_output=True, text=True).stdout
        print("ports:", ports.strip() or "none")
        target = os.path.join(prefix, "drive_c", "Program Files", "Tarn", "Ravlin")
        os.makedirs(target, exist_ok=True)
        shutil.copy2(program, target)
        shutil.copytree(os.path.join(args.dist, "htm"), os.path.join(target, "htm"), dirs_exist_ok=True)
        work = os.path.join(scratch, "work")
        os.makedirs(work)
        trace_path = os.path.join(work, "Ravlin_Trace.trc")

        started = time.time()
        process = subprocess.Popen([WINE, FOLDER + r"\ravlin64.exe"], cwd=work, env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = process.stdout.readline()
        if "http://" not in line:
            process.wait(timeout=30)
            raise AssertionError(f"no page address: {line!r} {process.stderr.read()[-2000:]}")
        address = line[line.index("http://"):].strip()
        print(f"address after {time.time() - started:.1f} s")

        options = Options()
        options.binary_location = args.chromium
        profile = os.path.join(scratch, "chromium")
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--window-size=1024,800", f"--user-data-dir={profile}"):
            options.add_argument(flag)
        browser = webdriver.Chrome(service=Service(args.chromedriver), options=options)
        browser.get(address)
        wait = WebDriverWait(browser, args.timeout, poll_frequency=0.2)
        wait.until(lambda b: page_name(b) != "" and b.find_elements(By.TAG_NAME, "h1"))
        print(f"first page: {page_name(browser)} after {time.time() - started:.1f} s")
        if page_name(browser) == "start":
            # Discovery ends with the dialog tracing what it found ("Country:"
            # comes last); under Wine the name it shows then is "Unknown".
            WebDriverWait(browser, 60, poll_frequency=0.2).until(
                lambda b: trace_has(trace_path, "Country: "))
            wait.until(lambda b: page_name(b) == "start" and b.find_elements(By.ID, "mdmName")
                       and b.find_element(By.ID, "mdmName").text != "")
            print("modem:", browser.find_element(By.ID, "mdmName").text)
            browser.find_element(By.ID, "ButtonOK").click()
            wait.until(lambda b: re.fullmatch(r"res\d|starterr", page_name(b)))
        verdict = page_name(browser)
        print(f"verdict: {verdict} - {browser.find_element(By.TAG_NAME, 'h1').text}"
              f" ({time.time() - started:.1f} s)")
        if verdict != args.expect:
            failures.append(f"verdict page {verdict}, not {args.expect}")
        browser.find_element(By.ID, "ButtonCancel").click()
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            failures.append("the program did not end on Cancel")
            process.kill()
        print(f"ended with {process.wait()}")
        if not os.path.exists(trace_path):
            failures.append("no Ravlin_Trace.trc in the current directory")
        else:
            with open(trace_path, encoding="latin-1") as f:
                lines = f.read().splitlines()
            print(f"trace: {len(lines)} lines")
            for trace_line in lines:
                print("  " + trace_line)
            if not any("Pages shown by RAVLIN_BROWSER: none" in line for line in lines):
                failures.append("the trace does not say that RAVLIN_BROWSER shows the pages")
            if len(lines) < 2 or not lines[-2].endswith("Close TapiLine") or not lines[-1].endswith("TapiLine closed"):
                failures.append("the trace does not end \"Close TapiLine\", \"TapiLine closed\"")
    except Exception as error:  # reported as a failure with what was seen so far
        failures.append(f"{type(error).__name__}: {error}")
    finally:
        if browser:
            browser.quit()
        if process and process.poll() is None:
            process.kill()
        subprocess.run(["bash", make_prefix, "--stop", prefix], env=env)
        shutil.rmtree(scratch, ignore_errors=True)
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
