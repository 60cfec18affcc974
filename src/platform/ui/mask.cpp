#include "platform/ui/mask.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/sys/cp850.h"

namespace zel {

Picture parsePicture(std::string_view mask) {
  Picture p;
  if (mask.empty() || mask[0] != '@') {
    p.tmpl = std::string(mask);
    return p;
  }
  size_t i = 1;
  while (i < mask.size() && mask[i] != ' ') {
    char f = static_cast<char>(cp850Upper(static_cast<unsigned char>(mask[i])));
    ++i;
    switch (f) {
      case 'E': p.exchange = true; break;
      case 'Z': p.blankZero = true; break;
      case 'R': p.literalsOut = true; break;
      case '!': p.upper = true; break;
      case 'K': p.clearFirst = true; break;
      case 'D': p.date = true; break;
      case 'B': p.leftJustify = true; break;
      case 'S': {
        int n = 0;
        while (i < mask.size() && mask[i] >= '0' && mask[i] <= '9') {
          if (n < 10000) n = n * 10 + (mask[i] - '0');
          ++i;
        }
        p.scroll = n;
        break;
      }
      default: break;  // functions this program never uses
    }
  }
  if (i < mask.size()) p.tmpl = std::string(mask.substr(i + 1));
  return p;
}

bool isTemplateChar(char t) {
  switch (t) {
    case '9': case '#': case 'X': case 'x': case '!': case 'A': case 'a':
    case 'N': case 'n': case 'L': case 'l': case 'Y': case 'y':
      return true;
    default:
      return false;
  }
}

NumberShape numberShape(const Picture& p, double value) {
  NumberShape s;
  if (p.tmpl.empty()) {
    double whole;
    bool fraction = std::modf(value, &whole) != 0.0;
    s.decimals = fraction ? 2 : 0;
    s.width = 10 + (fraction ? 3 : 0);
    return s;
  }
  s.width = static_cast<int>(p.tmpl.size());
  auto point = p.tmpl.find('.');
  if (point != std::string::npos)
    for (size_t i = point + 1; i < p.tmpl.size(); ++i)
      if (isTemplateChar(p.tmpl[i])) ++s.decimals;
  return s;
}

std::string numberTemplate(const Picture& p, double value) {
  if (!p.tmpl.empty()) return p.tmpl;
  NumberShape s = numberShape(p, value);
  return s.decimals ? std::string(10, '9') + "." + std::string(static_cast<size_t>(s.decimals), '9')
                    : std::string(10, '9');
}

namespace {

std::string formatNumber(double v, const Picture& p) {
  const std::string t = numberTemplate(p, v);
  const size_t width = t.size();
  const size_t point = t.find('.');
  int decimals = numberShape(p, v).decimals;

  // Round half away from zero; the tiny nudge keeps 2.345 (stored as
  // 2.34499999...) rounding the way the user reads it.
  double scaled = std::fabs(v) * std::pow(10.0, decimals);
  if (!std::isfinite(scaled)) return std::string(width, '*');
  scaled = std::floor(scaled * (1 + 1e-12) + 0.5);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.0f", scaled);
  std::string digits = buf;
  if (digits.size() <= static_cast<size_t>(decimals))
    digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
  std::string intDigits = digits.substr(0, digits.size() - static_cast<size_t>(decimals));
  std::string decDigits = digits.substr(intDigits.size());
  bool zero = digits.find_first_not_of('0') == std::string::npos;
  if (zero && p.blankZero) return std::string(width, ' ');
  bool negative = v < 0 && !zero;

  enum Kind { kLiteral, kDigit, kPoint, kComma };
  std::vector<Kind> kind(width, kLiteral);
  int intSlots = 0;
  for (size_t i = 0; i < width; ++i) {
    if (i == point) kind[i] = kPoint;
    else if (isTemplateChar(t[i])) kind[i] = kDigit;
    else if (t[i] == ',' && (point == std::string::npos || i < point)) kind[i] = kComma;
    if (kind[i] == kDigit && (point == std::string::npos || i < point)) ++intSlots;
  }
  // A lone zero before the point gives way to the sign or to a template
  // without integer positions (".99").
  if (intDigits == "0" && (intSlots == 0 || (negative && intSlots < 2))) intDigits.clear();

  std::string out(width, ' ');
  for (size_t i = 0; i < width; ++i)
    if (kind[i] == kLiteral) out[i] = t[i];
    else if (kind[i] == kPoint) out[i] = '.';

  const size_t intEnd = point == std::string::npos ? width : point;
  size_t leftmost = intEnd;  // leftmost cell holding an integer digit
  int next = static_cast<int>(intDigits.size()) - 1;
  for (size_t i = intEnd; i-- > 0 && next >= 0;) {
    if (kind[i] != kDigit) continue;
    out[i] = intDigits[static_cast<size_t>(next--)];
    leftmost = i;
  }
  if (next >= 0) return std::string(width, '*');
  bool digitLeft = false;
  for (size_t i = 0; i < intEnd; ++i) {
    if (kind[i] == kDigit && out[i] != ' ') digitLeft = true;
    if (kind[i] == kComma) out[i] = digitLeft ? ',' : ' ';
  }
  if (negative) {
    size_t s = leftmost;
    while (s > 0 && kind[s - 1] != kDigit && kind[s - 1] != kComma) --s;
    if (s == 0) return std::string(width, '*');
    out[s - 1] = '-';
  }
  size_t d = 0;
  if (point != std::string::npos)
    for (size_t i = point + 1; i < width && d < decDigits.size(); ++i)
      if (kind[i] == kDigit) out[i] = decDigits[d++];

  if (p.exchange) {
    for (size_t i = 0; i < width; ++i) {
      if (kind[i] == kPoint) out[i] = ',';
      else if (kind[i] == kComma && out[i] == ',') out[i] = '.';
    }
  }
  if (p.leftJustify) {
    size_t lead = out.find_first_not_of(' ');
    if (lead != std::string::npos) out = out.substr(lead) + std::string(lead, ' ');
  }
  return out;
}

std::string formatText(const std::string& v, const Picture& p) {
  std::string out;
  if (p.tmpl.empty()) {
    out = p.upper ? cp850Upper(v) : v;
  } else {
    size_t vi = 0;
    for (char t : p.tmpl) {
      if (isTemplateChar(t)) {
        unsigned char c = vi < v.size() ? static_cast<unsigned char>(v[vi]) : ' ';
        ++vi;
        if (p.upper || t == '!') c = cp850Upper(c);
        out += static_cast<char>(c);
      } else {
        out += t;
        if (!p.literalsOut) ++vi;  // the literal stands in for that character
      }
    }
  }
  if (p.scroll > 0 && out.size() > static_cast<size_t>(p.scroll))
    out.resize(static_cast<size_t>(p.scroll));
  return out;
}

}  // namespace

std::string transform(const Value& v, const Picture& p, bool century) {
  switch (v.type()) {
    case ValueType::kNumber: return formatNumber(v.number(), p);
    case ValueType::kText: return formatText(v.text(), p);
    case ValueType::kDate: {
      std::string s = v.date().dmy(century);
      if (p.blankZero && v.date().empty()) s.assign(s.size(), ' ');
      return s;
    }
    case ValueType::kLogical: {
      bool yn = !p.tmpl.empty() && (p.tmpl[0] == 'Y' || p.tmpl[0] == 'y');
      return v.logical() ? (yn ? "Y" : "T") : (yn ? "N" : "F");
    }
  }
  return {};
}

std::string transform(const Value& v, std::string_view mask, bool century) {
  return transform(v, parsePicture(mask), century);
}

}  // namespace zel
