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
import json
import os
import re
import shutil
import sys


def read_text(path):
    data = open(path, "rb").read()
    if data.startswith(b"\xff\xfe"):
        text = data[2:].decode("utf-16-le")
    else:
        try:
            text = data.decode("utf-8-sig")
        except UnicodeDecodeError:
            text = data.decode("cp1252")
    return text.replace("\r\n", "\n").replace("\r", "\n")


def parse_reg(path):
    """Keys (by lower-case name) in file order: [name as written, {value name lower: whole entry}]."""
    lines = read_text(path).split("\n")
    keys = {}
    current = None
    index = 1  # the first line is the format header
    while index < len(lines):
        line = lines[index]
        index += 1
        if not line.strip() or line.lstrip().startswith(";"):
            continue
        if line.startswith("["):
            name = line[1:line.rindex("]")]
            if name.startswith("-"):
                keys.pop(name[1:].lower(), None)
                current = None
                continue
            current = keys.setdefault(name.lower(), [name, {}])
            continue
        entry = line
        while entry.endswith("\\") and index < len(lines):
            entry += "\n" + lines[index]
            index += 1
        match = re.match(r'(@|"((?:[^"\\]|\\.)*)")=', entry)
        if not match or current is None:
            raise SystemExit(f"{path}:{index}: not a value line this tool understands: {line}")
        value_name = "@" if match.group(1) == "@" else match.group(2)
        if entry[match.end():] == "-":
            current[1].pop(value_name.lower(), None)
        else:
            current[1][value_name.lower()] = entry
    return keys


def registry(folder):
    merged = {}
    reg_folder = os.path.join(folder, "registry")
    if os.path.isdir(reg_folder):
        for name in sorted(os.listdir(reg_folder)):
            if name.lower().endswith(".reg"):
                for key, (spelt, values) in parse_reg(os.path.join(reg_folder, name)).items():
                    entry = merged.setdefault(key, [spelt, {}])
                    entry[1].update(values)
    return merged


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


def merge_patch_from(base, target):
    if not isinstance(base, dict) or not isinstance(target, dict):
        return target
    patch = {key: None for key in base if key not in target}
    for key, value in target.items():
        if key not in base:
            patch[key] = value
        elif base[key] != value:
            patch[key] = merge_patch_from(base[key], value)
    return patch


def drive_files(folder):
    root = os.path.join(folder, "drive_c")
    found = {}
    for parent, _, names in os.walk(root):
        for name in names:
            relative = os.path.relpath(os.path.join(parent, name), root)
            found[relative.lower()] = relative
    return root, found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("profile")
    parser.add_argument("base")
    parser.add_argument("out")
    parser.add_argument("--base-name")
    args = parser.parse_args()
    for folder in (args.profile, args.base):
        with open(os.path.join(folder, "machine.json"), encoding="utf-8") as f:
            if "base" in json.load(f):
                raise SystemExit(f"{folder}/machine.json: base: give a profile without a base")
    if os.path.exists(args.out):
        raise SystemExit(f"{args.out}: exists already")

    with open(os.path.join(args.base, "machine.json"), encoding="utf-8") as f:
        base_json = json.load(f)
    with open(os.path.join(args.profile, "machine.json"), encoding="utf-8") as f:
        profile_json = json.load(f)
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

    changes = registry_changes(registry(args.base), registry(args.profile))
    if changes:
        os.makedirs(os.path.join(args.out, "registry"))
        with open(os.path.join(args.out, "registry", "50-changes.reg"), "w", encoding="utf-8",
                  newline="\r\n") as f:
            f.write("Windows Registry Editor Version 5.00\n\n" + "\n".join(changes).rstrip("\n") + "\n")
    with open(os.path.join(args.out, "machine.json"), "w", encoding="utf-8", newline="\n") as f:
        json.dump(overlay, f, indent=2, ensure_ascii=False)
        f.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
