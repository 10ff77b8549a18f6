"""Overlays as the platform reads them (docs/machine-profile.md, "Overlays"):
the chain of bases, machine.json merged down the chain as a JSON merge
patch (RFC 7386), and the reverse, the patch that turns one machine.json
into another."""

import os

from .machinejson import read_machine_json

# Keys of an overlay's machine.json that are about the layering itself and
# not part of the merged profile.
LAYER_KEYS = ("base", "removeFiles")


def merge_patch(target, patch):
    """RFC 7386: `patch` applied to `target`; null removes a key."""
    if not isinstance(patch, dict):
        return patch
    result = dict(target) if isinstance(target, dict) else {}
    for key, value in patch.items():
        if value is None:
            result.pop(key, None)
        else:
            result[key] = merge_patch(result.get(key), value)
    return result


def merge_patch_from(base, target):
    """The merge patch that turns `base` into `target`."""
    if not isinstance(base, dict) or not isinstance(target, dict):
        return target
    patch = {key: None for key in base if key not in target}
    for key, value in target.items():
        if key not in base:
            patch[key] = value
        elif base[key] != value:
            patch[key] = merge_patch_from(base[key], value)
    return patch


def base_folder(folder, base, program_dir):
    """Where `base` of the overlay in `folder` is: a bare name is the folder
    of that name beside the overlay, else machines/<name> beside the program;
    a path is absolute or relative to the overlay."""
    if "/" not in base:
        beside = os.path.join(os.path.dirname(folder) or ".", base)
        if os.path.exists(os.path.join(beside, "machine.json")):
            return beside
        return os.path.join(program_dir, "machines", base)
    return os.path.join(folder, base)


def read_chain(folder, program_dir):
    """The layers from the bottom (the profile without a base) up to
    `folder`: a list of (folder, its own machine.json)."""
    top_down, seen = [], set()
    following = folder.rstrip("/") or folder
    while True:
        path = os.path.join(following, "machine.json")
        try:
            own = read_machine_json(following)
        except OSError as error:
            raise ValueError(f"{path}: cannot be read ({error.strerror})") from error
        if not isinstance(own, dict):
            raise ValueError(f"{path}: the top level must be an object")
        real = os.path.realpath(following)
        if real in seen:
            raise ValueError(f"{path}: base: the bases loop")
        seen.add(real)
        top_down.append((following, own))
        base = own.get("base")
        if base is None:
            break
        if not isinstance(base, str) or not base:
            raise ValueError(f"{path}: base: expected a non-empty string")
        following = os.path.normpath(base_folder(following, base, program_dir))
    return list(reversed(top_down))


def merged_json(folder, program_dir):
    """The machine.json a profile amounts to, its bases merged in."""
    merged = {}
    for _, own in read_chain(folder, program_dir):
        merged = merge_patch(merged, {k: v for k, v in own.items() if k not in LAYER_KEYS})
    return merged


def drive_files(folder):
    """The files under a profile's drive_c/: its root, and {lower-case
    relative path: relative path as found}."""
    root = os.path.join(folder, "drive_c")
    found = {}
    for parent, _, names in os.walk(root):
        for name in names:
            relative = os.path.relpath(os.path.join(parent, name), root)
            found[relative.lower()] = relative
    return root, found
