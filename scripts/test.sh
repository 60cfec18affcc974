#!/usr/bin/env bash
# Installs what is missing, builds the debug preset and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug "$@"
