#!/usr/bin/env python3
"""Writes one resource of a Windows image (.exe, .dll, .cpl) to standard
output, as the loader finds it: the resource directory of the .rsrc data
(PE/COFF: type, then name or id, then language), the first language.
Exit code 1 when the image has no such resource.

    python3 pe_resource.py IMAGE TYPE ID      e.g. ravlin64.exe 24 1
    python3 pe_resource.py IMAGE TYPE --ids   the ids of that type, one a line"""

import struct
import sys


def sections(data):
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 2 * 8)
    table = optional + optional_size
    found = []
    for i in range(count):
        _, vsize, va, raw_size, raw_at = struct.unpack_from("<8sIIII", data, table + 40 * i)
        found.append((va, max(vsize, raw_size), raw_at))
    return rsrc_rva, found


def file_offset(rva, found):
    for va, size, raw_at in found:
        if va <= rva < va + size:
            return raw_at + rva - va
    raise ValueError(f"rva {rva:#x} in no section")


def entries(data, base, at):
    named, ids = struct.unpack_from("<HH", data, at + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from("<II", data, at + 16 + 8 * i)
        yield (None if name & 0x80000000 else name), target


def main(image, kind, which):
    data = open(image, "rb").read()
    rsrc_rva, found = sections(data)
    if rsrc_rva == 0:
        return 1
    base = file_offset(rsrc_rva, found)
    for type_id, type_target in entries(data, base, base):
        if type_id != int(kind) or not type_target & 0x80000000:
            continue
        names = base + (type_target & 0x7FFFFFFF)
        if which == "--ids":
            for name_id, _ in entries(data, base, names):
                if name_id is not None:
                    print(name_id)
            return 0
        for name_id, name_target in entries(data, base, names):
            if name_id != int(which):
                continue
            languages = base + (name_target & 0x7FFFFFFF)
            for _, leaf in entries(data, base, languages):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                at = file_offset(rva, found)
                sys.stdout.buffer.write(data[at:at + size])
                return 0
    return 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
