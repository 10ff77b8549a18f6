#!/usr/bin/env bash
# Installs the parser of es5_check.js (npm ci into FOLDER, again only when
# the lock file changes) and runs the check with the remaining arguments.
#     bash tests/pages/es5_check.sh FOLDER --program build/bin/Ravlin --pages htm
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
folder=$1
shift
mkdir -p "$folder"
if ! cmp -s "$here/package-lock.json" "$folder/installed.lock"; then
  cp "$here/package.json" "$here/package-lock.json" "$folder/"
  (cd "$folder" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$here/package-lock.json" "$folder/installed.lock"
fi
NODE_PATH="$folder/node_modules" exec node "$here/es5_check.js" "$@"
