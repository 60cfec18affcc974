#!/usr/bin/env bash
# zel2009 until its shell exists: a notice on the terminal that ends on any
# key with status 0, and the notice on standard output without a terminal.
# Usage: notice_test.sh ZEL2009
set -euo pipefail
APP=${1:?path to zel2009}
source "$(dirname "$0")/lib.sh"

e2e_start -- "$APP"
e2e_wait_for 'näo está disponível nesta versäo'
e2e_screen | grep -q 'Tecle algo para sair' || e2e_fail "no key hint"
e2e_press x
e2e_wait_exit
[ "$(e2e_status)" = 0 ] || e2e_fail "exit status $(e2e_status)"
grep -qw -- '-icanon' <<<"$(e2e_stty)" && e2e_fail "terminal left in raw mode"

out=$("$APP" </dev/null | cat)
grep -q 'näo está disponível' <<<"$out" || { echo "FAIL: no notice without a terminal: $out"; exit 1; }
echo "zel2009 notice: all checks passed"
