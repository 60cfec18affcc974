#include "platform/db/key_expr.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace zel::db {

// 'C' text, 'N' number (decimal text), 'D' date (YYYYMMDD or blanks), 'L'.
struct KeyExpr::Node {
  enum class Op { kField, kConcat, kUpper, kDtos, kStr, kSubstr };
  Op op = Op::kField;
  char type = 'C';
  int width = 0;     // width of the result
  int decimals = 0;  // numbers only
  int field = -1;    // kField
  int start = 0;     // kSubstr, 0-based
  std::vector<std::shared_ptr<const Node>> args;
};

namespace {

using Node = KeyExpr::Node;
using NodePtr = std::shared_ptr<const Node>;

bool isIdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::string upperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// Recursive-descent parser over the expression text.
class Parser {
 public:
  Parser(std::string_view text, const std::vector<FieldDef>& fields)
      : s_(text), fields_(fields) {}

  Result<NodePtr> parseAll() {
    auto e = parseConcat();
    if (!e.ok()) return e;
    skipBlanks();
    if (pos_ != s_.size()) return error("unexpected '" + std::string(1, s_[pos_]) + "'");
    return e;
  }

 private:
  Status error(const std::string& what) const {
    return Status::InvalidArgument("key expression \"" + std::string(s_) + "\": " + what);
  }

  void skipBlanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }

