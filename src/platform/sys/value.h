// Value: one xBase value (text, number, date or logical), the currency of
// table fields, form fields and key expressions.
#pragma once

#include <string>
#include <variant>

#include "platform/sys/date.h"

namespace zel {

enum class ValueType { kText, kNumber, kDate, kLogical };

class Value {
 public:
  Value() : v_(std::string()) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(double n) : v_(n) {}
  Value(int n) : v_(static_cast<double>(n)) {}
  Value(long n) : v_(static_cast<double>(n)) {}
  Value(Date d) : v_(d) {}
  Value(bool b) : v_(b) {}

  ValueType type() const { return static_cast<ValueType>(v_.index()); }
  bool isText() const { return type() == ValueType::kText; }
  bool isNumber() const { return type() == ValueType::kNumber; }
  bool isDate() const { return type() == ValueType::kDate; }
  bool isLogical() const { return type() == ValueType::kLogical; }

  // Accessors of the held type; a value of another type gives the empty
  // value of the asked type ("", 0, empty date, false).
  const std::string& text() const;
  double number() const { return isNumber() ? std::get<double>(v_) : 0.0; }
  Date date() const { return isDate() ? std::get<Date>(v_) : Date(); }
  bool logical() const { return isLogical() && std::get<bool>(v_); }

  // The empty value of a type: "", 0, the empty date, false.
  static Value emptyOf(ValueType t);

  bool operator==(const Value&) const = default;

 private:
  std::variant<std::string, double, Date, bool> v_;
};

inline const std::string& Value::text() const {
  static const std::string kEmpty;
  return isText() ? std::get<std::string>(v_) : kEmpty;
}

inline Value Value::emptyOf(ValueType t) {
  switch (t) {
    case ValueType::kText: return Value(std::string());
    case ValueType::kNumber: return Value(0.0);
    case ValueType::kDate: return Value(Date());
    case ValueType::kLogical: return Value(false);
  }
  return Value();
}

}  // namespace zel
