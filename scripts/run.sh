#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts zel2009 on
# the default program directory ./programa (made on first use).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target zel2009
dir=${ZEL_PROGRAM_DIR:-$PWD/programa}
bin=build/release/src/zel2009
if "$bin" --help >/dev/null 2>&1 && "$bin" --help | grep -q -- --init; then
  "$bin" --init "$dir"
  cd "$dir"
fi
exec "$OLDPWD/$bin" "$@"