  bool accept(char c) {
    skipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  Result<NodePtr> parseConcat() {
    auto first = parseTerm();
    if (!first.ok()) return first;
    NodePtr left = *first;
    while (accept('+')) {
      auto right = parseTerm();
      if (!right.ok()) return right;
      if (left->type != 'C' || (*right)->type != 'C')
        return error("'+' joins texts only");
      auto n = std::make_shared<Node>();
      n->op = Node::Op::kConcat;
      n->type = 'C';
      n->width = left->width + (*right)->width;
      n->args = {left, *right};
      left = n;
    }
    return left;
  }

  Result<int> parseInt() {
    skipBlanks();
    size_t begin = pos_;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    if (begin == pos_ || pos_ - begin > 4) return error("a whole number is expected");
    return std::stoi(std::string(s_.substr(begin, pos_ - begin)));
  }

  Result<NodePtr> parseTerm() {
    skipBlanks();
    if (accept('(')) {
      auto inner = parseConcat();
      if (!inner.ok()) return inner;
      if (!accept(')')) return error("')' expected");
      return inner;
    }
    size_t begin = pos_;
    while (pos_ < s_.size() && isIdentChar(s_[pos_])) ++pos_;
    if (begin == pos_) return error(pos_ < s_.size() ? "unexpected '" + std::string(1, s_[pos_]) + "'"
                                                    : "unexpected end");
    std::string name = upperAscii(s_.substr(begin, pos_ - begin));
    if (accept('(')) return parseCall(name);
    for (size_t i = 0; i < fields_.size(); ++i) {
      if (upperAscii(fields_[i].name) != name) continue;
      const FieldDef& f = fields_[i];
      if (f.type == 'M') return error("memo field " + name + " cannot be a key");
      auto n = std::make_shared<Node>();
      n->op = Node::Op::kField;
      n->field = static_cast<int>(i);
      n->type = f.type;
      n->width = f.type == 'D' ? 8 : f.type == 'L' ? 1 : f.width;
      n->decimals = f.type == 'N' ? f.decimals : 0;
      return NodePtr(n);
    }
    return error("unknown field " + name);
  }

  Result<NodePtr> parseCall(const std::string& fn) {
    auto n = std::make_shared<Node>();
    auto arg = parseConcat();
    if (!arg.ok()) return arg;
    n->args.push_back(*arg);
    const Node& a = **arg;
    if (fn == "UPPER") {
      if (a.type != 'C') return error("UPPER needs a text");
      n->op = Node::Op::kUpper;
      n->type = 'C';
      n->width = a.width;
    } else if (fn == "DTOS") {
      if (a.type != 'D') return error("DTOS needs a date");
      n->op = Node::Op::kDtos;
      n->type = 'C';
      n->width = 8;
    } else if (fn == "STR") {
      if (a.type != 'N') return error("STR needs a number");
      n->op = Node::Op::kStr;
      n->type = 'C';
      // STR(field) keeps the field's own width and decimals.
      n->width = a.op == Node::Op::kField ? a.width : 10;
      n->decimals = a.op == Node::Op::kField ? a.decimals : 0;
      if (accept(',')) {
        auto w = parseInt();
        if (!w.ok()) return w.status();
        n->width = *w;
        n->decimals = 0;
        if (accept(',')) {
          auto d = parseInt();
          if (!d.ok()) return d.status();
          n->decimals = *d;
        }
      }
      if (n->width < 1 || n->width > kMaxKeySize) return error("STR width out of range");
      if (n->decimals > 0 && n->decimals + 2 > n->width) n->decimals = std::max(0, n->width - 2);
    } else if (fn == "SUBSTR") {
      if (a.type != 'C') return error("SUBSTR needs a text");
      if (!accept(',')) return error("SUBSTR needs a start");
      auto st = parseInt();
      if (!st.ok()) return st.status();
      if (*st < 1 || *st > a.width) return error("SUBSTR start out of range");
      n->op = Node::Op::kSubstr;
      n->type = 'C';
      n->start = *st - 1;
      n->width = a.width - n->start;
      if (accept(',')) {
        auto len = parseInt();
        if (!len.ok()) return len.status();
        n->width = std::min(n->width, *len);
      }
      if (n->width < 1) return error("SUBSTR length out of range");
    } else {
      return error("unknown function " + fn);
    }
    if (!accept(')')) return error("')' expected after " + fn);
    return NodePtr(n);
  }

  std::string_view s_;
  const std::vector<FieldDef>& fields_;
  size_t pos_ = 0;
};

std::string fit(std::string s, int width) {
  s.resize(static_cast<size_t>(width), ' ');
  return s;
}

std::string evalNode(const Node& n, const RecordView& rec) {
  switch (n.op) {
    case Node::Op::kField: {
      std::string_view raw = rec.raw(n.field);
      if (n.type == 'L') {
        char c = raw.empty() ? ' ' : raw[0];
        return (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? "T" : "F";
      }
      return fit(std::string(raw), n.width);
    }
    case Node::Op::kConcat:
      return evalNode(*n.args[0], rec) + evalNode(*n.args[1], rec);
    case Node::Op::kUpper:
      return upperAscii(evalNode(*n.args[0], rec));
    case Node::Op::kDtos:
      return evalNode(*n.args[0], rec);
    case Node::Op::kStr:
      return formatStr(evalNode(*n.args[0], rec), n.width, n.decimals);
    case Node::Op::kSubstr:
      return evalNode(*n.args[0], rec).substr(static_cast<size_t>(n.start),
                                              static_cast<size_t>(n.width));
  }
  return std::string();
}

// Decimal text of a double with at most 15 significant digits, so that
// values typed as decimals (2.675) round as they read.
std::string decimalText(double v) {
  if (!std::isfinite(v)) return "0";
  double a = std::fabs(v);
  int intDigits = a < 1 ? 1 : static_cast<int>(std::floor(std::log10(a))) + 1;
  int prec = std::clamp(15 - intDigits, 0, 15);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", prec, v);
  return buf;
}

}  // namespace

std::string formatStr(std::string_view number, int width, int decimals) {
  if (width < 1) return std::string();
  // Sign, integer digits and fraction digits of the decimal text.
  size_t i = 0;
  while (i < number.size() && number[i] == ' ') ++i;
  bool neg = false;
  if (i < number.size() && (number[i] == '-' || number[i] == '+')) neg = number[i++] == '-';
  std::string intPart, fracPart;
  while (i < number.size() && std::isdigit(static_cast<unsigned char>(number[i])))
    intPart += number[i++];
  if (i < number.size() && number[i] == '.') {
    ++i;
    while (i < number.size() && std::isdigit(static_cast<unsigned char>(number[i])))
      fracPart += number[i++];
  }
  while (i < number.size() && number[i] == ' ') ++i;
  if (i != number.size()) intPart.clear(), fracPart.clear();  // not a number: 0

  if (decimals < 0) decimals = 0;
  // Round half away from zero at `decimals` places, in decimal.
  std::string digits = intPart + fracPart;
  size_t intLen = intPart.size();
  size_t keep = intLen + static_cast<size_t>(decimals);
  bool roundUp = fracPart.size() > static_cast<size_t>(decimals) && digits[keep] >= '5';
  digits.resize(keep, '0');
  if (roundUp) {
    size_t k = keep;
    while (k > 0) {
      --k;
      if (digits[k] == '9') {
        digits[k] = '0';
      } else {
        ++digits[k];
        roundUp = false;
        break;
      }
    }
    if (roundUp) {
      digits.insert(digits.begin(), '1');
      ++intLen;
    }
  }
  std::string whole = digits.substr(0, intLen);
  std::string frac = digits.substr(intLen);
  size_t nz = whole.find_first_not_of('0');
  whole = nz == std::string::npos ? "0" : whole.substr(nz);
  if (whole == "0" && frac.find_first_not_of('0') == std::string::npos) neg = false;

  std::string out = (neg ? "-" : "") + whole;
  if (decimals > 0) out += "." + frac;
  if (out.size() > static_cast<size_t>(width)) return std::string(static_cast<size_t>(width), '*');
  return std::string(static_cast<size_t>(width) - out.size(), ' ') + out;
}

std::string numericKey(std::string_view strText) {
  std::string k(strText);
  if (k.find('*') != std::string::npos) return k;  // overflow stays as is
  bool neg = false;
  for (char& c : k) {
    if (c == ' ') {
      c = '0';
    } else if (c == '-') {
      c = '0';
      neg = true;
    }
  }
  if (neg)
    for (char& c : k)
      if (c >= '0' && c <= '9') c = static_cast<char>(44 - (c - '0'));
  return k;
}

Result<KeyExpr> KeyExpr::parse(std::string_view text, const std::vector<FieldDef>& fields) {
  Parser p(text, fields);
  auto root = p.parseAll();
  if (!root.ok()) return root.status();
  KeyExpr e;
  e.text_ = std::string(text);
  e.root_ = *root;
  const Node& n = **root;
  e.numeric_ = n.type == 'N';
  if (!e.numeric_ && n.type != 'C' && n.type != 'D' && n.type != 'L')
    return Status::InvalidArgument("key expression \"" + e.text_ + "\": unsupported type");
  e.keySize_ = std::min(n.width, kMaxKeySize);
  e.keyDecimals_ = e.numeric_ ? n.decimals : 0;
  if (e.keySize_ < 1)
    return Status::InvalidArgument("key expression \"" + e.text_ + "\": empty key");
  return e;
}

std::string KeyExpr::evaluate(const RecordView& rec) const {
  if (!root_) return std::string(static_cast<size_t>(keySize_), ' ');  // never parsed
  std::string k = evalNode(*root_, rec);
  if (numeric_) k = numericKey(formatStr(k, keySize_, keyDecimals_));
  return fit(std::move(k), keySize_);
}

std::string KeyExpr::keyFromValue(const Value& v) const {
  std::string k;
  switch (v.type()) {
    case ValueType::kText:
      k = v.text();
      break;
    case ValueType::kNumber:
      k = formatStr(decimalText(v.number()), keySize_, keyDecimals_);
      if (numeric_) k = numericKey(k);
      break;
    case ValueType::kDate:
      k = v.date().dtos();
      break;
    case ValueType::kLogical:
      k = v.logical() ? "T" : "F";
      break;
  }
  if (k.size() > static_cast<size_t>(keySize_)) k.resize(static_cast<size_t>(keySize_));
  return k;
}

}  // namespace zel::db
