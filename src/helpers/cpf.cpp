#include "helpers/cpf.h"

#include "helpers/hooks.h"
#include "platform/sys/cp850.h"

namespace zel {
namespace {

int digitAt(std::string_view s, size_t i) {
  if (i >= s.size()) return 0;
  char c = s[i];
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

bool allBlank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

}  // namespace

std::string cpfCheckDigits(std::string_view base) {
  int s1 = 0, s2 = 0;
  for (int j = 1; j <= 9; ++j) {
    int d = digitAt(base, static_cast<size_t>(j - 1));
    s1 += d * j;
    s2 += d * (10 - j);
  }
  int r1 = s1 % 11;
  if (r1 == 10) {
    r1 = 0;
    s2 += 9;
  }
  int r2 = s2 % 11;
  if (r2 == 10) r2 = 0;
  return {static_cast<char>('0' + r1), static_cast<char>('0' + r2)};
}

CpfCheck checkCpf(std::string_view cpf) {
  if (allBlank(cpf)) return {CpfVerdict::kEmpty, ""};
  std::string padded(cpf.substr(0, 11));
  padded.resize(11, ' ');
  std::string_view base = std::string_view(padded).substr(0, 9);
  size_t first = base.find_first_not_of(' ');
  size_t last = base.find_last_not_of(' ');
  if (first == std::string_view::npos || last - first + 1 < 9) return {CpfVerdict::kIncomplete, ""};
  std::string digits = cpfCheckDigits(base);
  bool right = padded[9] == digits[0] && padded[10] == digits[1];
  return {right ? CpfVerdict::kAccepted : CpfVerdict::kWrong, digits};
}

std::string cpfIncompleteMessage() { return std::string("ATENCAO!! CPF está incompleto."_cp); }

std::string cpfWrongMessage(std::string_view correctDigits) {
  return std::string("ATENCAO!! CPF está incorreto. "_cp) + ";" +
         std::string("O dígito correto deve ser:"_cp) + std::string(correctDigits);
}

bool VAL_CPF(std::string_view cpf, bool required, int, int, int nameSearch) {
  CpfCheck c = checkCpf(cpf);
  switch (c.verdict) {
    case CpfVerdict::kEmpty:
      if (!required) return true;
      if (nameSearch != 1) return false;
      if (const auto& search = helperState().nameSearch) search();
      return true;
    case CpfVerdict::kIncomplete:
      helperAlert(cpfIncompleteMessage());
      return false;
    case CpfVerdict::kWrong:
      helperAlert(cpfWrongMessage(c.correctDigits));
      return false;
    case CpfVerdict::kAccepted:
      return true;
  }
  return false;
}

}  // namespace zel
