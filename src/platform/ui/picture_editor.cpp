#include "platform/ui/picture_editor.h"

#include <cstdlib>

#include "platform/console/keys.h"
#include "platform/sys/cp850.h"

namespace zel {

namespace {

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// Letters of the code page: ASCII and the accented ones above 127.
bool isLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

}  // namespace

PictureEditor::PictureEditor(const Value& initial, const Picture& picture, bool century)
    : initial_(initial), pic_(picture), century_(century), type_(initial.type()) {
  load(initial_);
}

void PictureEditor::load(const Value& v) {
  Picture whole = pic_;
  whole.scroll = 0;  // the buffer holds everything; only the view scrolls
  whole.leftJustify = false;
  clear_ = pic_.clearFirst;
  changed_ = false;
  filled_ = false;
  point_ = -1;
  switch (type_) {
    case ValueType::kNumber: {
      tmpl_ = numberTemplate(pic_, v.number());
      buf_ = transform(v, whole, century_);
      clear_ = true;
      const char decimal = pic_.exchange ? ',' : '.';
      const char thousands = pic_.exchange ? '.' : ',';
      auto p = tmpl_.find('.');
      if (p != std::string::npos) point_ = static_cast<int>(p);
      for (size_t i = 0; i < tmpl_.size(); ++i) {
        if (static_cast<int>(i) == point_) buf_[i] = decimal;
        else if (tmpl_[i] == ',' && (point_ < 0 || static_cast<int>(i) < point_)) buf_[i] = thousands;
        else if (!isTemplateChar(tmpl_[i])) buf_[i] = tmpl_[i];
      }
      break;
    }
    case ValueType::kDate:
      buf_ = v.date().dmy(century_);
      tmpl_ = century_ ? "99/99/9999" : "99/99/99";
      break;
    case ValueType::kLogical:
      buf_ = transform(v, whole, century_);
      tmpl_ = (!pic_.tmpl.empty() && (pic_.tmpl[0] == 'Y' || pic_.tmpl[0] == 'y')) ? "Y" : "L";
      break;
    case ValueType::kText:
      buf_ = transform(v, whole, century_);
      tmpl_ = pic_.tmpl.empty() ? std::string(buf_.size(), 'X') : pic_.tmpl;
      break;
  }
  slot_.assign(buf_.size(), false);
  for (size_t i = 0; i < buf_.size(); ++i)
    slot_[i] = static_cast<int>(i) != point_ && isTemplateChar(tmpl_[i]);
  pos_ = nextSlot(0);
  offset_ = 0;
  adjustOffset();
}

int PictureEditor::nextSlot(int from) const {
  for (int i = from < 0 ? 0 : from; i < width(); ++i)
    if (slot_[static_cast<size_t>(i)]) return i;
  return width();
}

int PictureEditor::prevSlot(int from) const {
  for (int i = (from > width() ? width() : from) - 1; i >= 0; --i)
    if (slot_[static_cast<size_t>(i)]) return i;
  return -1;
}

int PictureEditor::segmentEnd(int pos) const {
  // Numbers shift within the integer part or within the decimals; other
  // types across the whole field.
  int end = width();
  if (type_ == ValueType::kNumber && point_ >= 0 && pos < point_) end = point_;
  return prevSlot(end);
}

bool PictureEditor::accepts(int pos, unsigned char c) const {
  const char t = tmpl_[static_cast<size_t>(pos)];
  if (type_ == ValueType::kLogical)
    return t == 'Y' ? std::string_view("YyNn").find(static_cast<char>(c)) != std::string_view::npos
                    : std::string_view("TtFfYyNn").find(static_cast<char>(c)) != std::string_view::npos;
  if (type_ == ValueType::kNumber)
    return isDigit(c) || c == '-' || c == '+' || (c == ' ' && t == '#');
  switch (t) {
    case '9': return isDigit(c);
    case '#': return isDigit(c) || c == ' ' || c == '+' || c == '-';
    case 'A': case 'a': return isLetter(c);
    case 'N': case 'n': return isLetter(c) || isDigit(c);
    case 'L': case 'l': return std::string_view("TtFfYyNn").find(static_cast<char>(c)) != std::string_view::npos;
    case 'Y': case 'y': return std::string_view("YyNn").find(static_cast<char>(c)) != std::string_view::npos;
    default: return true;  // X and !
  }
}

void PictureEditor::clearAll() {
  for (int i = 0; i < width(); ++i)
    if (slot_[static_cast<size_t>(i)]) buf_[static_cast<size_t>(i)] = ' ';
  pos_ = nextSlot(0);
  clear_ = false;
  changed_ = true;
}

void PictureEditor::type(unsigned char c) {
  if (type_ == ValueType::kNumber && (c == '.' || c == ',')) {
    // The decimal mark moves to the decimals, keeping the integer part (the
    // user came to fix the decimals); the thousands mark, typed from habit
    // as in "2.469,13", is passed over.
    if (c == (pic_.exchange ? ',' : '.')) toDecimals();
    return;
  }
  if (pos_ >= width()) {  // a refused field that is already full
    filled_ = true;
    return;
  }
  if (clear_) {
    bool data = accepts(pos_, c);
    if (!data) return;
    clearAll();
  }
  if (!accepts(pos_, c)) return;
  const char t = tmpl_[static_cast<size_t>(pos_)];
  if (pic_.upper || t == '!' || type_ == ValueType::kLogical || t == 'L' || t == 'l' || t == 'Y' ||
      t == 'y')
    c = cp850Upper(c);
  if (insert_) {
    int end = segmentEnd(pos_);
    for (int i = end; i > pos_; i = prevSlot(i)) {
      int from = prevSlot(i);
      if (from < pos_) break;
      buf_[static_cast<size_t>(i)] = buf_[static_cast<size_t>(from)];
    }
  }
  buf_[static_cast<size_t>(pos_)] = static_cast<char>(c);
  changed_ = true;
  pos_ = nextSlot(pos_ + 1);
  if (pos_ >= width()) filled_ = true;
  adjustOffset();
}

void PictureEditor::toDecimals() {
  if (point_ < 0) return;
  clear_ = false;
  double v = parseNumber();
  Picture p = pic_;
  p.blankZero = false;
  p.scroll = 0;
  p.leftJustify = false;
  p.tmpl = tmpl_;
  std::string formatted = transform(Value(v), p, century_);
  if (formatted.find('*') == std::string::npos) {
    // Keep the decimals typed so far; only the integer part is redrawn.
    for (int i = 0; i < point_; ++i) buf_[static_cast<size_t>(i)] = formatted[static_cast<size_t>(i)];
    for (int i = point_ + 1; i < width(); ++i)
      if (slot_[static_cast<size_t>(i)] && buf_[static_cast<size_t>(i)] == ' ')
        buf_[static_cast<size_t>(i)] = '0';
  }
  changed_ = true;
  pos_ = nextSlot(point_ + 1);
  if (pos_ >= width() && prevSlot(width()) >= 0) pos_ = prevSlot(width());
  adjustOffset();
}

void PictureEditor::deleteAt(int pos) {
  if (pos < 0 || pos >= width() || !slot_[static_cast<size_t>(pos)]) return;
  int end = segmentEnd(pos);
  int i = pos;
  while (i < end) {
    int next = nextSlot(i + 1);
    buf_[static_cast<size_t>(i)] = buf_[static_cast<size_t>(next)];
    i = next;
  }
  buf_[static_cast<size_t>(end)] = ' ';
  changed_ = true;
}

bool PictureEditor::handleKey(int key) {
  switch (key) {
    case key::kLeft: {
      int p = prevSlot(pos_);
      if (p >= 0) pos_ = p;
      clear_ = false;
      break;
    }
    case key::kRight: {
      int p = nextSlot(pos_ + 1);
      if (p < width()) pos_ = p;
      clear_ = false;
      break;
    }
    case key::kHome:
      pos_ = nextSlot(0);
      clear_ = false;
      break;
    case key::kEnd: {
      int last = -1;
      for (int i = 0; i < width(); ++i)
        if (slot_[static_cast<size_t>(i)] && buf_[static_cast<size_t>(i)] != ' ') last = i;
      int p = nextSlot(last + 1);
      pos_ = p < width() ? p : prevSlot(width());
      if (pos_ < 0) pos_ = width();
      clear_ = false;
      break;
    }
    case key::kIns:
      insert_ = !insert_;
      break;
    case key::kBackspace: {
      clear_ = false;
      int p = prevSlot(pos_);
      if (p < 0) break;
      pos_ = p;
      deleteAt(p);
      break;
    }
    case key::kDel:
      clear_ = false;
      deleteAt(pos_);
      break;
    case kCtrlY:
      clear_ = false;
      for (int i = pos_; i < width(); ++i)
        if (slot_[static_cast<size_t>(i)]) buf_[static_cast<size_t>(i)] = ' ';
      changed_ = true;
      break;
    case kCtrlU:
      load(initial_);
      break;
    default:
      if (key < 32 || key > 255) return false;
      type(static_cast<unsigned char>(key));
      break;
  }
  adjustOffset();
  return true;
}

bool PictureEditor::takeFilled() {
  bool f = filled_;
  filled_ = false;
  return f;
}

double PictureEditor::parseNumber() const {
  std::string text;
  bool negative = false;
  for (int i = 0; i < width(); ++i) {
    if (i == point_) text += '.';
    if (!slot_[static_cast<size_t>(i)]) continue;
    char c = buf_[static_cast<size_t>(i)];
    if (c == '-') negative = true;
    else if (isDigit(static_cast<unsigned char>(c))) text += c;
    else if (c == ' ' && point_ >= 0 && i > point_) text += '0';  // a blank decimal is a zero
  }
  double v = std::strtod(text.c_str(), nullptr);
  return negative ? -v : v;
}

bool PictureEditor::acceptable() const {
  if (type_ != ValueType::kDate || !changed_) return true;
  return Date::fromDmy(buf_).has_value();
}

Value PictureEditor::value() const {
  if (!changed_) return initial_;
  switch (type_) {
    case ValueType::kNumber: return Value(parseNumber());
    case ValueType::kDate: return Value(Date::fromDmy(buf_).value_or(initial_.date()));
    case ValueType::kLogical: return Value(buf_ == "T" || buf_ == "Y");
    case ValueType::kText: {
      std::string out;
      size_t consumed = 0;  // characters of the initial text the buffer stands for
      if (pic_.literalsOut && !pic_.tmpl.empty()) {
        for (int i = 0; i < width(); ++i)
          if (slot_[static_cast<size_t>(i)]) out += buf_[static_cast<size_t>(i)];
        consumed = out.size();
      } else {
        out = buf_;
        consumed = buf_.size();
      }
      const std::string& orig = initial_.text();
      if (orig.size() > consumed) out += orig.substr(consumed);  // beyond a short template
      return Value(out);
    }
  }
  return initial_;
}

std::string PictureEditor::shown() const {
  if (type_ != ValueType::kNumber) return buf_;
  // A thousands separator shows only with a digit on its left.
  std::string s = buf_;
  bool digitLeft = false;
  for (int i = 0; i < width() && (point_ < 0 || i < point_); ++i) {
    if (slot_[static_cast<size_t>(i)] && isDigit(static_cast<unsigned char>(s[static_cast<size_t>(i)])))
      digitLeft = true;
    if (tmpl_[static_cast<size_t>(i)] == ',' && !digitLeft) s[static_cast<size_t>(i)] = ' ';
  }
  return s;
}

int PictureEditor::viewWidth() const {
  if (pic_.scroll > 0 && pic_.scroll < width()) return pic_.scroll;
  return width();
}

void PictureEditor::adjustOffset() {
  int w = viewWidth();
  int c = pos_ >= width() ? width() - 1 : pos_;
  if (c < offset_) offset_ = c;
  if (c >= offset_ + w) offset_ = c - w + 1;
  if (offset_ < 0) offset_ = 0;
}

std::string PictureEditor::view() const {
  return shown().substr(static_cast<size_t>(offset_), static_cast<size_t>(viewWidth()));
}

int PictureEditor::viewCursor() const {
  int c = pos_ >= width() ? width() - 1 : pos_;
  return c < 0 ? 0 : c - offset_;
}

}  // namespace zel
