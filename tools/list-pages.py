#!/usr/bin/env python3
"""Writes the installer's lists of pages: every file under the pages folder
by name, so that the uninstaller removes exactly the files it installed and
no others.

    list-pages.py PAGES_FOLDER OUT_PREFIX

writes OUT_PREFIX.install.nsh (SetOutPath and File lines) and
OUT_PREFIX.uninstall.nsh (Delete lines, then RMDir from the deepest folder).
"""
import os
import sys


def main(root, out):
    install, uninstall, folders = [], [], []
    for folder, dirs, files in sorted(os.walk(root)):
        dirs.sort()
        rel = os.path.relpath(folder, root)
        win = "htm" if rel == "." else "htm\\" + rel.replace("/", "\\")
        folders.append(win)
        install.append(f'SetOutPath "$INSTDIR\\{win}"')
        for f in sorted(files):
            install.append(f'File "{os.path.abspath(os.path.join(folder, f))}"')
            uninstall.append(f'Delete /REBOOTOK "$INSTDIR\\{win}\\{f}"')
    for win in reversed(folders):
        uninstall.append(f'RMDir "$INSTDIR\\{win}"')
    with open(out + ".install.nsh", "w") as f:
        f.write("\n".join(install) + "\n")
    with open(out + ".uninstall.nsh", "w") as f:
        f.write("\n".join(uninstall) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: list-pages.py PAGES_FOLDER OUT_PREFIX")
    main(sys.argv[1], sys.argv[2])
