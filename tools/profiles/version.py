"""The program's version, read from project(Ravlin VERSION ...) in the
top-level CMakeLists.txt, where it is written once."""

import os
import re

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
_PROJECT = re.compile(r"^project\(Ravlin VERSION ([0-9]+(?:\.[0-9]+)*)\b", re.MULTILINE)


def project_version(root=ROOT):
    """"1.0.22" for project(Ravlin VERSION 1.0.22 ...)."""
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        match = _PROJECT.search(f.read())
    if not match:
        raise ValueError(os.path.join(root, "CMakeLists.txt") + ": no project(Ravlin VERSION ...)")
    return match.group(1)
