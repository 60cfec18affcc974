#include "platform/widgets/menu_bar.h"

#include <algorithm>

#include "platform/console/keys.h"
#include "platform/sys/cp850.h"

namespace zel {

namespace {

constexpr int kStatusRow = 24;
constexpr unsigned char kSeparatorByte = 0xC4;  // "─"

// Alt+letter codes in alphabetical order; the PC scan codes are not.
constexpr int kAltLetters[26] = {
    key::kAltA, key::kAltB, key::kAltC, key::kAltD, key::kAltE, key::kAltF, key::kAltG,
    key::kAltH, key::kAltI, key::kAltJ, key::kAltK, key::kAltL, key::kAltM, key::kAltN,
    key::kAltO, key::kAltP, key::kAltQ, key::kAltR, key::kAltS, key::kAltT, key::kAltU,
    key::kAltV, key::kAltW, key::kAltX, key::kAltY, key::kAltZ};

// Alt code of a hot letter (upper case); 0 when the letter has none.
int altOf(unsigned char hot) {
  if (hot >= 'A' && hot <= 'Z') return kAltLetters[hot - 'A'];
  if (hot >= '0' && hot <= '9') return key::altDigit(hot - '0');
  return 0;
}

// Upper-cased CP850 byte of a plain key; 0 for keys that are not characters.
unsigned char charOf(int k) {
  if (k < 32 || k > 255) return 0;
  return cp850Upper(static_cast<unsigned char>(k));
}

int hotIndexOf(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i)
    if (caption[i] == '&') return static_cast<int>(i);
  return -1;
}

std::string withoutMarker(std::string_view caption) {
  std::string out(caption);
  int i = hotIndexOf(caption);
  if (i >= 0) out.erase(static_cast<size_t>(i), 1);
  return out;
}

unsigned char hotOf(std::string_view caption) {
  int i = hotIndexOf(caption);
  return i < 0 ? 0 : cp850Upper(static_cast<unsigned char>(caption[static_cast<size_t>(i) + 1]));
}

// Writes a caption at (row, col) in `base`, its hot letter in `hot`.
void writeCaption(Screen& s, int row, int col, std::string_view caption, Attr base, Attr hot) {
  std::string text = withoutMarker(caption);
  s.write(row, col, text, base);
  int i = hotIndexOf(caption);
  if (i >= 0) s.paint(row, col + i, 1, hot);
}

}  // namespace

bool MenuItem::isSeparator() const {
  // The caption is "─" as CP850 (one byte) or, when a caller forgot the
  // conversion, as the three UTF-8 bytes.
  return caption == std::string(1, static_cast<char>(kSeparatorByte)) || caption == "\xE2\x94\x80";
}

std::string MenuItem::text() const { return withoutMarker(caption); }
unsigned char MenuItem::hotLetter() const { return isSeparator() ? 0 : hotOf(caption); }
int MenuItem::hotIndex() const { return isSeparator() ? -1 : hotIndexOf(caption); }

MenuItem& PullDown::add(std::string caption, int shortcut, std::string status, int id,
                        MenuAction action) {
  MenuItem item;
  item.caption = std::move(caption);
  item.shortcut = shortcut;
  item.status = std::move(status);
  item.id = id;
  item.action = std::move(action);
  items.push_back(std::move(item));
  return items.back();
}

MenuItem& PullDown::addSeparator() {
  MenuItem item;
  item.caption = std::string(1, static_cast<char>(kSeparatorByte));
  item.enabled = false;
  items.push_back(std::move(item));
  return items.back();
}

