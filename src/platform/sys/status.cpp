#include "platform/sys/status.h"

namespace zel {

std::string Status::toString() const {
  const char* name = "OK";
  switch (code_) {
    case StatusCode::kOk: return "OK";
    case StatusCode::kNotFound: name = "Not found"; break;
    case StatusCode::kCorruption: name = "Corruption"; break;
    case StatusCode::kIOError: name = "I/O error"; break;
    case StatusCode::kLocked: name = "Locked"; break;
    case StatusCode::kInvalidArgument: name = "Invalid argument"; break;
    case StatusCode::kNotSupported: name = "Not supported"; break;
    case StatusCode::kReadOnly: name = "Read only"; break;
    case StatusCode::kExists: name = "Exists"; break;
  }
  return message_.empty() ? std::string(name) : std::string(name) + ": " + message_;
}

std::ostream& operator<<(std::ostream& os, const Status& s) { return os << s.toString(); }

}  // namespace zel
