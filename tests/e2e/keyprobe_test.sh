#!/usr/bin/env bash
# The real terminal backend in tmux: glyphs, colours, keys and mouse as the
# user's terminal sends them, and the terminal given back after a crash.
# Usage: keyprobe_test.sh KEYPROBE [TERM]
set -euo pipefail
PROBE=${1:?path to keyprobe}
TERM_NAME=${2:-tmux-256color}
source "$(dirname "$0")/lib.sh"

e2e_start -t "$TERM_NAME" -- "$PROBE"
e2e_wait_for 'EVENTS: 0'

# Glyphs: single and double boxes, junctions, shades, accented letters.
screen=$(e2e_screen)
for want in '┌──────────────┐' '╔══════════════╗' '└──────────────┘' '╚══════════════╝' \
            'JUNC: ┬┴├┤┼ ╦╩╠╣╬' 'SHADE: ░▒▓█■' 'TEXT: Atençäo ÇÃÕÁÉÍÓÚ áéíóúâêôàü 1º 2ª'; do
  grep -qF -- "$want" <<<"$screen" || e2e_fail "missing glyphs: $want"
done

# Colours, cell by cell, as the program wrote them (with eight colours the
# bright ones come out as bold and blink).
for cell in "0 0 W+/B" "2 2 W+/B" "3 5 GR+/B" "11 2 W+/B+" "11 7 W+/B+" "11 8 GR+/B" "12 2 W+/R"; do
  set -- $cell
  got=$(e2e_colour "$1" "$2")
  [ "$got" = "$3" ] || e2e_fail "colour at $1,$2: expected $3, got $got"
done

n=0
key() {  # key EXPECTED-CODE tmux-args...
  local want=$1; shift
  n=$((n + 1))
  "$@"
  e2e_wait_for "EVENTS: $n( |$)"
  e2e_row 21 | grep -qE "LAST: $want( |$)" || e2e_fail "after '$*' expected code $want, got: $(e2e_row 21)"
}
key 273 e2e_press M-w          # Alt+W
key 273 e2e_press M-W
key 274 e2e_press M-e          # Alt+E
key -41 e2e_press F12
key -40 e2e_press F11
key 28 e2e_press F1
key -1 e2e_press F2
key -9 e2e_press F10
key -31 e2e_press M-F2         # Alt+F2
key -34 e2e_press M-F5         # Alt+F5
key 271 e2e_press BTab         # Shift+Tab
key 10 e2e_press_hex 0a        # Ctrl+Enter as the terminal reports it
key 13 e2e_press Enter
key 27 e2e_press Escape
key 5 e2e_press Up
key 24 e2e_press Down
key 19 e2e_press Left
key 4 e2e_press Right
key 26 e2e_press C-Left
key 2 e2e_press C-Right
key 1 e2e_press Home
key 6 e2e_press End
key 18 e2e_press PPage
key 3 e2e_press NPage
key 29 e2e_press C-Home
key 23 e2e_press C-End
key 31 e2e_press C-PPage
key 30 e2e_press C-NPage
key 22 e2e_press IC
key 7 e2e_press DC
key 8 e2e_press BSpace
key 9 e2e_press Tab
key 3 e2e_press C-c            # Ctrl+C is a key, not a signal
key 302 e2e_press M-c          # and so is the old break key, Alt+C
key 135 e2e_type 'ç'           # UTF-8 in, CP850 byte out
key 376 e2e_press M-1          # Alt+1

# Mouse: an X10 report (what tmux sends for this TERM) and an SGR report.
key 1002 e2e_press_hex 1b 5b 4d 20 2b 26
e2e_row 22 | grep -q 'MOUSE: 5,10' || e2e_fail "X10 click position: $(e2e_row 22)"
key 1003 e2e_press_hex 1b 5b 3c 32 3b 38 30 3b 32 35 4d
e2e_row 22 | grep -q 'MOUSE: 24,79' || e2e_fail "SGR click position: $(e2e_row 22)"

e2e_press q
e2e_wait_exit
[ "$(e2e_status)" = 0 ] || e2e_fail "exit status $(e2e_status)"
grep -qw -- '-icanon' <<<"$(e2e_stty)" && e2e_fail "terminal left in raw mode after exit"

# A crash gives the terminal back too, and the signal still ends the program.
e2e_start -t "$TERM_NAME" -- "$PROBE"
e2e_wait_for 'EVENTS: 0'
e2e_press K
e2e_wait_exit
[ "$(e2e_status)" = 134 ] || e2e_fail "abort gave status $(e2e_status), expected 134"
grep -qw -- '-icanon' <<<"$(e2e_stty)" && e2e_fail "terminal left in raw mode after a crash"
grep -qw -- '-echo' <<<"$(e2e_stty)" && e2e_fail "echo left off after a crash"
# A terminal too small: a notice, then the screen once it is big enough;
# keys typed meanwhile are not taken as input.
if [ "$TERM_NAME" = tmux-256color ]; then
  e2e_start -s 60x20 -- "$PROBE"
  e2e_wait_for 'tecle algo para sair'
  e2e_resize 80 25
  e2e_wait_for 'EVENTS: 0'
  e2e_resize 70 25
  e2e_wait_for 'Aumente a janela para continuar'
  e2e_press x
  e2e_resize 80 25
  e2e_wait_for 'KEYPROBE'
  e2e_press M-w
  e2e_wait_for 'EVENTS: 1( |$)'
  e2e_row 21 | grep -q 'LAST: 273 ' || e2e_fail "key after resize: $(e2e_row 21)"
  e2e_press q
  e2e_wait_exit

  # Giving up while it is too small ends with a message, not a broken screen.
  e2e_start -s 60x20 -- "$PROBE"
  e2e_wait_for 'tecle algo para sair'
  e2e_press x
  e2e_wait_exit
  [ "$(e2e_status)" = 2 ] || e2e_fail "status $(e2e_status) after giving up"
  grep -q 'smaller than 80 columns' <<<"$(e2e_stderr)" || e2e_fail "no message: $(e2e_stderr)"
fi
echo "keyprobe ($TERM_NAME): all checks passed"
