// MENS: the message line, boxed messages, progress boxes and one-field
// entries; the error beep.
#include <algorithm>
#include <string>

#include "platform/console/console.h"
#include "platform/sys/cp850.h"
#include "platform/sys/date.h"
#include "platform/ui/form_reader.h"
#include "platform/ui/mask.h"
#include "screen/console.h"
#include "screen/messages.h"

namespace zel {
namespace {

constexpr int kMessageRow = 24;
constexpr int kDefaultRow = 20;
constexpr int kBoxEnd = 75;
constexpr int kDateWidth = 10;  // dates are typed with the century

enum Mode { kLine = 0, kError = 1, kQuestion = 2, kProgress = 3, kEntry = 4, kNotice = 5 };

struct Call {
  int code = 0;
  std::string_view text;
  const MensArg* row = nullptr;
  const MensArg* column = nullptr;
  const MensArg* lines = nullptr;
  std::string_view answers;
  const MensField* field = nullptr;
  int window = 10;
};

void clearLine() { ESCRJAN(0, std::string(80, ' ')); }

bool isOpen(int id) {
  const auto& open = screenState().open;
  return std::any_of(open.begin(), open.end(), [id](const OpenWindow& w) { return w.id == id; });
}

// Blanks the entry field takes in the text.
int fieldWidth(const Value& v, int width) {
  switch (v.type()) {
    case ValueType::kText: return static_cast<int>(v.text().size());
    case ValueType::kNumber:
      return width > 0 ? width : static_cast<int>(numberTemplate(Picture{}, v.number()).size());
    case ValueType::kDate: return kDateWidth;
    case ValueType::kLogical: return 1;
  }
  return 0;
}

Value emptyValue(ValueType t) {
  return t == ValueType::kDate ? Value(Date::today()) : Value::emptyOf(t);
}

Value run(const Call& call) {
  Console& con = console();
  con.showCursor(false);
  const int frame = call.code / 10;
  const int mode = call.code % 10;
  MessageState& st = messageState();

  std::string text(call.text);
  const int textLength = static_cast<int>(text.size());
  ValueType fieldType = ValueType::kText;
  if (mode == kEntry) {
    Value v = call.field->get();
    fieldType = v.type();
    text.append(static_cast<size_t>(fieldWidth(v, call.field->width)), ' ');
  }
  const int entryLength = static_cast<int>(text.size());

  const int n = call.lines->isNumber() ? std::max(1, call.lines->number()) : 1;
  int w = entryLength + 2;
  if (n > 1) {
    w = w / n + 1;
    int r = n * w - entryLength;
    if (frame != 7 && r > n) r -= n + 1;
    text.append(static_cast<size_t>(r), ' ');
  }

  const MensArg& colArg = *call.column;
  int c = kBoxEnd - w;
  if (colArg.isNumber())
    c = colArg.number();
  else if (colArg.isText() && colArg.text() == "E")
    c = 2;
  else if (colArg.isText() && colArg.text() == "C")
    c = (80 - w) / 2;

  if (mode == kLine) {
    clearLine();
    const bool centred = colArg.isText() && colArg.text() == "C";
    const int from = !centred ? 1 : textLength > 80 ? 0 : (80 - textLength) / 2;
    ESCRLCOL(0, kMessageRow, from, text);
    con.showCursor(true);
    return Value(std::string());
  }

  if (frame == 7) ++w;
  const int row = call.row->isNumber() ? call.row->number() : kDefaultRow;
  const int window = call.window;
  // A progress box is reused only while it is still on screen: a box its
  // caller closed would otherwise be written without frame and never cleared.
  const bool reuse = mode == kProgress && w == st.TAM_OLD && n == st.NL_OLD &&
                     frame == st.CONT_OLD && isOpen(window);
  if (!reuse) {
    const ScreenState& scr = screenState();
    REDEFJAN(window, scr.COR_TEL1, scr.COR_TEL2, frame == 7 ? scr.COR_TEL3 : scr.COR_TEL2, row, c,
             row + n + 1, c + w, frame);
    ABREJAN(window);
    // The frame leaves the inside as it was and the text stops one cell
    // short of the area's end: blank the whole text area first, in every
    // mode, so that nothing from below shows inside the box.
    if (const WindowDef* def = findWindow(window)) {  // window 0 has no definition
      const int lineLength =
          def->type == kWinPlain ? def->right - def->left + 1 : def->right - def->left - 1;
      ESCRJAN(window, std::string(static_cast<size_t>(std::max(0, lineLength * n)), ' '));
    }
  }
  ESCRJAN(window, text);
  st.TAM_OLD = w;
  st.NL_OLD = n;
  st.CONT_OLD = frame;
  con.clearKeys();

  switch (mode) {
    case kError:
    case kNotice:
      if (mode == kError) BEEP_ERRO();
      con.waitKey();
      FECHAJAN(window);
      con.showCursor(true);
      return Value(std::string());
    case kQuestion: {
      std::string answer;
      for (;;) {
        const int k = con.waitKey();
        if (call.answers.empty()) break;
        if (k < 1 || k > 255) continue;
        const char up = static_cast<char>(cp850Upper(static_cast<unsigned char>(k)));
        const size_t at = call.answers.find(up);
        if (at != std::string_view::npos) {
          answer = std::string(1, call.answers[at]);
          break;
        }
      }
      FECHAJAN(window);
      con.showCursor(true);
      return Value(answer);
    }
    case kProgress:
      con.showCursor(true);
      return Value(std::string());
    case kEntry: {
      con.showCursor(true);
      const MensField& f = *call.field;
      const int fieldRow = row + n - 1;
      const int fieldCol = n == 1 ? c + textLength + 1 : c + w - entryLength % w;
      FormReader reader(con);
      FormField field;
      field.row = fieldRow;
      field.col = fieldCol;
      field.name = cp850Upper(f.name);
      field.get = f.get;
      field.set = f.set;
      field.mask = f.mask;
      field.width = f.width;
      field.valid = f.validity ? f.validity : NDA;
      reader.add(std::move(field));
      reader.options().routine = "MENS";
      const ReadResult result = reader.read();
      if (result.lastKey == key::kEsc) f.set(emptyValue(fieldType));
      FECHAJAN(window);
      return f.get();
    }
    default:
      return Value(std::string());
  }
}

}  // namespace

MessageState& messageState() {
  static MessageState state;
  return state;
}

void resetMessageState() { messageState() = MessageState{}; }

MensField MensField::of(std::string name, Value& var, int width, std::string mask) {
  MensField f;
  f.name = std::move(name);
  f.get = [&var] { return var; };
  f.set = [&var](const Value& v) { var = v; };
  f.width = width;
  f.mask = std::move(mask);
  return f;
}

std::string MENS() {
  clearLine();
  return {};
}

std::string MENS(int code, std::string_view text, MensArg row, MensArg column, MensArg lines,
                 std::string_view answers, int window) {
  if (code % 10 == kEntry) return {};
  Call call{code, text, &row, &column, &lines, answers, nullptr, window};
  return run(call).text();
}

Value MENS(int code, std::string_view text, MensArg row, MensArg column, MensArg lines,
           const MensField& field, int window) {
  Call call{code, text, &row, &column, &lines, {}, &field, window};
  if (code % 10 == kEntry && (!field.get || !field.set)) return Value(std::string());
  if (code % 10 != kEntry) call.field = nullptr;
  return run(call);
}

void BEEP_ERRO(int times) {
  for (int t = 0; t < times; ++t)
    for (int round = 0; round < 2; ++round) {
      console().tone(300, 1);
      console().tone(499, 1);
    }
}

bool NDA() { return true; }

}  // namespace zel
