#include "platform/widgets/text_viewer.h"

#include <algorithm>

#include "platform/console/keys.h"

namespace zel {

namespace {
constexpr char kSoftBreak = static_cast<char>(0x8D);
constexpr int kTabStop = 4;
}  // namespace

std::vector<std::string> splitLines(std::string_view text, bool joinSoftBreaks) {
  std::vector<std::string> out;
  std::string cur;
  bool pending = false;  // something since the last line end
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == kSoftBreak && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      if (joinSoftBreaks) {
        pending = true;
        continue;
      }
      out.push_back(std::move(cur));
      cur.clear();
      pending = false;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n') {
      out.push_back(std::move(cur));
      cur.clear();
      pending = false;
      continue;
    }
    if (c == '\t') {
      cur.append(static_cast<size_t>(kTabStop - static_cast<int>(cur.size()) % kTabStop), ' ');
    } else {
      cur.push_back(c);
    }
    pending = true;
  }
  if (pending) out.push_back(std::move(cur));
  return out;
}

std::vector<std::string> wrapLine(std::string_view line, int width) {
  std::vector<std::string> out;
  size_t w = static_cast<size_t>(std::max(1, width));
  while (line.size() > w) {
    // Break after the last blank that still fits; the blank itself is dropped.
    size_t cut = line.rfind(' ', w);
    if (cut == std::string_view::npos || cut == 0) {
      out.emplace_back(line.substr(0, w));
      line.remove_prefix(w);
    } else {
      out.emplace_back(line.substr(0, cut));
      line.remove_prefix(cut + 1);
    }
  }
  out.emplace_back(line);
  return out;
}

std::vector<std::string> wrapText(std::string_view text, int width) {
  std::vector<std::string> out;
  for (const auto& l : splitLines(text, true))
    for (auto& w : wrapLine(l, width)) out.push_back(std::move(w));
  return out;
}

TextViewer::TextViewer(std::string_view text, Rect rect, Options options, Console& con)
    : con_(con), rect_(rect), options_(options) {
  if (options_.wrap) {
    lines_ = wrapText(text, width());
  } else {
    lines_ = splitLines(text, false);
  }
}

int TextViewer::maxTop() const { return std::max(0, static_cast<int>(lines_.size()) - rows()); }

int TextViewer::maxLeft() const {
  size_t longest = 0;
  for (const auto& l : lines_) longest = std::max(longest, l.size());
  return std::max(0, static_cast<int>(longest) - width());
}

void TextViewer::draw() {
  Attr a = options_.attr.value_or(con_.colours().standard());
  Screen& s = con_.screen();
  for (int r = 0; r < rows(); ++r) {
    std::string text;
    size_t line = static_cast<size_t>(top_ + r);
    if (line < lines_.size() && static_cast<size_t>(left_) < lines_[line].size())
      text = lines_[line].substr(static_cast<size_t>(left_), static_cast<size_t>(width()));
    text.resize(static_cast<size_t>(width()), ' ');
    s.write(rect_.top + r, rect_.left, text, a);
  }
}

bool TextViewer::handleKey(int k) {
  switch (k) {
    case key::kUp: top_ = std::max(0, top_ - 1); return true;
    case key::kDown: top_ = std::min(maxTop(), top_ + 1); return true;
    case key::kPgUp: top_ = std::max(0, top_ - rows()); return true;
    case key::kPgDn: top_ = std::min(maxTop(), top_ + rows()); return true;
    case key::kCtrlPgUp:
    case key::kCtrlHome: top_ = 0; return true;
    case key::kCtrlPgDn:
    case key::kCtrlEnd: top_ = maxTop(); return true;
    case key::kLeft: left_ = std::max(0, left_ - 1); return true;
    case key::kRight: left_ = std::min(maxLeft(), left_ + 1); return true;
    case key::kHome: left_ = 0; return true;
    case key::kEnd: left_ = maxLeft(); return true;
    default: return false;
  }
}

int TextViewer::run(const KeyHook& hook) {
  bool cursor = con_.cursorVisible();
  con_.showCursor(false);
  int k = key::kEsc;
  for (;;) {
    draw();
    k = con_.waitKey();
    if (k == key::kEsc) break;
    if (handleKey(k)) continue;
    if (hook && hook(k, top_, left_) == HookAnswer::kLeave) break;
  }
  con_.showCursor(cursor);
  return k;
}

}  // namespace zel
