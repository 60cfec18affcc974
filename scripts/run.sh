#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts zel2009 in
# the default program directory ./programa (made from the delivered data on
# first use; tables that exist are kept). Arguments go to zel2009 (the
# terminal number). ZEL_PROGRAM_DIR names another program directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target zel2009
bin="$root/build/release/src/zel2009"
dir=${ZEL_PROGRAM_DIR:-$root/programa}
"$bin" --init "$dir"
cd "$dir"
exec "$bin" "$@"
