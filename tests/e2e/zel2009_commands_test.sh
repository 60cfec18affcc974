#!/usr/bin/env bash
# A program directory made with --init: the dollar value typed in the menu is
# stored in DEFINE; a print choice is stored in CONFIG at once and shown in
# its caption; Terminar ends without a question and reorganises the data.
# TERMINAL=07 names the terminal on the opening screen and in its rows.
# Usage: zel2009_commands_test.sh ZEL2009   (ZELDBF in the environment)
set -euo pipefail
APP=${1:?path to zel2009}
DBF=${ZELDBF:?path to zeldbf}
source "$(dirname "$0")/lib.sh"
PROG="$E2E_TMP/programa"

"$APP" --help | grep -q -- '--init DIR' || e2e_fail "--help"
[ "$("$APP" --version)" = "zel2009 1.2Da" ] || e2e_fail "--version"
err=$("$APP" 123 2>&1 </dev/null) && e2e_fail "terminal 123 accepted"
grep -q 'does not fit two digits' <<<"$err" || e2e_fail "terminal 123: $err"
"$APP" --init "$PROG"
for t in CODABENS TABPAIS STATUS; do
  "$DBF" check "$PROG/$t.DBF" "$PROG/$t.NTX" >/dev/null || e2e_fail "$t does not check"
done

e2e_start -d "$PROG" -e TERMINAL=07 -- "$APP" 3
e2e_wait_for 'Terminal 07   ZEL Versäo'
e2e_wait_for 'Contribuinte com atividade no Brasil'

# Opcoes, Up wraps to "Valor do Dolar".
e2e_press Right
e2e_wait_for 'Seleciona drive e a pasta'
e2e_press Up
e2e_wait_for 'Informa o valor de conversao do Dolar'
e2e_press Enter
e2e_wait_for 'Informe o valor para a conversao do dolar:'
e2e_type '3.1234'  # fills the field: the entry ends, the bar is back on Opcoes
e2e_wait_for 'Seleciona drive e a pasta'
"$DBF" dump "$PROG/DEFINE.DBF" | grep -q ',3\.1234,' || e2e_fail "dollar not in DEFINE: $("$DBF" dump "$PROG/DEFINE.DBF")"

# Selecao, item 1, the cash book.
e2e_press Right
e2e_wait_for 'Selecione O QUE será impresso.'
e2e_press 1
e2e_wait_for 'Impressäo da Declaraçäo da atividade RURAL'
e2e_press L
e2e_wait_for '1-Livro caixa'
aqueimp=$("$DBF" dump "$PROG/CONFIG.DBF" | awk -F, 'NR==1{for(i=1;i<=NF;i++) if($i=="AQUEIMP") c=i} NR==2{print $c}')
[ "$aqueimp" = 2 ] || e2e_fail "AQUEIMP stored as '$aqueimp'"

e2e_press M-t
e2e_wait_exit 10
[ "$(e2e_status)" = 0 ] || e2e_fail "exit status $(e2e_status)"
"$DBF" dump "$PROG/CONFIG.DBF" | grep -q '^07,' || e2e_fail "no row of terminal 07"
[ -f "$PROG/DIRAR07.DBF" ] || e2e_fail "no directory list of terminal 07"
"$DBF" check "$PROG/ZEL309.DBF" "$PROG/ZEL309.NTX" >/dev/null || e2e_fail "ZEL309 after Terminar"
echo "zel2009 commands: all checks passed"
