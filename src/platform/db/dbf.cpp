#include "platform/db/dbf.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <set>

namespace zel::db {

namespace {

uint32_t le16(std::string_view b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}

uint32_t le32(std::string_view b, size_t at) {
  return le16(b, at) | le16(b, at + 2) << 16;
}

void putLe16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

void putLe32(std::string& s, size_t at, uint32_t v) {
  putLe16(s, at, v & 0xFFFF);
  putLe16(s, at + 2, v >> 16);
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  return s;
}

// Width and decimals limits of one field; empty when fine.
std::string fieldProblem(const FieldDef& f) {
  switch (f.type) {
    case 'C':
      if (f.width < 1 || f.width > 65535) return "width " + std::to_string(f.width) + " out of range";
      if (f.decimals != 0) return "decimals on a character field";
      return {};
    case 'N':
    case 'F':
      if (f.width < 1 || f.width > 20) return "width " + std::to_string(f.width) + " out of range";
      if (f.decimals < 0 || (f.decimals > 0 && f.decimals > f.width - 2))
        return "decimals " + std::to_string(f.decimals) + " do not fit width " +
               std::to_string(f.width);
      return {};
    case 'D': return f.width == 8 ? std::string() : "a date field must be 8 wide";
    case 'L': return f.width == 1 ? std::string() : "a logical field must be 1 wide";
    case 'M': return f.width == 10 ? std::string() : "a memo field must be 10 wide";
    default: return std::string("unknown type '") + f.type + "'";
  }
}

}  // namespace

bool DbfLayout::hasMemo() const {
  for (const FieldDef& f : fields)
    if (f.type == 'M') return true;
  return false;
}

int DbfLayout::fieldIndex(std::string_view name) const {
  name = trim(name);
  for (size_t i = 0; i < fields.size(); ++i)
    if (sameName(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

Status validateFields(const std::vector<FieldDef>& fields) {
  if (fields.empty()) return Status::InvalidArgument("a table needs at least one field");
  if (fields.size() > kMaxFields) return Status::InvalidArgument("too many fields");
  std::set<std::string> seen;
  long length = 1;
  for (const FieldDef& f : fields) {
    if (f.name.empty() || f.name.size() > 10)
      return Status::InvalidArgument("field name '" + f.name + "' must have 1 to 10 characters");
    for (char c : f.name)
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
        return Status::InvalidArgument("field name '" + f.name + "' has a bad character");
    std::string upper;
    for (char c : f.name) upper += upperAscii(c);
    if (!seen.insert(upper).second)
      return Status::InvalidArgument("field " + upper + " appears twice");
    std::string problem = fieldProblem(f);
    if (!problem.empty()) return Status::InvalidArgument("field " + upper + ": " + problem);
    length += f.width;
  }
  if (length > kMaxRecordLength) return Status::InvalidArgument("records would be too long");
  return Status::OK();
}

Result<DbfLayout> makeLayout(const std::vector<FieldDef>& fields) {
  ZEL_RETURN_IF_ERROR(validateFields(fields));
  DbfLayout l;
  uint32_t at = 1;
  for (FieldDef f : fields) {
    for (char& c : f.name) c = upperAscii(c);
    if (f.type == 'F') f.type = 'N';
    l.fields.push_back(f);
    l.offsets.push_back(at);
    at += static_cast<uint32_t>(f.width);
  }
  l.recordLength = at;
  l.headerLength = 32 + 32 * static_cast<uint32_t>(fields.size()) + 1;
  l.version = l.hasMemo() ? kDbfWithMemo : kDbfNoMemo;
  return l;
}

std::string encodeDateAndCount(const CivilTime& when, uint32_t count) {
  std::string s(7, '\0');
  s[0] = static_cast<char>(std::clamp(when.year - 1900, 0, 255));
  s[1] = static_cast<char>(when.month);
  s[2] = static_cast<char>(when.day);
  putLe32(s, 3, count);
  return s;
}

std::string encodeHeader(const DbfLayout& l, const CivilTime& when) {
  std::string h(l.headerLength, '\0');
  h[0] = static_cast<char>(l.version);
  h.replace(1, 7, encodeDateAndCount(when, l.headerCount));
  putLe16(h, 8, l.headerLength);
  putLe16(h, 10, l.recordLength);
  h[29] = static_cast<char>(l.languageDriver);
  for (size_t i = 0; i < l.fields.size(); ++i) {
    const FieldDef& f = l.fields[i];
    size_t at = 32 + 32 * i;
    h.replace(at, f.name.size(), f.name);
    h[at + 11] = f.type;
    h[at + 16] = static_cast<char>(f.width & 0xFF);
    h[at + 17] = static_cast<char>(f.type == 'C' ? (f.width >> 8) & 0xFF : f.decimals);
  }
  h[32 + 32 * l.fields.size()] = '\x0D';
  return h;
}

Result<DbfLayout> parseHeader(std::string_view b, const std::string& name) {
  auto bad = [&](const std::string& why) { return Status::Corruption(name + ": " + why); };
  if (b.size() < 32) return bad("header cut short (" + std::to_string(b.size()) + " bytes)");
  DbfLayout l;
  l.version = static_cast<uint8_t>(b[0]);
  if ((l.version & 0x07) != 0x03) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", l.version);
    return bad(std::string("not a dBASE table (version byte ") + hex + ")");
  }
  l.year = 1900 + static_cast<uint8_t>(b[1]);
  l.month = static_cast<uint8_t>(b[2]);
  l.day = static_cast<uint8_t>(b[3]);
  l.headerCount = le32(b, 4);
  l.headerLength = le16(b, 8);
  l.recordLength = le16(b, 10);
  l.languageDriver = static_cast<uint8_t>(b[29]);
  if (l.headerLength < 32 + 32 + 1)
    return bad("header length " + std::to_string(l.headerLength) + " is too small");
  if (b.size() < l.headerLength) return bad("header cut short inside the field descriptors");

  uint32_t at = 1;
  for (size_t pos = 32; pos < l.headerLength && b[pos] != '\x0D'; pos += 32) {
    if (pos + 32 > l.headerLength) return bad("field descriptors cut short");
    if (l.fields.size() >= kMaxFields) return bad("too many fields");
    FieldDef f;
    std::string_view raw = b.substr(pos, 11);
    size_t nul = raw.find('\0');
    for (char c : raw.substr(0, nul)) f.name += upperAscii(c);
    std::string_view trimmed = trim(f.name);
    f.name = std::string(trimmed);
    std::string which = "field " + std::to_string(l.fields.size() + 1);
    if (f.name.empty()) return bad(which + " has no name");
    f.type = upperAscii(b[pos + 11]);
    uint32_t w = static_cast<uint8_t>(b[pos + 16]);
    uint32_t d = static_cast<uint8_t>(b[pos + 17]);
    if (f.type == 'C') {
      f.width = static_cast<int>(w + 256 * d);
    } else {
      f.width = static_cast<int>(w);
      f.decimals = static_cast<int>(d);
    }
    if (f.type == 'F') f.type = 'N';
    // Reading is more lenient than creating: any decimals below the width.
    std::string problem;
    if (f.type == 'N') {
      if (f.width < 1 || f.width > 20) problem = "width " + std::to_string(f.width) + " out of range";
      else if (f.decimals > 0 && f.decimals >= f.width) problem = "decimals do not fit the width";
    } else {
      problem = fieldProblem(f);
    }
    if (!problem.empty()) return bad(which + " (" + f.name + "): " + problem);
    l.fields.push_back(std::move(f));
    l.offsets.push_back(at);
    at += static_cast<uint32_t>(l.fields.back().width);
  }
  if (l.fields.empty()) return bad("no field descriptors");
  if (l.headerLength < 32 + 32 * l.fields.size() + 1)
    return bad("header length " + std::to_string(l.headerLength) + " is shorter than its " +
               std::to_string(l.fields.size()) + " field descriptors");
  if (at != l.recordLength)
    return bad("record length " + std::to_string(l.recordLength) +
               " does not match the fields (" + std::to_string(at) + ")");
  return l;
}

uint32_t reconcileCount(const DbfLayout& l, uint64_t fileSize, std::string_view firstBytes) {
  uint64_t inFile = fileSize > l.headerLength ? (fileSize - l.headerLength) / l.recordLength : 0;
  if (inFile > UINT32_MAX) inFile = UINT32_MAX;
  if (l.headerCount >= inFile) return static_cast<uint32_t>(inFile);
  uint32_t n = l.headerCount;
  for (char c : firstBytes) {
    if (n >= inFile || (c != ' ' && c != '*')) break;
    ++n;
  }
  return n;
}

std::string blankRecord(const DbfLayout& l) { return std::string(l.recordLength, ' '); }

uint32_t memoBlock(std::string_view raw) {
  std::string_view t = trim(raw);
  uint32_t n = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
  if (ec != std::errc() || p != t.data() + t.size()) return 0;
  return n;
}

Value decodeValue(const FieldDef& f, std::string_view raw) {
  switch (f.type) {
    case 'N': {
      std::string_view t = trim(raw);
      if (!t.empty() && t.front() == '+') t.remove_prefix(1);
      double v = 0;
      auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
      if (ec != std::errc() || p != t.data() + t.size()) return Value(0.0);
      return Value(v);
    }
    case 'D': {
      auto d = Date::fromDtos(raw);
      return Value(d ? *d : Date());
    }
    case 'L': {
      char c = raw.empty() ? ' ' : raw[0];
      return Value(c == 'T' || c == 't' || c == 'Y' || c == 'y');
    }
    case 'M': return Value(static_cast<double>(memoBlock(raw)));
    default: return Value(std::string(raw));
  }
}

std::string formatNumber(double v, int width, int decimals) {
  std::string stars(static_cast<size_t>(std::max(width, 0)), '*');
  if (!std::isfinite(v) || decimals < 0 || decimals > 15) return stars;
  uint64_t p = 1;
  for (int i = 0; i < decimals; ++i) p *= 10;
  double scaled = std::fabs(v) * static_cast<double>(p);
  if (scaled >= 9.0e18) return stars;
  // The small relative nudge makes 1.005 round to 1.01 as a person expects,
  // although its binary value lies a hair below.
  auto r = static_cast<uint64_t>(std::floor(scaled + 0.5 + scaled * 1e-13));
  std::string s = std::to_string(r / p);
  if (decimals > 0) {
    std::string frac = std::to_string(r % p);
    s += '.' + std::string(static_cast<size_t>(decimals) - frac.size(), '0') + frac;
  }
  if (v < 0 && r != 0) s.insert(0, 1, '-');
  if (s.size() > static_cast<size_t>(width)) return stars;
  return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

Result<std::string> encodeValue(const FieldDef& f, const Value& v) {
  auto mismatch = [&]() {
    return Status::InvalidArgument("value of the wrong type for field " + f.name);
  };
  auto w = static_cast<size_t>(f.width);
  switch (f.type) {
    case 'C': {
      if (!v.isText()) return mismatch();
      std::string s = v.text().substr(0, w);
      s.resize(w, ' ');
      return s;
    }
    case 'N':
      if (!v.isNumber()) return mismatch();
      return formatNumber(v.number(), f.width, f.decimals);
    case 'D':
      if (!v.isDate()) return mismatch();
      return v.date().dtos();
    case 'L':
      if (!v.isLogical()) return mismatch();
      return std::string(v.logical() ? "T" : "F");
    default:
      return Status::InvalidArgument("field " + f.name + " is a memo: write it through the table");
  }
}

}  // namespace zel::db
