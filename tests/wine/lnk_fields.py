#!/usr/bin/env python3
"""Prints the target path and the working folder of a shell link (.lnk),
one per line ("target=...", "folder=..."), as the installer test compares
them. The format is Microsoft's [MS-SHLLINK]: a 76-byte header with the
link's flags, the target's ID list, the LinkInfo with the local base path,
then counted strings (name, relative path, working folder, ...).

    python3 lnk_fields.py FILE.lnk"""

import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, IS_UNICODE = (
    0x01, 0x02, 0x04, 0x08, 0x10, 0x80)


def main(path):
    data = open(path, "rb").read()
    (flags,) = struct.unpack_from("<I", data, 20)
    at = 76
    if flags & HAS_ID_LIST:
        (size,) = struct.unpack_from("<H", data, at)
        at += 2 + size
    target = ""
    if flags & HAS_LINK_INFO:
        size, _, info_flags, _, base_offset = struct.unpack_from("<IIIII", data, at)
        if info_flags & 1:
            end = data.index(b"\0", at + base_offset)
            target = data[at + base_offset:end].decode("mbcs" if sys.platform == "win32" else "latin-1")
        at += size
    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR):
        if flags & flag:
            (count,) = struct.unpack_from("<H", data, at)
            width = 2 if flags & IS_UNICODE else 1
            raw = data[at + 2:at + 2 + count * width]
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            at += 2 + count * width
    print(f"target={target}")
    print(f"folder={strings.get(HAS_WORKING_DIR, '')}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
