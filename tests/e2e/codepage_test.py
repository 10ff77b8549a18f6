#!/usr/bin/env python3
"""Names in the machine's ANSI code page on the start page: the zh-cn (936)
and ja-trail-byte (932) machines with a modem and a country named in their
language, shown in headless Chromium and answered by tools/diagnose.py --json.

    python3 tests/e2e/codepage_test.py --program build/bin/Ravlin --artifacts build/artifacts
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import browser_test

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CLASS_KEY = r"HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Class\{4D36E96D-E325-11CE-BFC1-08002BE10318}\0000"
TELEPHONY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Telephony"

# machine, modem name, country code, country name, as the localized Windows names them
MACHINES = [
    ("zh-cn", "天穹 HDA56 软件数据传真调制解调器", 86, "中国"),
    ("ja-trail-byte", "天穹 HDA56 ソフト データ ファクス モデム", 81, "日本"),
]


def named_overlay(machine, modem, code, country):
    """A scratch overlay of a built-in machine whose modem and country carry these names."""
    folder = tempfile.mkdtemp(prefix=f"ravlin-{machine}-names-")
    with open(os.path.join(folder, "machine.json"), "w", encoding="utf-8") as f:
        json.dump({"base": os.path.join(ROOT, "machines", machine)}, f)
    os.makedirs(os.path.join(folder, "registry"))
    lines = ["Windows Registry Editor Version 5.00", "",
             f"[{CLASS_KEY}]", f'"FriendlyName"="{modem}"', "",
             f"[{TELEPHONY}\\Country List\\{code}]", f'"Name"="{country}"', "",
             f"[{TELEPHONY}\\Locations\\Location1]", f'"Country"=dword:{code:08x}', ""]
    with open(os.path.join(folder, "registry", "90-names.reg"), "w", encoding="utf-8", newline="") as f:
        f.write("\r\n".join(lines))
    return folder


class CodePageTest(browser_test.BrowserTest):
    def setUp(self):
        super().setUp()
        self.overlays = []

    def tearDown(self):
        try:
            super().tearDown()
        finally:
            for folder in self.overlays:
                shutil.rmtree(folder, ignore_errors=True)

    def test_start_page_shows_the_names_in_their_script(self):
        for machine, modem, code, country in MACHINES:
            with self.subTest(machine=machine):
                overlay = named_overlay(machine, modem, code, country)
                self.overlays.append(overlay)
                run = self.start(overlay)
                self.page_is("start")
                self.wait.until(lambda b: self.text_of("mdmName") not in ("", "Unknown"))
                self.assertEqual(self.text_of("mdmName"), modem)
                self.assertEqual(self.text_of("mdmCountry"), country)
                self.shot(f"{machine}-names-start")
                self.click("ButtonCancel")
                run.process.wait(timeout=20)

    def test_diagnose_reports_the_names_in_their_script(self):
        for machine, modem, code, country in MACHINES:
            with self.subTest(machine=machine):
                overlay = named_overlay(machine, modem, code, country)
                self.overlays.append(overlay)
                out = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "diagnose.py"), "--program",
                                      browser_test.ARGS.program, "--machine", overlay, "--json", "--fast"],
                                     capture_output=True, text=True, timeout=300)
                result = json.loads(out.stdout)
                self.assertEqual(result["modem"]["name"], modem)
                self.assertEqual(result["modem"]["country"], country)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "/usr/bin/chromium")
    parser.add_argument("--chromedriver", default=shutil.which("chromedriver") or "/usr/bin/chromedriver")
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    args.artifacts = os.path.abspath(args.artifacts)
    browser_test.ARGS = args
    # Only this file's cases, not the ones the class inherits.
    names = [n for n in vars(CodePageTest) if n.startswith("test_")]
    suite = unittest.TestSuite(CodePageTest(name) for name in names)
    sys.exit(0 if unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful() else 1)


if __name__ == "__main__":
    main()
