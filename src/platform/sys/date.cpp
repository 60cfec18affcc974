#include "platform/sys/date.h"

#include <cstdio>

#include "platform/sys/clock.h"

namespace zel {

namespace {

// Days from civil, shifted so that March is the first month of the year.
long toDays(int y, int m, int d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe + 1;
}

void fromDays(long n, int& y, int& m, int& d) {
  n -= 1;
  long era = (n >= 0 ? n : n - 146096) / 146097;
  long doe = n - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool allBlank(std::string_view s) {
  for (char c : s)
    if (c != ' ' && c != '/') return false;
  return true;
}

bool readInt(std::string_view s, int& out) {
  if (s.empty()) return false;
  out = 0;
  bool digit = false;
  for (char c : s) {
    if (c == ' ' && !digit) continue;
    if (c < '0' || c > '9') return false;
    out = out * 10 + (c - '0');
    digit = true;
  }
  return digit;
}

}  // namespace

std::optional<Date> Date::fromYmd(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int last = kDays[m - 1] + (m == 2 && leap);
  if (d > last) return std::nullopt;
  return fromDayNumber(toDays(y, m, d));
}

std::optional<Date> Date::fromDtos(std::string_view s) {
  if (s.size() != 8) return std::nullopt;
  if (allBlank(s)) return Date();
  int y, m, d;
  if (!readInt(s.substr(0, 4), y) || !readInt(s.substr(4, 2), m) || !readInt(s.substr(6, 2), d))
    return std::nullopt;
  return fromYmd(y, m, d);
}

std::optional<Date> Date::fromDmy(std::string_view s) {
  if (allBlank(s)) return Date();
  if (s.size() != 8 && s.size() != 10) return std::nullopt;
  if (s[2] != '/' || s[5] != '/') return std::nullopt;
  int y, m, d;
  if (!readInt(s.substr(0, 2), d) || !readInt(s.substr(3, 2), m) || !readInt(s.substr(6), y))
    return std::nullopt;
  if (s.size() == 8) y += 1900;
  return fromYmd(y, m, d);
}

Date Date::today() {
  CivilTime t = clock().now();
  return fromYmd(t.year, t.month, t.day).value_or(Date());
}

int Date::year() const { int y, m, d; fromDays(day_, y, m, d); return empty() ? 0 : y; }
int Date::month() const { int y, m, d; fromDays(day_, y, m, d); return empty() ? 0 : m; }
int Date::day() const { int y, m, d; fromDays(day_, y, m, d); return empty() ? 0 : d; }

std::string Date::dtos() const {
  if (empty()) return std::string(8, ' ');
  int y, m, d;
  fromDays(day_, y, m, d);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
  return buf;
}

std::string Date::dmy(bool century) const {
  if (empty()) return century ? "  /  /    " : "  /  /  ";
  int y, m, d;
  fromDays(day_, y, m, d);
  char buf[16];
  if (century)
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d, m, y);
  else
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d, m, y % 100);
  return buf;
}

}  // namespace zel
