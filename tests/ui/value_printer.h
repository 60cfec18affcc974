// Readable Values in test failures.
#pragma once

#include <ostream>

#include "platform/sys/value.h"

namespace zel {

inline void PrintTo(const Value& v, std::ostream* os) {
  switch (v.type()) {
    case ValueType::kText: *os << '"' << v.text() << '"'; break;
    case ValueType::kNumber: *os << v.number(); break;
    case ValueType::kDate: *os << "date " << v.date().dtos(); break;
    case ValueType::kLogical: *os << (v.logical() ? ".T." : ".F."); break;
  }
}

}  // namespace zel
