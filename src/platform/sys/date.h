// Calendar dates as the program stores and shows them.
//
// A Date is a day number (0 = empty date). Tables store "YYYYMMDD" (blank
// when empty); screens show "dd/mm/yyyy", or "dd/mm/yy" with the century
// off; a two-digit year typed by the user means 19yy.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel {

class Date {
 public:
  Date() = default;  // empty
  static std::optional<Date> fromYmd(int y, int m, int d);  // nullopt when invalid
  // "YYYYMMDD"; blanks give the empty date; nullopt when malformed.
  static std::optional<Date> fromDtos(std::string_view s);
  // "dd/mm/yyyy" or "dd/mm/yy" (19yy); "  /  /    " gives the empty date.
  static std::optional<Date> fromDmy(std::string_view s);
  static Date today();  // from the program's clock

  bool empty() const { return day_ == 0; }
  int year() const;
  int month() const;
  int day() const;
  long dayNumber() const { return day_; }
  static Date fromDayNumber(long n) { Date d; d.day_ = n; return d; }

  std::string dtos() const;                       // "20090131", 8 blanks when empty
  std::string dmy(bool century = true) const;     // "31/01/2009", "  /  /    " when empty

  Date operator+(long days) const { return empty() ? *this : fromDayNumber(day_ + days); }
  long operator-(const Date& o) const { return day_ - o.day_; }
  auto operator<=>(const Date&) const = default;

 private:
  long day_ = 0;  // days since 0000-03-01 (proleptic Gregorian) + 1
};

}  // namespace zel
