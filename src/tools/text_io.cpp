#include "tools/text_io.h"

#include <cstdint>

#include "platform/sys/cp850.h"

namespace zel::tools {

std::string csvField(std::string_view text) {
  bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
               (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ',';
    out += csvField(fields[i]);
  }
  return out;
}

std::optional<std::vector<std::string>> CsvReader::next(Status* err) {
  *err = Status::OK();
  std::vector<std::string> rec;
  std::string cur;
  bool inQuotes = false, any = false, wasQuoted = false;
  line_ = nextLine_;
  int ch;
  while ((ch = in_.get()) != EOF) {
    char c = static_cast<char>(ch);
    if (inQuotes) {
      if (c == '"') {
        if (in_.peek() == '"') {
          in_.get();
          cur += '"';
        } else {
          inQuotes = false;
        }
      } else {
        if (c == '\n') ++nextLine_;
        cur += c;
      }
      continue;
    }
    if (c == '\r' && in_.peek() == '\n') continue;
    if (c == '\n') {
      ++nextLine_;
      if (!any && cur.empty()) {  // blank line
        line_ = nextLine_;
        continue;
      }
      rec.push_back(std::move(cur));
      return rec;
    }
    any = true;
    if (c == ',') {
      rec.push_back(std::move(cur));
      cur.clear();
      wasQuoted = false;
    } else if (c == '"' && cur.empty() && !wasQuoted) {
      inQuotes = wasQuoted = true;
    } else {
      cur += c;
    }
  }
  if (inQuotes) {
    *err = Status::InvalidArgument("a quoted field is not closed");
    return std::nullopt;
  }
  if (!any && cur.empty()) return std::nullopt;
  rec.push_back(std::move(cur));
  return rec;
}

namespace {

class JsonParser {
 public:
  explicit JsonParser(std::string_view s) : s_(s) {}

  Result<JsonObject> object() {
    JsonObject obj;
    skipSpace();
    if (!eat('{')) return fail("a JSON object must start with '{'");
    skipSpace();
    if (eat('}')) return finish(std::move(obj));
    for (;;) {
      skipSpace();
      std::string name;
      if (Status st = string(&name); !st.ok()) return st;
      skipSpace();
      if (!eat(':')) return fail("':' expected after a member name");
      skipSpace();
      JsonValue v;
      if (Status st = value(&v); !st.ok()) return st;
      obj.emplace_back(std::move(name), std::move(v));
      skipSpace();
      if (eat(',')) continue;
      if (eat('}')) return finish(std::move(obj));
      return fail("',' or '}' expected");
    }
  }

 private:
  Result<JsonObject> finish(JsonObject obj) {
    skipSpace();
    if (i_ != s_.size()) return fail("text after the end of the object");
    return obj;
  }

  Status fail(const std::string& why) const {
    return Status::InvalidArgument(why + " (column " + std::to_string(i_ + 1) + ")");
  }
  void skipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n'))
      ++i_;
  }
  bool eat(char c) {
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool word(std::string_view w) {
    if (s_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
  }

  Status value(JsonValue* v) {
    if (i_ >= s_.size()) return fail("a value is missing");
    char c = s_[i_];
    if (c == '"') {
      v->kind = JsonValue::Kind::kString;
      return string(&v->text);
    }
    if (word("true")) {
      v->kind = JsonValue::Kind::kBool;
      v->boolean = true;
      return Status::OK();
    }
    if (word("false")) {
      v->kind = JsonValue::Kind::kBool;
      return Status::OK();
    }
    if (word("null")) {
      v->kind = JsonValue::Kind::kNull;
      return Status::OK();
    }
    if (c == '-' || (c >= '0' && c <= '9')) return number(v);
    if (c == '{' || c == '[') return fail("nested objects and arrays are not accepted");
    return fail("a value is malformed");
  }

  Status number(JsonValue* v) {
    size_t start = i_;
    eat('-');
    auto digits = [&] {
      size_t b = i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
      return i_ > b;
    };
    if (!digits()) return fail("a number is malformed");
    if (eat('.') && !digits()) return fail("a number is malformed");
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (!eat('+')) eat('-');
      if (!digits()) return fail("a number is malformed");
    }
    v->kind = JsonValue::Kind::kNumber;
    v->text = std::string(s_.substr(start, i_ - start));
    return Status::OK();
  }

  Status hex4(uint32_t* out) {
    if (i_ + 4 > s_.size()) return fail("a \\u escape is cut short");
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
      char c = s_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= uint32_t(c - '0');
      else if (c >= 'a' && c <= 'f') v |= uint32_t(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') v |= uint32_t(c - 'A' + 10);
      else return fail("a \\u escape is malformed");
    }
    *out = v;
    return Status::OK();
  }

  Status string(std::string* out) {
    if (!eat('"')) return fail("a string must start with '\"'");
    out->clear();
    while (i_ < s_.size()) {
      char c = s_[i_++];
      if (c == '"') return Status::OK();
      if (static_cast<unsigned char>(c) < 0x20) return fail("a control character inside a string");
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (i_ >= s_.size()) break;
      char e = s_[i_++];
      switch (e) {
        case '"': *out += '"'; break;
        case '\\': *out += '\\'; break;
        case '/': *out += '/'; break;
        case 'b': *out += '\b'; break;
        case 'f': *out += '\f'; break;
        case 'n': *out += '\n'; break;
        case 'r': *out += '\r'; break;
        case 't': *out += '\t'; break;
        case 'u': {
          uint32_t cp;
          ZEL_RETURN_IF_ERROR(hex4(&cp));
          if (cp >= 0xD800 && cp < 0xDC00) {
            uint32_t lo;
            if (!word("\\u")) return fail("a lone surrogate in a \\u escape");
            ZEL_RETURN_IF_ERROR(hex4(&lo));
            if (lo < 0xDC00 || lo > 0xDFFF) return fail("a lone surrogate in a \\u escape");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return fail("a lone surrogate in a \\u escape");
          }
          appendUtf8(*out, cp);
          break;
        }
        default: return fail("an unknown escape in a string");
      }
    }
    return fail("a string is not closed");
  }

  std::string_view s_;
  size_t i_ = 0;
};

}  // namespace

Result<JsonObject> parseJsonObject(std::string_view line) { return JsonParser(line).object(); }

std::string jsonString(std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : utf8) {
    auto b = static_cast<unsigned char>(c);
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (b < 0x20 || b == 0x7F) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace zel::tools
