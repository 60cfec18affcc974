// Index key expressions: the small language of the keys stored in NTX files.
//
// A key expression is text over the fields of one table:
//
//   CPF+ATV_EXTER+DTOS(DT_LC)     UPPER(NOMECONTR)     STR(I8_0,4)     cod
//
// Supported: field names (any case), "+" joining texts, UPPER(text),
// DTOS(date), STR(number[,width[,decimals]]), SUBSTR(text,start[,length])
// and parentheses. Every key is text of a fixed size, compared byte by byte:
//
//  - a text result is blank padded to its width;
//  - DTOS gives YYYYMMDD, or 8 blanks for an empty date;
//  - STR is right aligned in its width, rounded half away from zero, and all
//    '*' when the number does not fit;
//  - a bare numeric field (the whole expression is one N field) is stored as
//    STR(value, width, decimals) with the leading blanks turned into '0'; for
//    a negative value the '-' becomes '0' and then every digit d becomes the
//    byte 44 - d, so that byte order equals numeric order (-5 in a 4-wide
//    key is ",,,'"); an empty field is 0;
//  - a bare date field is YYYYMMDD (8 blanks when empty), a bare logical
//    field "T" or "F".
//
// Keys longer than kMaxKeySize bytes are cut to it: a 1 KB index page must
// still hold at least two items.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/field.h"
#include "platform/sys/status.h"
#include "platform/sys/value.h"

namespace zel::db {

inline constexpr int kMaxKeySize = 256;

// The current record as the key evaluator sees it: the table's fields and
// the raw bytes of each (exactly the field's width, as stored in the DBF).
class RecordView {
 public:
  virtual ~RecordView() = default;
  virtual const std::vector<FieldDef>& fields() const = 0;
  virtual std::string_view raw(int i) const = 0;
};

// One parsed key expression, bound to the fields it was parsed against
// (fields are referred to by position). Cheap to copy.
class KeyExpr {
 public:
  struct Node;

  // Parses `text` against `fields`. InvalidArgument for a syntax error, an
  // unknown field or function, or a type mismatch (e.g. UPPER of a number).
  static Result<KeyExpr> parse(std::string_view text, const std::vector<FieldDef>& fields);

  // Key bytes of the current record: exactly keySize() bytes.
  std::string evaluate(const RecordView& rec) const;

  // Key bytes for a seek. A text value is used as given and may be shorter
  // than keySize() (a partial key: the first key that starts with it); a
  // longer one is cut. A number is encoded as the key stores it (numeric
  // keys) or as STR(value, keySize()) (text keys); a date as YYYYMMDD; a
  // logical as "T"/"F".
  std::string keyFromValue(const Value& v) const;

  int keySize() const { return keySize_; }
  int keyDecimals() const { return keyDecimals_; }
  // True when the expression is one bare numeric field (numeric key coding).
  bool isNumeric() const { return numeric_; }
  // The expression as it was given.
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  std::shared_ptr<const Node> root_;
  int keySize_ = 0;
  int keyDecimals_ = 0;
  bool numeric_ = false;
};

// STR(number, width, decimals) of the decimal text of a number ("  -12.5",
// "" is 0): right aligned, rounded half away from zero, '*' x width when it
// does not fit.
std::string formatStr(std::string_view number, int width, int decimals);

// The numeric key coding of STR text (see above).
std::string numericKey(std::string_view strText);

}  // namespace zel::db
