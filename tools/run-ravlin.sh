#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ravlin on the default machine
# (or the one named by RAVLIN_MACHINE: a folder, or a name in machines/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh build
exec build/bin/Ravlin
