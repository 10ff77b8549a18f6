"""Registry files (.reg) in regedit's export format, which the emulated PC
reads: writing them from keys and values, and reading them back as whole
value entries (for comparing two profiles)."""

import os
import re

HEADER = "Windows Registry Editor Version 5.00"

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 2, 3, 4, 7

# ---------------------------------------------------------------------------
# Writing


class Reg:
    """Keys in the order they were first named, each with its values."""

    def __init__(self):
        self.keys = {}

    def key(self, path):
        return self.keys.setdefault(path, [])

    def value(self, path, name, kind, data):
        values = self.key(path)
        values[:] = [v for v in values if v[0].lower() != name.lower()]
        values.append((name, kind, data))

    def sz(self, path, name, text):
        self.value(path, name, REG_SZ, text)

    def dword(self, path, name, number):
        self.value(path, name, REG_DWORD, number)

    def binary(self, path, name, data):
        self.value(path, name, REG_BINARY, bytes(data))

    def multi(self, path, name, texts):
        self.value(path, name, REG_MULTI_SZ, list(texts))

    def drop(self, prefix):
        """Removes a key and everything below it."""
        low = prefix.lower()
        for path in list(self.keys):
            if path.lower() == low or path.lower().startswith(low + "\\"):
                del self.keys[path]


def reg_quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def hex_lines(prefix, data):
    """regedit's hex form, wrapped at 80 columns with trailing backslashes."""
    parts = ["%02x" % b for b in data]
    out, line = [], prefix
    for i, part in enumerate(parts):
        piece = part + ("," if i + 1 < len(parts) else "")
        if len(line) + len(piece) > 77 and i > 0:
            out.append(line + "\\")
            line = "  "
        line += piece
    out.append(line)
    return "\r\n".join(out)


def render_value(name, kind, data):
    left = "@" if name == "" else reg_quote(name)
    if kind == REG_SZ:
        return left + "=" + reg_quote(data)
    if kind == REG_DWORD:
        return left + "=dword:%08x" % data
    if kind == REG_BINARY:
        return hex_lines(left + "=hex:", data)
    if kind == REG_MULTI_SZ:
        raw = b"".join(t.encode("utf-16-le") + b"\0\0" for t in data) + b"\0\0"
        return hex_lines(left + "=hex(7):", raw)
    if kind == REG_EXPAND_SZ:
        return hex_lines(left + "=hex(2):", data.encode("utf-16-le") + b"\0\0")
    raise ValueError(kind)


def render_reg(reg, header=HEADER):
    lines = [header, ""]
    for path, values in reg.keys.items():
        lines.append("[" + path + "]")
        for name, kind, data in values:
            lines.append(render_value(name, kind, data))
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


def write_reg(folder, name, reg, utf16):
    """registry/<name> of a profile: UTF-16LE with a BOM as regedit exports,
    or UTF-8."""
    text = render_reg(reg)
    path = os.path.join(folder, "registry", name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        if utf16:
            out.write(b"\xff\xfe" + text.encode("utf-16-le"))
        else:
            out.write(text.encode("utf-8"))


def write_reg_lines(path, lines):
    """A .reg file of lines already in export form, UTF-8 with CR LF."""
    with open(path, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(HEADER + "\n\n" + "\n".join(lines).rstrip("\n") + "\n")


# ---------------------------------------------------------------------------
# Reading


def read_text(path):
    """A .reg file's text: UTF-16LE with a BOM, UTF-8 or else code page 1252."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xff\xfe"):
        text = data[2:].decode("utf-16-le")
    else:
        try:
            text = data.decode("utf-8-sig")
        except UnicodeDecodeError:
            text = data.decode("cp1252")
    return text.replace("\r\n", "\n").replace("\r", "\n")


def parse_reg(path):
    """Keys (by lower-case name) in file order: [name as written, {value name
    lower: whole entry}]. Removed keys and values drop what came before."""
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
            raise ValueError(f"{path}:{index}: not a value line this tool understands: {line}")
        value_name = "@" if match.group(1) == "@" else match.group(2)
        if entry[match.end():] == "-":
            current[1].pop(value_name.lower(), None)
        else:
            current[1][value_name.lower()] = entry
    return keys


def folder_registry(folder):
    """The registry of one profile folder (its own files, no base): its .reg
    files applied in name order, as parse_reg gives them."""
    merged = {}
    reg_folder = os.path.join(folder, "registry")
    if os.path.isdir(reg_folder):
        for name in sorted(os.listdir(reg_folder)):
            if name.lower().endswith(".reg"):
                for key, (spelt, values) in parse_reg(os.path.join(reg_folder, name)).items():
                    entry = merged.setdefault(key, [spelt, {}])
                    entry[1].update(values)
    return merged
