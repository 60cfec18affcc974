#include "helpers/text_helpers.h"

#include <cmath>
#include <cstdio>

namespace zel {
namespace {

long field(std::string_view s, size_t pos) {
  if (pos >= s.size()) return 0;
  return static_cast<long>(leadingNumber(s.substr(pos, 2)));
}

std::string twoDigits(long n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02ld", n);
  return buf;
}

long wholeSeconds(double seconds) {
  if (!(seconds > 0)) return 0;
  if (seconds >= 1e15) seconds = 1e15;  // far beyond any clock; keeps the cast defined
  return static_cast<long>(std::floor(seconds));
}

}  // namespace

double leadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long double whole = 0, frac = 0, scale = 1;
  bool point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      if (point) {
        scale /= 10;
        frac += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  double v = static_cast<double>(whole + frac);
  return negative ? -v : v;
}

int CENTER(std::string_view text, int width) {
  int len = static_cast<int>(text.size());
  if (len > width) return 0;
  return (width - len) / 2;
}

long HORA_SEG(std::string_view time) {
  return field(time, 0) * 3600 + field(time, 3) * 60 + field(time, 6);
}

std::string SEG_HORA(double seconds) {
  long s = wholeSeconds(seconds);
  return twoDigits(s / 3600 % 24) + ":" + twoDigits(s / 60 % 60) + ":" + twoDigits(s % 60);
}

std::string SEG_HOR_2(double seconds) {
  long s = wholeSeconds(seconds);
  return twoDigits(s / 86400 % 99) + "D" + twoDigits(s / 3600 % 24) + "h" +
         twoDigits(s / 60 % 60) + "m";
}

Value TEMPO_PAS(std::string_view from, std::string_view to, int format) {
  long secs = HORA_SEG(to) - HORA_SEG(from);
  if (to < from) secs += 86400;
  if (format == 1) return Value(SEG_HORA(static_cast<double>(secs)));
  return Value(static_cast<double>(secs));
}

double CAR_TO_VAL(std::string_view text) {
  if (text.empty()) return 0;
  std::string s;
  bool comma = false;
  for (char c : text) {
    if (c == '.') continue;
    if (c == ',' && !comma) {
      comma = true;
      c = '.';
    }
    s += c;
  }
  return leadingNumber(s);
}

double DESPREZA(double value, int /*width*/, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 12) decimals = 12;
  long double scale = std::pow(10.0L, decimals + 2);
  long double scaled = static_cast<long double>(value) * scale;
  // A value typed as 1.00995 is held a hair below it; the nudge lets it round
  // as it was written.
  scaled += std::copysign(std::fabs(scaled) * 1e-13L, scaled);
  long double rounded = std::round(scaled);
  long double kept = std::trunc(rounded / 100);
  return static_cast<double>(kept) / std::pow(10.0, decimals);
}

std::string TRAZ_MES(int month) {
  static const char* const kNames[12] = {"Janeiro  ", "Fevereiro", "Marco    ", "Abril    ",
                                         "Maio     ", "Junho    ", "Julho    ", "Agosto   ",
                                         "Setembro ", "Outubro  ", "Novembro ", "Dezembro "};
  if (month < 1 || month > 12) return std::string(9, ' ');
  return kNames[month - 1];
}

}  // namespace zel
