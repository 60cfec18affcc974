#include "platform/db/bulk.h"

namespace zel::db {

namespace {

std::string_view rtrim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string_view ltrim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

// Text of a C or M field of the current record, trailing blanks removed.
Result<std::string> textOf(const Table& t, int i) {
  if (t.fields()[static_cast<size_t>(i)].type != 'M') return std::string(rtrim(t.raw(i)));
  auto v = t.get(i);
  if (!v.ok()) return v.status();
  return std::string(rtrim(v->text()));
}

}  // namespace

Status pack(Table& t) {
  return t.rewrite([](std::string_view rec) { return rec.empty() || rec[0] != '*'; });
}

Status zap(Table& t) {
  ZEL_RETURN_IF_ERROR(t.rewrite([](std::string_view) { return false; }));
  if (t.memoFile()) ZEL_RETURN_IF_ERROR(t.memoFile()->zap());
  return Status::OK();
}

Status forEach(Table& t, const Condition& cond, const std::function<Status(Table&)>& fn) {
  ZEL_RETURN_IF_ERROR(t.goTop());
  while (!t.eof()) {
    if (!cond || cond(t)) ZEL_RETURN_IF_ERROR(fn(t));
    ZEL_RETURN_IF_ERROR(t.skip(1));
  }
  return Status::OK();
}

Status copyTo(Table& src, Env& env, const std::string& path, const Condition& cond) {
  if (path == src.path()) return Status::InvalidArgument(path + ": cannot copy a table onto itself");
  ZEL_RETURN_IF_ERROR(Table::create(env, path, src.fields()));
  auto dst = Table::open(env, path, OpenMode::kExclusive);
  if (!dst.ok()) return dst.status();
  Table& d = **dst;
  const auto& fields = src.fields();
  Status s = forEach(src, cond, [&](Table& t) -> Status {
    std::string rec(t.recordBytes());
    for (size_t i = 0; i < fields.size(); ++i)
      if (fields[i].type == 'M') rec.replace(src.layout().offsets[i], 10, 10, ' ');
    ZEL_RETURN_IF_ERROR(d.appendRaw(rec));
    for (size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].type != 'M') continue;
      auto v = t.get(static_cast<int>(i));
      if (!v.ok()) return v.status();
      if (!v->text().empty()) ZEL_RETURN_IF_ERROR(d.put(static_cast<int>(i), *v));
    }
    return Status::OK();
  });
  Status c = d.close();
  return s.ok() ? c : s;
}

Status appendFrom(Table& dst, Env& env, const std::string& srcPath, const Condition& cond) {
  // Reading a table while appending to it would never reach its end.
  if (srcPath == dst.path()) return Status::InvalidArgument(srcPath + ": cannot append a table to itself");
  auto opened = Table::open(env, srcPath, OpenMode::kShared, true);
  if (!opened.ok()) return opened.status();
  Table& src = **opened;
  const auto& df = dst.fields();
  std::vector<int> from(df.size(), -1);
  for (size_t i = 0; i < df.size(); ++i) from[i] = src.fieldIndex(df[i].name);

  return forEach(src, cond, [&](Table& s) -> Status {
    std::string rec = blankRecord(dst.layout());
    rec[0] = s.deleted() ? '*' : ' ';
    std::vector<std::pair<int, std::string>> memos;
    for (size_t i = 0; i < df.size(); ++i) {
      int j = from[i];
      if (j < 0) continue;
      const FieldDef& to = df[i];
      const FieldDef& fr = s.fields()[static_cast<size_t>(j)];
      std::string bytes;
      if (to.type == 'M' || (to.type == 'C' && fr.type == 'M')) {
        if (fr.type != 'C' && fr.type != 'M') continue;
        auto text = textOf(s, j);
        if (!text.ok()) return text.status();
        if (to.type == 'M') {
          memos.emplace_back(static_cast<int>(i), std::move(text).value());
          continue;
        }
        bytes = *text;
      } else if (to.type != fr.type) {
        continue;
      } else if (to.type == 'N') {
        bytes = formatNumber(decodeValue(fr, s.raw(j)).number(), to.width, to.decimals);
      } else {
        bytes = std::string(s.raw(j));
      }
      bytes.resize(static_cast<size_t>(to.width), ' ');
      rec.replace(dst.layout().offsets[i], bytes.size(), bytes);
    }
    ZEL_RETURN_IF_ERROR(dst.appendRaw(rec));
    for (auto& [i, text] : memos)
      if (!text.empty()) ZEL_RETURN_IF_ERROR(dst.put(i, Value(text)));
    if (!dst.exclusive()) ZEL_RETURN_IF_ERROR(dst.unlockRecord(dst.recno()));
    return Status::OK();
  });
}

Status copyDelimited(Table& src, Env& env, const std::string& path) {
  OpenOptions o;
  o.create = true;
  o.truncate = true;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  std::string out;
  uint64_t written = 0;
  bool any = false;
  const auto& fields = src.fields();
  auto spill = [&]() -> Status {
    ZEL_RETURN_IF_ERROR((*f)->write(written, out));
    written += out.size();
    out.clear();
    return Status::OK();
  };
  ZEL_RETURN_IF_ERROR(forEach(src, nullptr, [&](Table& t) -> Status {
    // A deleted record has no place in a text file, whatever the setting.
    if (t.deleted()) return Status::OK();
    any = true;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) out += ',';
      const FieldDef& fd = fields[i];
      std::string_view raw = t.raw(static_cast<int>(i));
      switch (fd.type) {
        case 'C':
        case 'M': {
          auto text = textOf(t, static_cast<int>(i));
          if (!text.ok()) return text.status();
          out += '"';
          out += *text;
          out += '"';
          break;
        }
        case 'N':
          out += ltrim(formatNumber(decodeValue(fd, raw).number(), fd.width, fd.decimals));
          break;
        case 'D': {
          Date d = decodeValue(fd, raw).date();
          if (!d.empty()) out += d.dtos();
          break;
        }
        case 'L': out += decodeValue(fd, raw).logical() ? 'T' : 'F'; break;
        default: out += rtrim(raw);
      }
    }
    out += "\r\n";
    if (out.size() >= 65536) return spill();
    return Status::OK();
  }));
  if (any) out += kEndOfFile;
  return spill();
}

}  // namespace zel::db
