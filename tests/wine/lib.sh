# Shared by the Wine tests: a fresh prefix per test, Wine's registry and
# files as the tests read them, and the checks. Sourced, not run.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-$(dirname "$WINE")/wineserver}
export WINE WINESERVER
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
DIST=${RAVLIN_DIST:-$top/dist}
failures=0

# new_prefix NAME [MACHINE]: a fresh prefix under the test's scratch folder.
new_prefix() {
  export WINEPREFIX=$scratch/$1
  bash "$top/tools/wine/make-prefix.sh" "$WINEPREFIX" "${@:2}"
}

end_prefix() {
  [ -n "${WINEPREFIX:-}" ] && bash "$top/tools/wine/make-prefix.sh" --stop "$WINEPREFIX"
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/ravlin-wine-XXXXXX")
trap 'end_prefix; rm -rf "$scratch"' EXIT

# The Linux path of a C: path in the current prefix, folder names matched
# without regard to case, as Wine does.
unix_path() {
  local rest=${1#[Cc]:\\} path=$WINEPREFIX/drive_c part match
  IFS='\' read -r -a parts <<<"$rest"
  for part in "${parts[@]}"; do
    match=$(find "$path" -maxdepth 1 -mindepth 1 -iname "$part" -print -quit 2>/dev/null)
    path=${match:-$path/$part}
  done
  printf '%s\n' "$path"
}

# reg_value KEY NAME: the data of one value as `reg query` prints it, or
# nothing when the key or value is missing. An empty NAME is the default value.
reg_value() {
  local select=(/v "$2") name=$2
  [ -z "$2" ] && select=(/ve) && name="(Default)"
  "$WINE" reg query "$1" "${select[@]}" 2>/dev/null | tr -d '\r' \
    | awk -v name="$name" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print }'
}

reg_key_exists() { "$WINE" reg query "$1" >/dev/null 2>&1; }

pass() { echo "  ok   $*"; }
fail() { echo "  FAIL $*"; failures=$((failures + 1)); }
check() { # description command...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
check_eq() { # description actual expected
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1: got '$2', want '$3'"; fi
}
finish() {
  [ "$failures" -eq 0 ] && { echo "passed"; exit 0; }
  echo "$failures check(s) failed"; exit 1
}

need_dist() {
  for f in "$@"; do
    [ -e "$DIST/$f" ] || { echo "skipped: $DIST/$f is missing (bash tools/build-windows.sh)"; exit 77; }
  done
}
