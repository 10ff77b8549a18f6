"""python3 -m profiles merged FOLDER [PROGRAM_DIR]: prints the machine.json
the profile in FOLDER amounts to, its bases merged in (bare base names not
found beside it are looked up in PROGRAM_DIR/machines, default the repo)."""

import json
import sys

from . import overlay
from .version import ROOT


def main(argv):
    if len(argv) not in (2, 3) or argv[0] != "merged":
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        merged = overlay.merged_json(argv[1], argv[2] if len(argv) == 3 else ROOT)
    except ValueError as error:
        print(error, file=sys.stderr)
        return 1
    print(json.dumps(merged, indent=2, ensure_ascii=False))
    return 0


sys.exit(main(sys.argv[1:]))
