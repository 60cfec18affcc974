#include "rows.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sys/cp850.h"

namespace zel::bench {

namespace {

uint64_t mix(uint64_t x) {  // splitmix64: a row's numbers from its index
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

const char* const kWords[] = {"Venda de gado", "Compra de ração", "Adubo e calcário",
                              "Sementes de soja", "Vacinas", "Salários do mês",
                              "Energia elétrica", "Manutençäo de trator", "Venda de leite",
                              "Frete da colheita", "Combustível", "Arrendamento"};

}  // namespace

const std::vector<db::FieldDef>& cashBookFields() {
  static const std::vector<db::FieldDef> f = {
      {"CPF", 'C', 11, 0},   {"ATV_EXTER", 'C', 1, 0}, {"DT_LC", 'D', 8, 0}, {"DESCR", 'C', 41, 0},
      {"VALOR", 'N', 14, 2}, {"NROIMO", 'N', 2, 0},    {"TIPOCR", 'C', 1, 0}};
  return f;
}

CashRow cashRow(uint64_t seed, uint64_t i) {
  uint64_t a = mix(seed * 0x1000003 + i), b = mix(a);
  CashRow r;
  char buf[64];
  // About 50 entries per taxpayer in a million rows.
  std::snprintf(buf, sizeof buf, "%011llu", static_cast<unsigned long long>((a % 20011) * 4999 + 100));
  r.cpf = buf;
  r.atv = (a >> 20) % 10 == 0 ? "X" : " ";
  int day = static_cast<int>((a >> 24) % 365);
  static const int kMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int m = 0;
  while (day >= kMonth[m]) day -= kMonth[m++];
  std::snprintf(buf, sizeof buf, "2008%02d%02d", m + 1, day + 1);
  r.date = buf;
  static std::vector<std::string> words = [] {
    std::vector<std::string> w;
    for (const char* s : kWords) w.push_back(utf8ToCp850(s));
    return w;
  }();
  r.descr = words[b % words.size()] + " " + std::to_string((b >> 8) % 1000);
  long cents = static_cast<long>((b >> 20) % 10000000);
  std::snprintf(buf, sizeof buf, "%ld.%02ld", cents / 100, cents % 100);
  r.valor = buf;
  r.nroimo = static_cast<int>((b >> 48) % 5) + 1;
  r.tipo = (b >> 56) % 3 == 0 ? 'C' : 'D';
  return r;
}

std::string CashRow::recordBytes() const {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%-11.11s%-1.1s%-8.8s%-41.41s%14s%2d%c", cpf.c_str(), atv.c_str(),
                date.c_str(), descr.c_str(), valor.c_str(), nroimo, tipo);
  return buf;
}

uint64_t benchRows() {
  const char* e = std::getenv("ZEL_BENCH_ROWS");
  if (e && *e) return std::strtoull(e, nullptr, 10);
  return 1'000'000;
}

}  // namespace zel::bench
