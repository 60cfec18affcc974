#include "tools/field_text.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/sys/cp850.h"
#include "platform/sys/date.h"

namespace zel::tools {

namespace {

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) {
  s = trimRight(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool logicalTrue(char c) { return c == 'T' || c == 't' || c == 'Y' || c == 'y'; }

std::string describe(const db::FieldDef& f) {
  std::string d = f.name + " (" + f.type + " " + std::to_string(f.width);
  if (f.type == 'N' && f.decimals) d += "," + std::to_string(f.decimals);
  return d + ")";
}

// The trimmed text of a numeric field as a JSON number, or "" when it is
// not one (an overflow written as asterisks, stray bytes).
std::string numberAsJson(std::string_view t) {
  std::string s(t);
  if (s.empty()) return "0";
  bool neg = s[0] == '-';
  std::string body = neg ? s.substr(1) : s;
  if (!body.empty() && body[0] == '.') body.insert(body.begin(), '0');
  size_t dot = body.find('.');
  std::string ip = body.substr(0, dot);
  std::string fp = dot == std::string::npos ? "" : body.substr(dot + 1);
  auto digits = [](const std::string& x) {
    return std::all_of(x.begin(), x.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (ip.empty() || !digits(ip) || !digits(fp) || (dot != std::string::npos && fp.empty()))
    return "";
  while (ip.size() > 1 && ip[0] == '0') ip.erase(0, 1);
  return (neg ? "-" : "") + ip + (dot == std::string::npos ? "" : "." + fp);
}

Result<FieldInput> textToField(const db::FieldDef& f, std::string_view utf8) {
  switch (f.type) {
    case 'C':
    case 'M': {
      bool lossless = true;
      std::string cp = utf8ToCp850(utf8, &lossless);
      if (!lossless)
        return Status::InvalidArgument("field " + f.name +
                                       ": the text holds a character that code page 850 lacks");
      if (f.type == 'M') {
        // Readers end a memo at the first 0x1A.
        if (cp.find('\x1A') != std::string::npos)
          return Status::InvalidArgument("field " + f.name + ": a memo cannot hold the character U+001A");
        return FieldInput{std::move(cp)};
      }
      if (static_cast<int>(cp.size()) > f.width)
        return Status::InvalidArgument("field " + describe(f) + ": the text is " +
                                       std::to_string(cp.size()) + " characters long");
      cp.resize(static_cast<size_t>(f.width), ' ');
      return FieldInput{std::move(cp)};
    }
    case 'N': {
      std::string_view t = trim(utf8);
      if (t.empty()) return FieldInput{blankField(f)};
      auto r = formatNumber(t, f.width, f.decimals);
      if (!r.ok()) return Status::InvalidArgument("field " + describe(f) + ": " + r.status().message());
      return FieldInput{std::move(r.value())};
    }
    case 'D': {
      std::string t(trim(utf8));
      if (t.size() == 10 && t[4] == '-' && t[7] == '-') t = t.substr(0, 4) + t.substr(5, 2) + t.substr(8, 2);
      if (t.empty()) return FieldInput{std::string(8, ' ')};
      auto d = Date::fromDtos(t);
      if (t.size() != 8 || !d || d->empty())
        return Status::InvalidArgument("field " + f.name + ": \"" + std::string(utf8) +
                                       "\" is not a date (YYYYMMDD)");
      return FieldInput{t};
    }
    case 'L': {
      std::string t = upper(trim(utf8));
      if (t.empty()) return FieldInput{" "};
      if (t == "T" || t == "Y" || t == "TRUE" || t == "1" || t == ".T.") return FieldInput{"T"};
      if (t == "F" || t == "N" || t == "FALSE" || t == "0" || t == ".F.") return FieldInput{"F"};
      return Status::InvalidArgument("field " + f.name + ": \"" + std::string(utf8) +
                                     "\" is not a logical (T or F)");
    }
  }
  return Status::InvalidArgument("field " + f.name + " has an unknown type");
}

}  // namespace

std::string blankField(const db::FieldDef& f) { return std::string(static_cast<size_t>(f.width), ' '); }

std::string fieldToCsv(const db::FieldDef& f, std::string_view raw, std::string_view memo) {
  switch (f.type) {
    case 'C': return cp850ToUtf8(trimRight(raw));
    case 'M': return cp850ToUtf8(memo);
    case 'N': return std::string(trim(raw));
    case 'D': return std::string(trim(raw));
    case 'L': return !raw.empty() && logicalTrue(raw[0]) ? "T" : "F";
  }
  return cp850ToUtf8(raw);
}

std::string fieldToJson(const db::FieldDef& f, std::string_view raw, std::string_view memo) {
  switch (f.type) {
    case 'N': {
      std::string n = numberAsJson(trim(raw));
      return n.empty() ? "null" : n;
    }
    case 'L': return !raw.empty() && logicalTrue(raw[0]) ? "true" : "false";
    default: return jsonString(fieldToCsv(f, raw, memo));
  }
}

Result<FieldInput> csvToField(const db::FieldDef& f, std::string_view utf8) {
  return textToField(f, utf8);
}

Result<FieldInput> jsonToField(const db::FieldDef& f, const JsonValue& v) {
  using K = JsonValue::Kind;
  switch (v.kind) {
    case K::kNull: return FieldInput{f.type == 'M' ? std::string() : blankField(f)};
    case K::kBool:
      if (f.type != 'L')
        return Status::InvalidArgument("field " + describe(f) + ": true/false given for a non-logical field");
      return FieldInput{v.boolean ? "T" : "F"};
    case K::kNumber:
      if (f.type != 'N')
        return Status::InvalidArgument("field " + describe(f) + ": a number given for a non-numeric field");
      return textToField(f, v.text);
    case K::kString: return textToField(f, v.text);
  }
  return Status::InvalidArgument("field " + f.name + ": unknown value");
}

Result<std::string> formatNumber(std::string_view number, int width, int decimals) {
  std::string_view s = number;
  bool neg = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    neg = s[0] == '-';
    s.remove_prefix(1);
  }
  std::string digits;  // all significant digits, the point removed
  long point = -1;     // digits before the point
  size_t i = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c == '.' && point < 0) {
      point = static_cast<long>(digits.size());
    } else {
      break;
    }
  }
  if (digits.empty()) return Status::InvalidArgument("\"" + std::string(number) + "\" is not a number");
  if (point < 0) point = static_cast<long>(digits.size());
  if (i < s.size()) {
    if (s[i] != 'e' && s[i] != 'E') return Status::InvalidArgument("\"" + std::string(number) + "\" is not a number");
    std::string_view e = s.substr(i + 1);
    bool eneg = false;
    if (!e.empty() && (e[0] == '-' || e[0] == '+')) {
      eneg = e[0] == '-';
      e.remove_prefix(1);
    }
    if (e.empty() || e.size() > 4 ||
        !std::all_of(e.begin(), e.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return Status::InvalidArgument("\"" + std::string(number) + "\" is not a number");
    long ex = std::stol(std::string(e));
    point += eneg ? -ex : ex;
  }
  // Bring the digits to exactly `decimals` places after the point.
  if (point < 0) {
    digits.insert(0, static_cast<size_t>(-point), '0');
    point = 0;
  }
  if (point > static_cast<long>(digits.size())) digits.append(static_cast<size_t>(point) - digits.size(), '0');
  long want = point + decimals;
  if (static_cast<long>(digits.size()) > want) {
    bool up = digits[static_cast<size_t>(want)] >= '5';
    digits.resize(static_cast<size_t>(want));
    if (up) {
      long k = want - 1;
      for (; k >= 0; --k) {
        if (digits[static_cast<size_t>(k)] == '9') {
          digits[static_cast<size_t>(k)] = '0';
        } else {
          ++digits[static_cast<size_t>(k)];
          break;
        }
      }
      if (k < 0) {
        digits.insert(digits.begin(), '1');
        ++point;
      }
    }
  } else {
    digits.append(static_cast<size_t>(want) - digits.size(), '0');
  }
  std::string ip = digits.substr(0, static_cast<size_t>(point));
  std::string fp = digits.substr(static_cast<size_t>(point));
  while (ip.size() > 1 && ip[0] == '0') ip.erase(0, 1);
  if (ip.empty()) ip = "0";
  bool zero = std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
  std::string out = (neg && !zero ? "-" : "") + ip + (decimals ? "." + fp : "");
  if (static_cast<int>(out.size()) > width)
    return Status::InvalidArgument(std::string(number) + " does not fit in " + std::to_string(width) +
                                   " characters with " + std::to_string(decimals) + " decimals");
  return std::string(static_cast<size_t>(width) - out.size(), ' ') + out;
}

Result<db::FieldDef> parseFieldSpec(std::string_view spec) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t c = spec.find(':', start);
    parts.emplace_back(spec.substr(start, c == std::string_view::npos ? c : c - start));
    if (c == std::string_view::npos) break;
    start = c + 1;
  }
  auto bad = [&](const std::string& why) {
    return Status::InvalidArgument("field \"" + std::string(spec) + "\": " + why);
  };
  if (parts.size() < 2 || parts.size() > 4) return bad("write it as NAME:TYPE:WIDTH[:DEC]");
  db::FieldDef f;
  f.name = upper(parts[0]);
  if (f.name.empty() || f.name.size() > 10) return bad("a name has 1 to 10 characters");
  if (!std::isalpha(static_cast<unsigned char>(f.name[0])) ||
      !std::all_of(f.name.begin(), f.name.end(),
                   [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }))
    return bad("a name is a letter followed by letters, digits or '_'");
  std::string type = upper(parts[1]);
  if (type.size() != 1 || std::string_view("CNDLM").find(type[0]) == std::string_view::npos)
    return bad("the type is one of C, N, D, L, M");
  f.type = type[0];
  auto number = [](const std::string& t, int* out) {
    if (t.empty() || t.size() > 5 || !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    *out = std::stoi(t);
    return true;
  };
  int fixed = f.type == 'D' ? 8 : f.type == 'L' ? 1 : f.type == 'M' ? 10 : 0;
  if (parts.size() >= 3) {
    if (!number(parts[2], &f.width)) return bad("the width is a number");
  } else if (fixed) {
    f.width = fixed;
  } else {
    return bad("C and N fields need a width");
  }
  if (parts.size() == 4) {
    if (f.type != 'N') return bad("only N fields have decimals");
    if (!number(parts[3], &f.decimals)) return bad("the decimals are a number");
  }
  if (fixed && f.width != fixed) return bad(std::string(1, f.type) + " fields are " + std::to_string(fixed) + " wide");
  if (f.type == 'C' && (f.width < 1 || f.width > 65535)) return bad("C fields are 1 to 65535 wide");
  if (f.type == 'N') {
    if (f.width < 1 || f.width > 19) return bad("N fields are 1 to 19 wide");
    if (f.decimals > 0 && f.decimals > f.width - 2) return bad("N decimals are at most the width minus 2");
  }
  return f;
}

Status checkFieldList(const std::vector<db::FieldDef>& fields) {
  if (fields.empty()) return Status::InvalidArgument("a table needs at least one field");
  std::set<std::string> seen;
  long length = 1;
  for (const auto& f : fields) {
    if (!seen.insert(f.name).second) return Status::InvalidArgument("field " + f.name + " is named twice");
    length += f.width;
  }
  if (fields.size() > 1000) return Status::InvalidArgument("too many fields");
  if (length > 65535) return Status::InvalidArgument("the record would be longer than 65535 bytes");
  return Status::OK();
}

}  // namespace zel::tools
