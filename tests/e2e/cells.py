#!/usr/bin/python3
"""Colours of screen cells from a `tmux capture-pane -p -e -N` dump on stdin.

Usage: cells.py ROW COL [LEN]
Prints the text of LEN cells (default 1) from ROW, COL (0-based) and the
colour of each as the program writes it ("W+/B+"), one cell a line:
    B W+/B+
Bright colours count whether the terminal showed them as colours 8-15 or,
with eight colours, as bold (foreground) and blink (background).
"""
import re
import sys

NAMES = ["N", "B", "G", "BG", "R", "BR", "GR", "W"]
# Terminal colour order (red is 1, blue is 4) to the PC order (blue is 1).
TO_PC = [0, 4, 2, 6, 1, 5, 3, 7]
SGR = re.compile(r"\x1b\[([0-9;]*)m")


def colour_string(fg, bg):
    s = NAMES[fg & 7] + ("+" if fg & 8 else "")
    return s + "/" + NAMES[bg & 7] + ("+" if bg & 8 else "")


def parse(text):
    """Rows of (char, fg, bg) in PC colour numbers."""
    fg, bg, bold, blink = None, None, False, False
    rows = []
    for line in text.split("\n"):
        row = []
        pos = 0
        for m in list(SGR.finditer(line)) + [None]:
            end = m.start() if m else len(line)
            for ch in line[pos:end]:
                f = 7 if fg is None else fg
                b = 0 if bg is None else bg
                if bold:
                    f |= 8
                if blink:
                    b |= 8
                row.append((ch, f, b))
            if not m:
                break
            pos = m.end()
            codes = [int(c) if c else 0 for c in m.group(1).split(";")]
            i = 0
            while i < len(codes):
                c = codes[i]
                if c == 0:
                    fg, bg, bold, blink = None, None, False, False
                elif c == 1:
                    bold = True
                elif c == 22:
                    bold = False
                elif c == 5:
                    blink = True
                elif c == 25:
                    blink = False
                elif 30 <= c <= 37:
                    fg = TO_PC[c - 30]
                elif 90 <= c <= 97:
                    fg = TO_PC[c - 90] | 8
                elif c == 39:
                    fg = None
                elif 40 <= c <= 47:
                    bg = TO_PC[c - 40]
                elif 100 <= c <= 107:
                    bg = TO_PC[c - 100] | 8
                elif c == 49:
                    bg = None
                elif c in (38, 48) and i + 2 < len(codes) and codes[i + 1] == 5:
                    n = codes[i + 2]
                    v = TO_PC[n & 7] | (8 if 8 <= n < 16 else 0) if n < 16 else 7
                    if c == 38:
                        fg = v
                    else:
                        bg = v
                    i += 2
                i += 1
        rows.append(row)
    return rows


def main():
    row, col = int(sys.argv[1]), int(sys.argv[2])
    length = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    rows = parse(sys.stdin.read())
    for k in range(length):
        try:
            ch, f, b = rows[row][col + k]
        except IndexError:
            print("? outside")
            continue
        print(ch, colour_string(f, b))


if __name__ == "__main__":
    main()
