#include "platform/ui/form_reader.h"

#include <algorithm>

#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/sys/cp850.h"
#include "platform/ui/picture_editor.h"

namespace zel {

namespace {

FormReader* g_active = nullptr;
bool g_insert = false;  // Ins carries over from field to field and form to form

const std::string kNoName;

}  // namespace

FormField FormField::of(int row, int col, std::string name, Value& var, std::string mask) {
  FormField f;
  f.row = row;
  f.col = col;
  f.name = std::move(name);
  f.get = [&var] { return var; };
  f.set = [&var](const Value& v) { var = v; };
  f.mask = std::move(mask);
  return f;
}

// The console runs the callback, so that its guard keeps a callback from
// running inside itself whoever reads the keys: the key goes back at the
// head of the queue (keys already typed are queued again behind it) and a
// zero wait takes it, runs it and returns kNone. When the key's callback is
// already running, the key itself comes back.
int FormReader::runBound(int key) {
  std::vector<int> typed;
  while (con_.keyWaiting()) typed.push_back(con_.inkey(0));
  con_.pushKey(key);
  for (int k : typed) con_.pushKey(k);
  return con_.waitKey(0);
}

FormReader::FormReader(Console& con) : con_(con) {}
FormReader::FormReader() : con_(console()) {}

FormReader::~FormReader() {
  if (g_active == this) g_active = outer_;
}

FormField& FormReader::add(FormField f) {
  fields_.push_back(std::move(f));
  return fields_.back();
}

FormReader* FormReader::active() { return g_active; }

void FormReader::clear() {
  if (!reading_) {
    fields_.clear();
    return;
  }
  clearRequested_ = true;  // the fields are in use until read() returns
  endRead();
}

void FormReader::endRead(int key) {
  endRequested_ = true;
  endKey_ = key;
}

const std::string& FormReader::currentName() const {
  return current_ >= 0 && current_ < static_cast<int>(fields_.size())
             ? fields_[static_cast<size_t>(current_)].name
             : kNoName;
}

FormField* FormReader::currentField() {
  return current_ >= 0 && current_ < static_cast<int>(fields_.size())
             ? &fields_[static_cast<size_t>(current_)]
             : nullptr;
}

const ColourList& FormReader::colours() const {
  return options_.colours ? *options_.colours : con_.colours();
}

Picture FormReader::pictureOf(const FormField& f, const Value& v) const {
  Picture p = parsePicture(f.mask);
  if (v.isNumber() && p.tmpl.empty() && f.width > 0)
    p.tmpl = std::string(static_cast<size_t>(f.width), '9');
  return p;
}

void FormReader::display(size_t index) {
  if (index >= fields_.size()) return;
  const FormField& f = fields_[index];
  Value v = f.get ? f.get() : Value();
  std::string text = transform(v, pictureOf(f, v), options_.century);
  if (shownWidth_.size() < fields_.size()) shownWidth_.resize(fields_.size(), 0);
  int& shown = shownWidth_[index];
  // Blank what a longer earlier value or the edit left behind.
  if (static_cast<int>(text.size()) < shown) text.append(static_cast<size_t>(shown) - text.size(), ' ');
  shown = static_cast<int>(text.size());
  con_.say(f.row, f.col, text, colours()[ColourSlot::kUnselected]);
}

bool FormReader::enterable(int index) const {
  const FormField& f = fields_[static_cast<size_t>(index)];
  return !f.when || f.when();
}

// The first field from `from` in direction `step` that can be entered, or
// -1 / size() when the walk falls off an edge.
int FormReader::settle(int from, int step) const {
  int n = static_cast<int>(fields_.size());
  int i = from;
  while (i >= 0 && i < n && !enterable(i)) i += step;
  return i;
}

ReadResult FormReader::read() {
  ReadResult result;
  const int n = static_cast<int>(fields_.size());
  shownWidth_.assign(fields_.size(), 0);
  for (size_t i = 0; i < fields_.size(); ++i) display(i);

  reading_ = true;
  endRequested_ = false;
  endKey_ = 0;
  outer_ = g_active;
  g_active = this;
  const ReadContext savedContext = con_.readContext();
  const bool savedCursor = con_.cursorVisible();
  con_.showCursor(true);

  int index = settle(0, 1);
  bool done = index >= n;
  while (!done) {
    current_ = index;
    FormField& f = fields_[static_cast<size_t>(index)];
    ReadContext& ctx = con_.readContext();
    ctx.routine = options_.routine;
    ctx.line = options_.line;
    ctx.variable = cp850Upper(f.name);

    auto makeEditor = [&] {
      Value v = f.get ? f.get() : Value();
      PictureEditor e(v, pictureOf(f, v), options_.century);
      e.setInsertMode(g_insert);
      return e;
    };
    PictureEditor editor = makeEditor();
    auto draw = [&] {
      std::string view = editor.view();
      int& shown = shownWidth_[static_cast<size_t>(index)];
      if (static_cast<int>(view.size()) < shown) {  // a shorter value than the one shown
        con_.say(f.row, f.col + static_cast<int>(view.size()),
                 std::string(static_cast<size_t>(shown) - view.size(), ' '),
                 colours()[ColourSlot::kUnselected]);
      }
      shown = std::max(shown, static_cast<int>(view.size()));
      con_.say(f.row, f.col, view, colours()[ColourSlot::kEnhanced]);
      con_.gotoRC(f.row, f.col + editor.viewCursor());
    };
    // Stores the edit; false when the field must not be left.
    auto store = [&]() -> bool {
      if (!editor.acceptable()) {
        con_.tone(499, 1);
        return false;
      }
      if (editor.changed()) {
        if (f.set) f.set(editor.value());
        result.updated = true;
      }
      return true;
    };
    draw();

    enum class Move { kNone, kNext, kDown, kUp, kTop, kEnd, kEscape, kKilled };
    Move move = Move::kNone;
    int key = 0;
    while (move == Move::kNone) {
      key = con_.inkey();
      if (key == key::kNone) continue;
      if (con_.isBound(key)) {
        if (editor.changed() && editor.acceptable()) {
          if (f.set) f.set(editor.value());
          result.updated = true;
        }
        int back = runBound(key);
        if (back == key::kNone) {
          if (endRequested_) {
            move = Move::kKilled;
            break;
          }
          editor = makeEditor();
          draw();
          continue;
        }
        key = back;  // its callback is already running: an ordinary key here
      }
      if (editor.handleKey(key)) {
        g_insert = editor.insertMode();
        draw();
        if (!editor.takeFilled()) continue;
        move = Move::kNext;  // typed into the last position
      } else {
        switch (key) {
          case key::kEnter: move = Move::kNext; break;
          case key::kDown: case key::kTab: move = Move::kDown; break;
          case key::kUp: case key::kShiftTab: move = Move::kUp; break;
          case key::kPgDn: case key::kPgUp: case key::kCtrlEnd: move = Move::kEnd; break;
          case key::kCtrlHome: move = Move::kTop; break;
          case key::kEsc: move = Move::kEscape; break;
          default: break;  // keys with no meaning in a form
        }
      }
      if (move == Move::kNone || move == Move::kEscape) continue;
      if (!store()) {
        move = Move::kNone;
        continue;
      }
      if (f.valid && !f.valid()) {
        move = Move::kNone;
        if (endRequested_) {  // the check itself ended the read
          move = Move::kKilled;
          break;
        }
        editor = makeEditor();
        draw();
        continue;
      }
      if (endRequested_) move = Move::kKilled;
    }

    display(static_cast<size_t>(index));
    result.lastKey = key;
    result.field = index;
    switch (move) {
      case Move::kEscape:
      case Move::kEnd:
        done = true;
        break;
      case Move::kKilled:
        done = true;
        result.ended = true;
        if (endKey_ != 0) result.lastKey = endKey_;
        break;
      case Move::kTop: {
        int next = settle(0, 1);
        if (next < n) index = next;
        break;
      }
      case Move::kNext:
      case Move::kDown: {
        int next = settle(index + 1, 1);
        if (next < n) index = next;
        else if (move == Move::kNext || options_.exitAtEdges) done = true;
        break;
      }
      case Move::kUp: {
        int next = settle(index - 1, -1);
        if (next >= 0) index = next;
        else if (options_.exitAtEdges) done = true;
        break;
      }
      case Move::kNone:  // not reached: the key loop ends only with a move
        break;
    }
  }

  current_ = -1;
  reading_ = false;
  g_active = outer_;
  con_.readContext() = savedContext;
  con_.showCursor(savedCursor);
  if (clearRequested_) {
    clearRequested_ = false;
    fields_.clear();
  }
  return result;
}

}  // namespace zel
