#!/usr/bin/env bash
# First start in an empty program directory: the missing asset kinds are
# reported, the opening screen and the menu bar show, the highlighted item's
# status text is on the bottom row; Sair asks, "Nao" goes back to the menu,
# "Sim" ends with the terminal restored and the terminal's rows made.
# Usage: zel2009_first_start_test.sh ZEL2009   (ZELDBF in the environment)
set -euo pipefail
APP=${1:?path to zel2009}
DBF=${ZELDBF:?path to zeldbf}
source "$(dirname "$0")/lib.sh"
PROG="$E2E_TMP/programa"
mkdir "$PROG"

e2e_start -d "$PROG" -- "$APP"
e2e_wait_for 'CODABENS.dbf näo localizado!'
e2e_press Enter
e2e_wait_for 'Contribuinte com atividade no Brasil - Criacao ou alteracao dos dados.'
e2e_screen | grep -q 'Terminal 00   ZEL Versäo 1.2Da' || e2e_fail "opening screen"
e2e_row 0 | grep -q 'Declaracao.*Opcoes.*Selecao.*Impressao.*Backup.*Sair' || e2e_fail "menu bar"
e2e_row 24 | grep -q 'Contribuinte com atividade no Brasil' || e2e_fail "status text not on row 24"
e2e_press Down
e2e_wait_for 'Contribuinte com atividade no Exterior'

e2e_press M-r
e2e_wait_for 'Confirma saída do sistema'
e2e_press N
sleep 0.3
[ -s "$E2E_TMP/status" ] && e2e_fail "Nao ended the program"
e2e_wait_for 'Sai do programa'  # back on the bar, on the Sair menu
e2e_press M-r
e2e_wait_for 'Confirma saída do sistema'
e2e_press S
e2e_wait_exit 10
[ "$(e2e_status)" = 0 ] || e2e_fail "exit status $(e2e_status)"
grep -qw -- '-icanon' <<<"$(e2e_stty)" && e2e_fail "terminal left in raw mode"

for t in CONFIG DEFINE CORES CONFIMP DIRAR00 DIRET00 ZEL909; do
  [ -f "$PROG/$t.DBF" ] || e2e_fail "$t.DBF not made"
done
# Every table made, with the index files named after it, is consistent.
for dbf in "$PROG"/*.DBF; do
  stem=${dbf%.DBF}
  shopt -s nullglob; ntx=("$stem"[.]NTX "$stem"[BC][.]NTX); shopt -u nullglob
  "$DBF" check "$dbf" "${ntx[@]}" >/dev/null || e2e_fail "check of $dbf ${ntx[*]}: $("$DBF" check "$dbf" "${ntx[@]}" 2>&1)"
done
config=$("$DBF" dump "$PROG/CONFIG.DBF")
grep -q '^00,' <<<"$config" || e2e_fail "no row of terminal 00: $config"
[ "$("$DBF" dump "$PROG/DIRAR00.DBF" | sed -n 2p | cut -d, -f1)" = S ] || e2e_fail "directory list"
echo "zel2009 first start: all checks passed"
