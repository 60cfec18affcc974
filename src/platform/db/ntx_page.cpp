#include "platform/db/ntx_page.h"

#include <algorithm>
#include <cstring>

namespace zel::db {

uint16_t getLE16(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t getLE32(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void putLE16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

void putLE32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

namespace {

size_t tableEnd(int maxItems) { return 2 + 2 * (static_cast<size_t>(maxItems) + 1); }

std::string num(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u", v);
  return buf;
}

Status pageOffsetOk(uint32_t off, uint64_t fileSize, const char* what) {
  if (off == 0 || off % kNtxPageSize != 0 || off + uint64_t{kNtxPageSize} > fileSize)
    return Status::Corruption(std::string(what) + " page offset " + num(off) +
                              " is not a page of the file");
  return Status::OK();
}

}  // namespace

bool ntxPageFits(int keySize, int maxItems) {
  if (keySize < 1 || maxItems < 2) return false;
  return tableEnd(maxItems) + (static_cast<size_t>(maxItems) + 1) * (keySize + 8u) <= kNtxPageSize;
}

uint16_t ntxMaxItems(int keySize) {
  int m = static_cast<int>((kNtxPageSize - 2) / static_cast<uint32_t>(keySize + 10)) - 1;
  m &= ~1;
  return static_cast<uint16_t>(m < 0 ? 0 : m);
}

Result<NtxHeader> decodeNtxHeader(std::string_view page, uint64_t fileSize) {
  if (page.size() < kNtxPageSize || fileSize < 2 * uint64_t{kNtxPageSize})
    return Status::Corruption("index file shorter than a header and a root page");
  const char* p = page.data();
  NtxHeader h;
  h.signature = getLE16(p);
  if ((h.signature & 0xFF) != 6 && (h.signature & 0xFF) != 3)
    return Status::Corruption("bad index signature " + num(h.signature));
  h.version = getLE16(p + 2);
  h.root = getLE32(p + 4);
  h.freePage = getLE32(p + 8);
  uint16_t itemSize = getLE16(p + 12);
  h.keySize = getLE16(p + 14);
  h.keyDecimals = getLE16(p + 16);
  h.maxItems = getLE16(p + 18);
  h.halfPage = getLE16(p + 20);
  if (h.keySize < 1 || h.keySize > 512)
    return Status::Corruption("bad key size " + num(h.keySize));
  if (itemSize != h.keySize + 8)
    return Status::Corruption("item size " + num(itemSize) + " does not match key size " +
                              num(h.keySize));
  if (!ntxPageFits(h.keySize, h.maxItems))
    return Status::Corruption("max items " + num(h.maxItems) + " do not fit a page");
  ZEL_RETURN_IF_ERROR(pageOffsetOk(h.root, fileSize, "root"));
  if (h.freePage != 0) ZEL_RETURN_IF_ERROR(pageOffsetOk(h.freePage, fileSize, "free"));
  const char* text = p + 22;
  size_t len = strnlen(text, kNtxKeyTextSize);
  if (len == kNtxKeyTextSize || len == 0)
    return Status::Corruption("key expression missing or not terminated");
  h.keyText.assign(text, len);
  h.unique = p[278] == 1;
  h.descending = p[280] == 1;
  const char* cond = p + 282;
  h.forCondition.assign(cond, strnlen(cond, kNtxKeyTextSize));
  return h;
}

std::string encodeNtxHeader(const NtxHeader& h) {
  std::string page(kNtxPageSize, '\0');
  char* p = page.data();
  putLE16(p, h.signature);
  putLE16(p + 2, h.version);
  putLE32(p + 4, h.root);
  putLE32(p + 8, h.freePage);
  putLE16(p + 12, h.itemSize());
  putLE16(p + 14, h.keySize);
  putLE16(p + 16, h.keyDecimals);
  putLE16(p + 18, h.maxItems);
  putLE16(p + 20, h.halfPage);
  std::memcpy(p + 22, h.keyText.data(), std::min(h.keyText.size(), kNtxKeyTextSize - 1));
  p[278] = h.unique ? 1 : 0;
  p[280] = h.descending ? 1 : 0;
  std::memcpy(p + 282, h.forCondition.data(),
              std::min(h.forCondition.size(), kNtxKeyTextSize - 1));
  return page;
}

void NtxPage::setEntry(size_t i, std::string_view key, uint32_t recno) {
  char* s = items_.data() + i * stride();
  std::memcpy(s, key.data(), std::min(key.size(), ks_));
  if (key.size() < ks_) std::memset(s + key.size(), ' ', ks_ - key.size());
  std::memcpy(s + ks_, &recno, 4);
}

char* NtxPage::open(size_t at) {
  const size_t old = items_.size();
  items_.resize(old + stride());
  char* p = items_.data();
  std::memmove(p + at + stride(), p + at, old - at);
  return p + at;
}

void NtxPage::insert(size_t i, std::string_view key, uint32_t recno, uint32_t right) {
  open(i * stride());  // slot i+1 now holds the old entry i with its left child
  const uint32_t left = child(i + 1);
  setEntry(i, key, recno);
  setChild(i, left);
  setChild(i + 1, right);
  ++n_;
}

void NtxPage::insertLeft(size_t i, std::string_view key, uint32_t recno, uint32_t left) {
  open(i * stride());
  setEntry(i, key, recno);
  setChild(i, left);
  ++n_;
}

void NtxPage::eraseLeft(size_t i) {
  items_.erase(i * stride(), stride());
  --n_;
}

void NtxPage::erase(size_t i) {
  const uint32_t left = child(i);
  eraseLeft(i);
  setChild(i, left);
}

NtxPage NtxPage::tail(size_t from) const {
  NtxPage t;
  t.ks_ = ks_;
  t.n_ = n_ - from;
  t.items_.reserve(items_.capacity());
  t.items_.assign(items_, from * stride(), std::string::npos);
  return t;
}

void NtxPage::truncate(size_t n) {
  items_.resize((n + 1) * stride());
  n_ = n;
}

void NtxPage::append(std::string_view key, uint32_t recno, const NtxPage& other) {
  setEntry(n_, key, recno);
  items_.append(other.items_);
  n_ += 1 + other.n_;
}

Result<NtxPage> decodeNtxPage(std::string_view bytes, const NtxHeader& h, uint32_t offset,
                              uint64_t fileSize) {
  if (bytes.size() < kNtxPageSize)
    return Status::Corruption("page " + num(offset) + " is cut short");
  const char* p = bytes.data();
  uint16_t n = getLE16(p);
  if (n > h.maxItems)
    return Status::Corruption("page " + num(offset) + " holds " + num(n) + " keys, more than " +
                              num(h.maxItems));
  NtxPage page(h.keySize);
  const size_t stride = h.keySize + 8u;
  std::string& items = page.items_;
  // Room for the one extra entry an insert holds before it splits.
  items.reserve((h.maxItems + 2u) * stride);
  items.resize((n + 1u) * stride);
  page.n_ = n;
  const size_t lo = tableEnd(h.maxItems);
  uint32_t first = 0;
  for (uint16_t i = 0; i <= n; ++i) {
    uint16_t at = getLE16(p + 2 + 2 * i);
    if (at < lo || at + size_t{h.itemSize()} > kNtxPageSize)
      return Status::Corruption("page " + num(offset) + " slot " + num(i) + " offset " + num(at) +
                                " lies outside the page");
    uint32_t child = getLE32(p + at);
    if (i == 0) first = child;
    if (i > 0 && (child == 0) != (first == 0))
      return Status::Corruption("page " + num(offset) + " mixes leaf and branch items");
    if (child != 0) ZEL_RETURN_IF_ERROR(pageOffsetOk(child, fileSize, "child"));
    page.setChild(i, child);
    if (i < n) {
      std::memcpy(items.data() + i * stride, p + at + 8, h.keySize);
      uint32_t r = getLE32(p + at + 4);
      std::memcpy(items.data() + i * stride + h.keySize, &r, 4);
    }
  }
  return page;
}

std::string encodeNtxPage(const NtxPage& pg, const NtxHeader& h) {
  std::string out(kNtxPageSize, '\0');
  char* p = out.data();
  const size_t n = pg.count();
  putLE16(p, static_cast<uint16_t>(n));
  const size_t base = tableEnd(h.maxItems);
  const size_t ks = std::min<size_t>(pg.keySize(), h.keySize);
  for (size_t i = 0; i <= h.maxItems; ++i) {
    size_t at = base + i * h.itemSize();
    putLE16(p + 2 + 2 * i, static_cast<uint16_t>(at));
    if (i <= n) putLE32(p + at, pg.child(i));
    if (i < n) {
      putLE32(p + at + 4, pg.recno(i));
      std::memcpy(p + at + 8, pg.keyData(i), ks);
    }
  }
  return out;
}

std::string encodeNtxFreePage(uint32_t next, const NtxHeader& h) {
  return encodeNtxPage(NtxPage(h.keySize, next), h);
}

Result<uint32_t> decodeNtxFreeNext(std::string_view bytes, const NtxHeader& h, uint32_t offset,
                                   uint64_t fileSize) {
  if (bytes.size() < kNtxPageSize)
    return Status::Corruption("free page " + num(offset) + " is cut short");
  uint16_t at = getLE16(bytes.data() + 2);
  if (at < tableEnd(h.maxItems) || at + size_t{h.itemSize()} > kNtxPageSize)
    return Status::Corruption("free page " + num(offset) + " has a bad slot offset");
  uint32_t next = getLE32(bytes.data() + at);
  if (next != 0) ZEL_RETURN_IF_ERROR(pageOffsetOk(next, fileSize, "free"));
  return next;
}

}  // namespace zel::db