MenuColours MenuColours::parse(std::string_view list) {
  MenuColours c;
  Attr* slots[6] = {&c.item, &c.selected, &c.hot, &c.hotSelected, &c.disabled, &c.frame};
  size_t start = 0;
  for (int i = 0; i < 6 && start <= list.size(); ++i) {
    size_t comma = list.find(',', start);
    std::string_view pair =
        list.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (auto a = parseColourPair(pair)) *slots[i] = *a;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return c;
}

// ---------------------------------------------------------------------------

struct MenuBar::Open {
  bool isOpen = false;
  int position = 0;  // 1-based title
  int top = 0, left = 0, bottom = 0, right = 0;
  int highlighted = -1;  // item index
  SavedRegion saved;
};

MenuBar::MenuBar(std::string_view colours, int row, Console& con)
    : con_(con), row_(row), colours_(MenuColours::parse(colours)) {}

PullDown& MenuBar::addMenu(std::string title) {
  menus_.push_back(PullDown{std::move(title), {}});
  return menus_.back();
}

MenuItem* MenuBar::findItem(int id) {
  for (auto& m : menus_)
    for (auto& it : m.items)
      if (!it.isSeparator() && it.id == id) return &it;
  return nullptr;
}

void MenuBar::layout() {
  // Each title takes its text with one blank on either side; the highlight
  // covers the blanks too.
  titleCols_.clear();
  int col = 0;
  for (auto& m : menus_) {
    titleCols_.push_back(col);
    col += static_cast<int>(withoutMarker(m.title).size()) + 2;
  }
  titleCols_.push_back(col);
}

int MenuBar::titleLeft(int position) const {
  return titleCols_.at(static_cast<size_t>(position - 1));
}
int MenuBar::titleRight(int position) const { return titleCols_.at(static_cast<size_t>(position)); }

int MenuBar::titleAt(int col) const {
  for (int p = 1; p <= menuCount(); ++p)
    if (col >= titleLeft(p) && col < titleRight(p)) return p;
  return 0;
}

void MenuBar::drawBar(int position) {
  layout();
  Screen& s = con_.screen();
  s.clear(row_, 0, row_, Screen::kCols - 1, colours_.item);
  for (int p = 1; p <= menuCount(); ++p) {
    bool sel = p == position;
    Attr base = sel ? colours_.selected : colours_.item;
    int left = titleLeft(p);
    s.write(row_, left, std::string(static_cast<size_t>(titleRight(p) - left), ' '), base);
    writeCaption(s, row_, left + 1, menu(p).title, base, sel ? colours_.hotSelected : colours_.hot);
  }
}

int MenuBar::findTitleHot(int k) const {
  for (int p = 1; p <= menuCount(); ++p) {
    int alt = altOf(hotOf(menus_[static_cast<size_t>(p - 1)].title));
    if (alt != 0 && alt == k) return p;
  }
  return 0;
}

MenuItem* MenuBar::findShortcut(int k, int* position) {
  if (k == key::kNone) return nullptr;
  for (int p = 1; p <= menuCount(); ++p)
    for (auto& it : menu(p).items)
      if (!it.isSeparator() && it.enabled && it.shortcut == k) {
        *position = p;
        return &it;
      }
  return nullptr;
}

int MenuBar::nextSelectable(int position, int from, int step) const {
  const auto& items = menus_[static_cast<size_t>(position - 1)].items;
  int n = static_cast<int>(items.size());
  for (int i = 1; i <= n; ++i) {
    int k = ((from + step * i) % n + n) % n;
    const MenuItem& it = items[static_cast<size_t>(k)];
    if (!it.isSeparator() && it.enabled) return k;
  }
  return -1;
}

void MenuBar::openPullDown(Open& o, int position) {
  if (o.isOpen) closePullDown(o);
  PullDown& m = menu(position);
  int width = 0;
  for (auto& it : m.items)
    if (!it.isSeparator()) width = std::max(width, static_cast<int>(it.text().size()));
  int inner = width + 2;
  o.position = position;
  o.top = row_ + 1;
  o.bottom = o.top + static_cast<int>(m.items.size()) + 1;
  o.left = titleLeft(position);
  o.right = o.left + inner + 1;
  if (o.right > Screen::kCols - 1) {
    o.left = std::max(0, o.left - (o.right - (Screen::kCols - 1)));
    o.right = std::min(Screen::kCols - 1, o.left + inner + 1);
  }
  o.saved = con_.screen().save(o.top, o.left, o.bottom, o.right);
  o.isOpen = true;
  o.highlighted = nextSelectable(position, -1, 1);
}

void MenuBar::closePullDown(Open& o) {
  if (!o.isOpen) return;
  con_.screen().restore(o.saved);
  o.isOpen = false;
  o.highlighted = -1;
}

void MenuBar::drawPullDown(const Open& o, int highlighted) {
  Screen& s = con_.screen();
  const PullDown& m = menu(o.position);
  s.box(o.top, o.left, o.bottom, o.right, BoxStyle::kSingle, colours_.frame);
  int inner = o.right - o.left - 1;
  for (size_t i = 0; i < m.items.size(); ++i) {
    int r = o.top + 1 + static_cast<int>(i);
    const MenuItem& it = m.items[i];
    if (it.isSeparator()) {
      s.write(r, o.left, "\xC3", colours_.frame);  // ├
      s.fill(r, o.left + 1, r, o.right - 1, kSeparatorByte, colours_.frame);
      s.write(r, o.right, "\xB4", colours_.frame);  // ┤
      continue;
    }
    bool sel = static_cast<int>(i) == highlighted;
    Attr base = !it.enabled ? colours_.disabled : sel ? colours_.selected : colours_.item;
    Attr hot = !it.enabled ? colours_.disabled : sel ? colours_.hotSelected : colours_.hot;
    s.clear(r, o.left + 1, r, o.left + inner, base);
    writeCaption(s, r, o.left + 2, it.caption, base, hot);
  }
}

void MenuBar::showStatus(const MenuItem* item) {
  Screen& s = con_.screen();
  if (!item) {
    if (statusSaved_)
      for (int c = 0; c < Screen::kCols; ++c)
        s.set(kStatusRow, c, savedStatus_[static_cast<size_t>(c)]);
    return;
  }
  std::string text = item->status.substr(0, Screen::kCols);
  text.resize(Screen::kCols, ' ');
  s.write(kStatusRow, 0, text, colours_.item);
}

MenuChoice MenuBar::choose(Open& o, int position, MenuItem& item) {
  closePullDown(o);
  showStatus(nullptr);
  statusSaved_ = false;
  drawBar(position);
  // The command starts with the cursor as it was before the bar ran.
  con_.showCursor(cursorBefore_);
  if (item.action) item.action(item);
  return {position, &item};
}

MenuChoice MenuBar::run(int position, bool openFirst) {
  if (menus_.empty()) return {0, nullptr};
  layout();
  position = std::clamp(position, 1, menuCount());
  savedStatus_.clear();
  for (int c = 0; c < Screen::kCols; ++c) savedStatus_.push_back(con_.screen().at(kStatusRow, c));
  statusSaved_ = true;

  cursorBefore_ = con_.cursorVisible();
  con_.showCursor(false);
  Open o;
  drawBar(position);
  if (openFirst) openPullDown(o, position);

  auto finish = [&](MenuChoice c) {
    if (!c.item) con_.showCursor(cursorBefore_);
    statusSaved_ = false;
    return c;
  };
  auto openAt = [&](int p) {
    position = p;
    drawBar(position);
    openPullDown(o, position);
  };

  for (;;) {
    if (o.isOpen) {
      drawPullDown(o, o.highlighted);
      const auto& items = menu(o.position).items;
      showStatus(o.highlighted >= 0 ? &items[static_cast<size_t>(o.highlighted)] : nullptr);
    } else {
      showStatus(nullptr);
    }
    int k = con_.waitKey();

    int shortcutPos = 0;
    if (MenuItem* it = findShortcut(k, &shortcutPos)) return finish(choose(o, shortcutPos, *it));

    if (k == key::kMouseLeft) {
      int r = con_.mouseRow(), c = con_.mouseCol();
      if (r == row_) {
        if (int t = titleAt(c); t != 0 && !(o.isOpen && o.position == t)) openAt(t);
        continue;
      }
      if (o.isOpen && r > o.top && r < o.bottom && c > o.left && c < o.right) {
        auto& items = menu(o.position).items;
        MenuItem& it = items[static_cast<size_t>(r - o.top - 1)];
        if (!it.isSeparator() && it.enabled) return finish(choose(o, position, it));
        continue;
      }
      if (o.isOpen) closePullDown(o);
      continue;
    }

    if (int t = findTitleHot(k)) {
      openAt(t);
      continue;
    }

    int n = menuCount();
    if (!o.isOpen) {
      switch (k) {
        case key::kLeft: position = position == 1 ? n : position - 1; drawBar(position); continue;
        case key::kRight: position = position == n ? 1 : position + 1; drawBar(position); continue;
        case key::kEnter:
        case key::kDown: openAt(position); continue;
        case key::kEsc: return finish({position, nullptr});
        default: break;
      }
      if (unsigned char ch = charOf(k))
        for (int p = 1; p <= n; ++p)
          if (hotOf(menu(p).title) == ch) {
            openAt(p);
            break;
          }
      continue;
    }

    auto& items = menu(o.position).items;
    switch (k) {
      case key::kEsc: closePullDown(o); continue;
      case key::kDown: o.highlighted = nextSelectable(o.position, o.highlighted, 1); continue;
      case key::kUp:
        o.highlighted = nextSelectable(o.position, o.highlighted < 0 ? 0 : o.highlighted, -1);
        continue;
      case key::kHome: o.highlighted = nextSelectable(o.position, -1, 1); continue;
      case key::kEnd:
        o.highlighted = nextSelectable(o.position, static_cast<int>(items.size()), -1);
        continue;
      case key::kLeft: openAt(position == 1 ? n : position - 1); continue;
      case key::kRight: openAt(position == n ? 1 : position + 1); continue;
      case key::kEnter:
        if (o.highlighted >= 0)
          return finish(choose(o, position, items[static_cast<size_t>(o.highlighted)]));
        continue;
      default: break;
    }
    if (unsigned char ch = charOf(k))
      for (auto& it : items)
        if (it.enabled && it.hotLetter() == ch) return finish(choose(o, position, it));
  }
}

}  // namespace zel
