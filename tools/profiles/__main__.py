"""python3 -m profiles merged FOLDER...: prints the machine.json each profile
amounts to, its bases merged in, as one JSON list in the order given (bare
base names not found beside a profile are looked up in machines/ of the
repository).
python3 -m profiles version: prints the program's version (1.0.22), for the
shell scripts that name or stamp the installer."""

import json
import sys

from . import overlay
from .version import ROOT, project_version


def main(argv):
    if argv == ["version"]:
        try:
            print(project_version())
        except ValueError as error:
            print(error, file=sys.stderr)
            return 1
        return 0
    if len(argv) < 2 or argv[0] != "merged":
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        merged = [overlay.merged_json(folder, ROOT) for folder in argv[1:]]
    except ValueError as error:
        print(error, file=sys.stderr)
        return 1
    print(json.dumps(merged, indent=2, ensure_ascii=False))
    return 0


sys.exit(main(sys.argv[1:]))
