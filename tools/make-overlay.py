#!/usr/bin/env python3
"""Writes a full machine profile as an overlay of another one: only what
differs (docs/machine-profile.md, "Overlays").

    python3 tools/make-overlay.py PROFILE BASE OUT [--base-name NAME]

PROFILE is a profile without a base (for example one a real PC was captured
into), BASE the profile it is to follow (a folder; it may be an overlay
itself only if it is given as a plain copy), OUT the new overlay's folder.
machine.json becomes a JSON merge patch onto BASE's, the registry one file
registry/50-changes.reg in regedit's format (removed keys as [-KEY], removed
values as "name"=-), drive_c/ only the files that are new or differ, and the
base's files that PROFILE lacks a "removeFiles" list. "base" is written as
--base-name (default: BASE's folder name, a built-in machine)."""

import argparse
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from profiles.machinejson import read_machine_json, write_machine_json  # noqa: E402
from profiles.overlay import drive_files, merge_patch_from  # noqa: E402
from profiles.regfile import folder_registry, write_reg_lines  # noqa: E402


def registry_changes(base, profile):
    out = []
    removed = [k for k in base if k not in profile]
    for key in removed:
        parent = key.rsplit("\\", 1)[0]
        if parent in removed or any(parent.startswith(r + "\\") for r in removed):
            continue
        out += [f"[-{base[key][0]}]", ""]
    for key, (spelt, values) in profile.items():
        before = base.get(key, [spelt, None])[1]
        lines = []
        if before is not None:
            lines += [entry.split("=", 1)[0] + "=-" for name, entry in before.items() if name not in values]
        lines += [entry for name, entry in values.items() if before is None or before.get(name) != entry]
        if before is None or lines:
            out += [f"[{spelt}]"] + lines + [""]
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("profile")
    parser.add_argument("base")
    parser.add_argument("out")
    parser.add_argument("--base-name")
    args = parser.parse_args()
    for folder in (args.profile, args.base):
        if "base" in read_machine_json(folder):
            raise SystemExit(f"{folder}/machine.json: base: give a profile without a base")
    if os.path.exists(args.out):
        raise SystemExit(f"{args.out}: exists already")

    base_json = read_machine_json(args.base)
    profile_json = read_machine_json(args.profile)
    overlay = {"base": args.base_name or os.path.basename(os.path.normpath(args.base))}
    overlay.update(merge_patch_from(base_json, profile_json))

    base_root, base_files = drive_files(args.base)
    profile_root, profile_files = drive_files(args.profile)
    removed = sorted(base_files[k] for k in base_files if k not in profile_files)
    if removed:
        overlay["removeFiles"] = ["C:\\" + path.replace("/", "\\") for path in removed]
    os.makedirs(args.out)
    for key, relative in sorted(profile_files.items()):
        source = os.path.join(profile_root, relative)
        if key in base_files and open(source, "rb").read() == \
                open(os.path.join(base_root, base_files[key]), "rb").read():
            continue
        target = os.path.join(args.out, "drive_c", relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(source, target)

    try:
        changes = registry_changes(folder_registry(args.base), folder_registry(args.profile))
    except ValueError as error:
        raise SystemExit(str(error))
    if changes:
        os.makedirs(os.path.join(args.out, "registry"))
        write_reg_lines(os.path.join(args.out, "registry", "50-changes.reg"), changes)
    write_machine_json(args.out, overlay, ensure_ascii=False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
