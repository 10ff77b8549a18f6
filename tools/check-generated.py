#!/usr/bin/env python3
"""Checks that the generated files in the repository are what their
generators write today: runs each generator into a scratch folder and
compares byte for byte.

    python3 tools/check-generated.py

  machines/default      tools/make-machines.py (the whole folder)
  htm/                  tools/pages/make-pages.py (the pages and style.css;
                        a page in a Lang folder that it no longer writes is
                        stale too)
  the icons             tools/icons/draw_icons.py

Exit status 0 when all of it matches; 1 with the files that differ and the
command that writes them again."""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def files_under(folder):
    found = set()
    for parent, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(parent, name), folder))
    return found


def read(path):
    with open(path, "rb") as f:
        return f.read()


def differences(written, committed, relatives):
    """The relative paths whose bytes differ or that one side lacks."""
    out = []
    for relative in sorted(relatives):
        ours, theirs = os.path.join(written, relative), os.path.join(committed, relative)
        if not os.path.isfile(ours):
            out.append(f"{relative}: no longer written")
        elif not os.path.isfile(theirs):
            out.append(f"{relative}: not committed")
        elif read(ours) != read(theirs):
            out.append(f"{relative}: differs")
    return out


def run(script, *args):
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", script), *args], check=True)


def check_machines(scratch):
    run("make-machines.py", scratch)
    written, committed = os.path.join(scratch, "default"), os.path.join(ROOT, "machines", "default")
    relatives = files_under(written) | files_under(committed)
    return [os.path.join("machines", "default", d) for d in differences(written, committed, relatives)]


def check_pages(scratch):
    written = os.path.join(scratch, "htm")
    run(os.path.join("pages", "make-pages.py"), written)
    committed = os.path.join(ROOT, "htm")
    pages = {r for r in files_under(committed) if r.startswith("Lang") and r.endswith(".htm")}
    relatives = files_under(written) | pages
    return [os.path.join("htm", d) for d in differences(written, committed, relatives)]


def check_icons(scratch):
    run(os.path.join("icons", "draw_icons.py"), scratch)
    return differences(scratch, ROOT, files_under(scratch))


CHECKS = [
    (check_machines, "python3 tools/make-machines.py"),
    (check_pages, "python3 tools/pages/make-pages.py"),
    (check_icons, "python3 tools/icons/draw_icons.py"),
]


def main():
    status = 0
    for check, command in CHECKS:
        with tempfile.TemporaryDirectory(prefix="ravlin-generated-") as scratch:
            found = check(scratch)
        for line in found:
            print(line)
        if found:
            print(f"  -> run {command} and commit what it writes\n")
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main())
