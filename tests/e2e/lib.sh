# End-to-end helpers: run a program in a private tmux server at 80 x 25 and
# drive it like a user. Source this file from a bash script:
#
#   source lib.sh
#   e2e_start [-t TERM] [-s COLSxROWS] [-e NAME=VALUE]... [-d DIR] -- PROGRAM [ARGS...]
#   e2e_wait_for 'regex'          # poll the screen text (default limit 5 s)
#   e2e_press Enter M-w F12        # tmux key names
#   e2e_press_hex 1b 5b 5a         # raw bytes
#   e2e_type 'çã'                  # literal text (UTF-8)
#   e2e_row 3                      # text of one row (0 = top)
#   e2e_row_sgr 3                  # the same with colour codes (SGR)
#   e2e_colour 3 10                # colour of a cell as a colour string: W+/B+
#   e2e_wait_exit; e2e_status      # exit status of the program
#   e2e_stderr; e2e_stty           # its standard error; terminal settings after it
#   e2e_resize 60 20               # resize the terminal
#
# The server has its own socket and an empty configuration, so it never
# touches a developer's tmux; it is killed and the temporary folder removed
# when the script ends. On a failed wait the screen is printed.

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_TMP=$(mktemp -d)
E2E_SOCK="zel-e2e-$$"
# Panes stay after their program ends, for the last screen; the server stays
# between sessions (a new session must not race a server shutting down).
printf '%s\n' 'set -g remain-on-exit on' 'set -s exit-empty off' > "$E2E_TMP/tmux.conf"
E2E_T=(tmux -L "$E2E_SOCK" -f "$E2E_TMP/tmux.conf")
trap '"${E2E_T[@]}" kill-server 2>/dev/null || true; rm -rf "$E2E_TMP"' EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  echo "----- screen -----" >&2
  e2e_screen >&2 || true
  echo "------------------" >&2
  if [ -s "$E2E_TMP/stderr" ]; then
    echo "----- stderr -----" >&2
    cat "$E2E_TMP/stderr" >&2
  fi
  exit 1
}

# Starts the program (LANG C.UTF-8, ESCDELAY 25). -t sets TERM (default
# tmux-256color), -s the terminal size (default 80x25), -e adds an
# environment variable, -d the working directory (default the temporary
# folder, $E2E_TMP). The pane stays after the program ends; its exit status
# goes to a file, its standard error to another (e2e_stderr; the program
# draws on the terminal, not there), and `stty -a` of the terminal after it
# to a third (e2e_stty). A second call replaces the first program's session.
e2e_start() {
  local term=tmux-256color dir="$E2E_TMP" envs=() size=80x25
  while [ $# -gt 0 ]; do
    case "$1" in
      -t) term=$2; shift 2 ;;
      -s) size=$2; shift 2 ;;
      -e) envs+=("$2"); shift 2 ;;
      -d) dir=$2; shift 2 ;;
      --) shift; break ;;
      *) break ;;
    esac
  done
  [ $# -gt 0 ] || e2e_fail "e2e_start: no program given"
  local cmd
  cmd=$(printf '%q ' env "TERM=$term" LANG=C.UTF-8 LC_ALL=C.UTF-8 ESCDELAY=25 "${envs[@]}" "$@")
  local status="$E2E_TMP/status" after="$E2E_TMP/stty"
  rm -f "$status" "$after" "$E2E_TMP/stderr"
  "${E2E_T[@]}" kill-session -t app 2>/dev/null || true
  "${E2E_T[@]}" new-session -d -s app -x "${size%x*}" -y "${size#*x}" -c "$dir" \
    "$cmd 2> '$E2E_TMP/stderr'; echo \$? > '$status.tmp'; stty -a > '$after' 2>&1; mv '$status.tmp' '$status'"
}

e2e_screen() { "${E2E_T[@]}" capture-pane -p -t app; }
e2e_row() { "${E2E_T[@]}" capture-pane -p -t app -S "$1" -E "$1"; }
e2e_row_sgr() { "${E2E_T[@]}" capture-pane -p -e -t app -S "$1" -E "$1"; }

# Colour of cells as the program wrote them ("GR+/B"): ROW COL, or ROW COL
# LEN for "char colour" lines of LEN cells.
e2e_colour() {
  local out
  out=$("${E2E_T[@]}" capture-pane -p -e -N -t app | /usr/bin/python3 "$E2E_LIB_DIR/cells.py" "$@")
  if [ $# -lt 3 ]; then echo "${out##* }"; else echo "$out"; fi
}

e2e_press() { "${E2E_T[@]}" send-keys -t app "$@"; }
e2e_press_hex() { "${E2E_T[@]}" send-keys -t app -H "$@"; }
e2e_type() { "${E2E_T[@]}" send-keys -t app -l "$1"; }

# Waits until the screen text matches an extended regex.
e2e_wait_for() {
  local re=$1 limit=${2:-5} i
  for ((i = 0; i < limit * 20; i++)); do
    e2e_screen | grep -qE -- "$re" && return 0
    sleep 0.05
  done
  e2e_fail "timeout waiting for /$re/"
}

# Waits for the program to end; fails after the limit (default 5 s).
e2e_wait_exit() {
  local limit=${1:-5} i
  for ((i = 0; i < limit * 20; i++)); do
    [ -s "$E2E_TMP/status" ] && return 0
    sleep 0.05
  done
  e2e_fail "the program did not end"
}

e2e_status() { cat "$E2E_TMP/status"; }
e2e_stderr() { cat "$E2E_TMP/stderr" 2>/dev/null || true; }
# Terminal settings right after the program ended (to check they were restored).
e2e_stty() { cat "$E2E_TMP/stty"; }

e2e_resize() { "${E2E_T[@]}" resize-window -t app -x "$1" -y "$2"; }
