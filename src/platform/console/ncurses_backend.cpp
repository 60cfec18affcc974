// The real terminal. The only file that includes curses.
//
// Keys are read as raw bytes (keypad off) and decoded by key_decoder, so one
// tested table covers every terminal; the mouse is switched on with the
// xterm report modes and decoded there too. Cells are drawn as the Unicode
// glyphs of their CP850 bytes.
#include "platform/console/backend.h"
#include "platform/console/key_decoder.h"
#include "platform/sys/cp850.h"

#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

// curses defines these as macros; they clash with our names.
#undef clear
#undef erase
#undef move
#undef scroll

namespace zel {

namespace {

constexpr const char kMouseOn[] = "\x1b[?1000h\x1b[?1006h";
constexpr const char kMouseOff[] = "\x1b[?1006l\x1b[?1000l";

// What a fatal signal handler needs, prepared beforehand: it may only call
// async-signal-safe functions (write, tcsetattr, raise).
struct FatalRestore {
  termios saved{};
  bool haveSaved = false;
  char text[256] = {};
  size_t len = 0;
};
FatalRestore g_restore;
volatile sig_atomic_t g_active = 0;

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL,
                                 SIGTERM, SIGINT,  SIGHUP, SIGQUIT};
struct sigaction g_oldActions[sizeof(kFatalSignals) / sizeof(int)];

void onFatalSignal(int sig) {
  if (g_active) {
    g_active = 0;
    if (g_restore.len) {
      ssize_t ignored = ::write(STDOUT_FILENO, g_restore.text, g_restore.len);
      (void)ignored;
    }
    if (g_restore.haveSaved) tcsetattr(STDIN_FILENO, TCSANOW, &g_restore.saved);
  }
  // SA_RESETHAND put the default action back: raising again ends the
  // process the way the signal meant to (core dump, exit status).
  raise(sig);
}

void appendCap(std::string& s, const char* cap) {
  char* v = tigetstr(cap);
  if (v && v != reinterpret_cast<char*>(-1)) s += v;
}

long long steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// PC colour order (blue is 1, red is 4) to curses order (red is 1, blue is 4).
constexpr short kDosToCurses[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                   COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

constexpr int kResized = -2;
constexpr int kTimedOut = -1;

class NcursesBackend : public Backend {
 public:
  NcursesBackend(SCREEN* scr, int escDelayMs) : scr_(scr), escDelayMs_(escDelayMs) {
    sixteen_ = COLORS >= 16;
  }
  ~NcursesBackend() override {
    g_active = 0;
    for (size_t i = 0; i < std::size(kFatalSignals); ++i)
      sigaction(kFatalSignals[i], &g_oldActions[i], nullptr);
    std::fputs(kMouseOff, stdout);
    std::fflush(stdout);
    endwin();
    delscreen(scr_);
  }

  bool fits() const { return getmaxy(stdscr) >= Screen::kRows && getmaxx(stdscr) >= Screen::kCols; }

  void present(const Screen& s, int row, int col, bool visible) override {
    shown_ = s;
    cursorRow_ = row;
    cursorCol_ = col;
    cursorVisible_ = visible;
    if (getmaxy(stdscr) != rows_ || getmaxx(stdscr) != cols_) resized();
    if (tooSmall_) return;
    for (int r = 0; r < Screen::kRows; ++r) {
      int begin = fullRedraw_ ? 0 : s.dirty(r).begin;
      int end = fullRedraw_ ? Screen::kCols - 1 : s.dirty(r).end;
      for (int c = begin; c <= end; ++c) drawCell(r, c, s.at(r, c));
    }
    fullRedraw_ = false;
    placeCursor();
    wrefresh(stdscr);
  }

  bool poll(int timeoutMs, InputEvent& out) override {
    const long long deadline = timeoutMs >= 0 ? steadyMs() + timeoutMs : -1;
    while (true) {
      if (!buf_.empty()) {
        DecodeStep st = decodeInput(buf_, true);
        if (st.kind == DecodeStep::kNeedMore) {
          int b = readByte(escDelayMs_);
          if (b >= 0) {
            buf_ += static_cast<char>(b);
            continue;
          }
          if (b == kResized) resized();
          st = decodeInput(buf_, false);
        }
        buf_.erase(0, st.used == 0 ? 1 : st.used);
        if (st.kind == DecodeStep::kEvent && !tooSmall_) {
          out = st.event;
          return true;
        }
        continue;
      }
      int wait = -1;
      if (deadline >= 0) {
        long long left = deadline - steadyMs();
        if (left <= 0 && timeoutMs > 0) return false;
        wait = static_cast<int>(left < 0 ? 0 : left);
      }
      int b = readByte(wait);
      if (b == kResized) {
        resized();
      } else if (b >= 0) {
        buf_ += static_cast<char>(b);
      } else if (deadline >= 0 && (timeoutMs == 0 || steadyMs() >= deadline)) {
        return false;
      }
    }
  }

  void tone(int, int) override { beep(); }

  void discardTypeahead() override {
    flushinp();
    buf_.clear();
  }

  // Shows the "too small" notice until the terminal is resized to fit or a
  // key is pressed. True when it fits afterwards.
  bool waitUntilItFits() {
    rows_ = getmaxy(stdscr);
    cols_ = getmaxx(stdscr);
    while (!fits()) {
      showTooSmall(true);
      int b = readByte(-1);
      if (b == kResized) {
        rows_ = getmaxy(stdscr);
        cols_ = getmaxx(stdscr);
        continue;
      }
      if (b >= 0) return fits();
    }
    tooSmall_ = false;
    fullRedraw_ = true;
    ::werase(stdscr);
    return true;
  }

 private:
  // One input byte within `ms` (negative: for ever): the byte, kTimedOut or
  // kResized.
  int readByte(int ms) {
    wtimeout(stdscr, ms);
    int ch = wgetch(stdscr);
    if (ch == KEY_RESIZE) return kResized;
    if (ch == ERR) return getmaxy(stdscr) != rows_ || getmaxx(stdscr) != cols_ ? kResized : kTimedOut;
    if (ch < 0 || ch > 255) return kTimedOut;
    return ch;
  }

  void resized() {
    rows_ = getmaxy(stdscr);
    cols_ = getmaxx(stdscr);
    ::werase(stdscr);
    if (!fits()) {
      tooSmall_ = true;
      showTooSmall(false);
      return;
    }
    tooSmall_ = false;
    fullRedraw_ = true;
    for (int r = 0; r < Screen::kRows; ++r)
      for (int c = 0; c < Screen::kCols; ++c) drawCell(r, c, shown_.at(r, c));
    fullRedraw_ = false;
    placeCursor();
    wrefresh(stdscr);
  }

  void showTooSmall(bool atStart) {
    ::werase(stdscr);
    wattrset(stdscr, A_NORMAL);
    std::string size = "A janela do terminal tem " + std::to_string(getmaxx(stdscr)) + " x " +
                       std::to_string(getmaxy(stdscr)) + ";";
    mvwaddstr(stdscr, 0, 0, size.c_str());
    mvwaddstr(stdscr, 1, 0, "o programa precisa de 80 colunas x 25 linhas.");
    mvwaddstr(stdscr, 2, 0,
              atStart ? "Aumente a janela, ou tecle algo para sair."
                      : "Aumente a janela para continuar.");
    curs_set(0);
    wrefresh(stdscr);
  }

  short pairFor(Attr a) {
    int f = a & 15, b = a >> 4;
    int key = sixteen_ ? a : (f & 7) + 8 * (b & 7);
    short& p = pairs_[static_cast<size_t>(key)];
    if (p == 0 && nextPair_ < COLOR_PAIRS) {
      short fg = kDosToCurses[f & 7], bg = kDosToCurses[b & 7];
      if (sixteen_) {
        if (f & 8) fg = static_cast<short>(fg + 8);
        if (b & 8) bg = static_cast<short>(bg + 8);
      }
      if (init_pair(nextPair_, fg, bg) == OK) p = nextPair_++;
    }
    return p;
  }

  void drawCell(int r, int c, const Cell& cell) {
    attr_t attrs = A_NORMAL;
    if (!sixteen_) {  // eight colours: bright foreground as bold, background as blink
      if (cell.attr & 0x08) attrs |= A_BOLD;
      if (cell.attr & 0x80) attrs |= A_BLINK;
    }
    wchar_t wc[2] = {static_cast<wchar_t>(cp850Glyph(cell.ch)), 0};
    cchar_t cc;
    setcchar(&cc, wc, attrs, pairFor(cell.attr), nullptr);
    mvwadd_wch(stdscr, r, c, &cc);
  }

  void placeCursor() {
    if (cursorVisible_ && cursorRow_ >= 0 && cursorRow_ < Screen::kRows && cursorCol_ >= 0) {
      wmove(stdscr, cursorRow_, cursorCol_ < Screen::kCols ? cursorCol_ : Screen::kCols - 1);
      curs_set(1);
    } else {
      curs_set(0);
    }
  }

  SCREEN* scr_;
  int escDelayMs_;
  bool sixteen_ = true;
  std::array<short, 256> pairs_{};
  short nextPair_ = 1;
  std::string buf_;
  Screen shown_;
  bool fullRedraw_ = true;
  bool tooSmall_ = false;
  int rows_ = 0, cols_ = 0;
  int cursorRow_ = 0, cursorCol_ = 0;
  bool cursorVisible_ = true;
};

bool utf8Locale() {
  const char* cs = nl_langinfo(CODESET);
  return cs && (std::strcmp(cs, "UTF-8") == 0 || std::strcmp(cs, "utf8") == 0);
}

}  // namespace

std::unique_ptr<Backend> makeNcursesBackend(std::string* error) {
  auto fail = [&](const char* why) -> std::unique_ptr<Backend> {
    if (error) *error = why;
    return nullptr;
  };
  if (g_active) return fail("the terminal is already in use by another console");
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return fail("not a terminal");

  // Only the character type: numbers and dates are formatted by the program
  // itself and must not pick up the user's decimal comma.
  std::setlocale(LC_CTYPE, "");
  if (!utf8Locale()) std::setlocale(LC_CTYPE, "C.UTF-8");
  if (!utf8Locale()) return fail("no UTF-8 locale available");

  g_restore.haveSaved = tcgetattr(STDIN_FILENO, &g_restore.saved) == 0;
  SCREEN* scr = newterm(nullptr, stdout, stdin);
  if (!scr) return fail("the terminal type (TERM) is unknown");
  set_term(scr);
  if (!has_colors()) {
    endwin();
    delscreen(scr);
    return fail("the terminal has no colours");
  }
  start_color();
  raw();  // Ctrl+C, Ctrl+Z, Ctrl+S are keys: the break key is disabled
  noecho();
  nonl();
  keypad(stdscr, FALSE);
  meta(stdscr, TRUE);
  scrollok(stdscr, FALSE);
  leaveok(stdscr, FALSE);

  int escDelay = 50;
  if (const char* e = std::getenv("ESCDELAY"); e && *e) escDelay = std::atoi(e);
  if (escDelay < 1) escDelay = 1;

  std::string restore = kMouseOff;
  appendCap(restore, "sgr0");
  appendCap(restore, "cnorm");
  appendCap(restore, "rmcup");
  g_restore.len = std::min(restore.size(), sizeof(g_restore.text));
  std::memcpy(g_restore.text, restore.data(), g_restore.len);

  auto backend = std::make_unique<NcursesBackend>(scr, escDelay);
  g_active = 1;
  for (size_t i = 0; i < std::size(kFatalSignals); ++i) {
    struct sigaction sa {};
    sa.sa_handler = onFatalSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND;
    sigaction(kFatalSignals[i], &sa, &g_oldActions[i]);
  }
  wrefresh(stdscr);
  std::fputs(kMouseOn, stdout);
  std::fflush(stdout);

  if (!backend->waitUntilItFits())
    return fail("the terminal is smaller than 80 columns x 25 rows");
  return backend;
}

}  // namespace zel
