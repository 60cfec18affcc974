// Status and Result: how the platform reports failure without exceptions.
//
// Engine and platform calls return a Status (or a Result<T> holding a value
// or a Status). Callers above the platform turn them into the program's own
// messages; nothing throws across the platform boundary.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <variant>

namespace zel {

enum class StatusCode {
  kOk,
  kNotFound,         // file, record, key or field absent
  kCorruption,       // a file whose bytes break its format
  kIOError,          // the operating system refused a read, write or sync
  kLocked,           // a lock or an exclusive open held by someone else
  kInvalidArgument,  // the caller asked for something malformed
  kNotSupported,
  kReadOnly,
  kExists,
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  static Status OK() { return {}; }
  static Status NotFound(std::string m) { return {StatusCode::kNotFound, std::move(m)}; }
  static Status Corruption(std::string m) { return {StatusCode::kCorruption, std::move(m)}; }
  static Status IOError(std::string m) { return {StatusCode::kIOError, std::move(m)}; }
  static Status Locked(std::string m) { return {StatusCode::kLocked, std::move(m)}; }
  static Status InvalidArgument(std::string m) {
    return {StatusCode::kInvalidArgument, std::move(m)};
  }
  static Status NotSupported(std::string m) { return {StatusCode::kNotSupported, std::move(m)}; }
  static Status ReadOnly(std::string m) { return {StatusCode::kReadOnly, std::move(m)}; }
  static Status Exists(std::string m) { return {StatusCode::kExists, std::move(m)}; }

  bool ok() const { return code_ == StatusCode::kOk; }
  StatusCode code() const { return code_; }
  bool isNotFound() const { return code_ == StatusCode::kNotFound; }
  bool isCorruption() const { return code_ == StatusCode::kCorruption; }
  bool isLocked() const { return code_ == StatusCode::kLocked; }
  bool isIOError() const { return code_ == StatusCode::kIOError; }
  const std::string& message() const { return message_; }
  // "Corruption: bad header in X.DBF"
  std::string toString() const;

 private:
  Status(StatusCode c, std::string m) : code_(c), message_(std::move(m)) {}
  StatusCode code_ = StatusCode::kOk;
  std::string message_;
};

std::ostream& operator<<(std::ostream& os, const Status& s);

// A value or the Status that explains why there is none.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}
  Result(Status s) : v_(std::move(s)) {}

  bool ok() const { return std::holds_alternative<T>(v_); }
  explicit operator bool() const { return ok(); }
  const Status& status() const {
    static const Status kOk;
    return ok() ? kOk : std::get<Status>(v_);
  }
  T& value() & { return std::get<T>(v_); }
  const T& value() const& { return std::get<T>(v_); }
  T&& value() && { return std::get<T>(std::move(v_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

 private:
  std::variant<T, Status> v_;
};

// Returns early from the enclosing function when a Status is not ok.
#define ZEL_RETURN_IF_ERROR(expr)      \
  do {                                 \
    ::zel::Status zel_s_ = (expr);     \
    if (!zel_s_.ok()) return zel_s_;   \
  } while (0)

}  // namespace zel
