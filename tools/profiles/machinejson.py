"""machine.json as the tools write it: two-space indents, LF line ends and a
final line break."""

import json
import os


def write_machine_json(folder, data, ensure_ascii=True):
    with open(os.path.join(folder, "machine.json"), "w", encoding="utf-8", newline="\n") as out:
        json.dump(data, out, indent=2, ensure_ascii=ensure_ascii)
        out.write("\n")


def read_machine_json(folder):
    with open(os.path.join(folder, "machine.json"), encoding="utf-8") as f:
        return json.load(f)
