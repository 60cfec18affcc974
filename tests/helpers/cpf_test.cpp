#include "helpers/cpf.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>

#include "helpers/hooks.h"
#include "platform/console/console.h"
#include "platform/sys/cp850.h"

namespace zel {
namespace {

// The published rule, written independently: weights 10..2 and 11..2, a
// remainder below 2 gives 0.
std::string publishedDigits(const std::string& base9) {
  auto digit = [](int sum) {
    int r = sum % 11;
    return r < 2 ? 0 : 11 - r;
  };
  int sum = 0;
  for (int i = 0; i < 9; ++i) sum += (base9[i] - '0') * (10 - i);
  int d10 = digit(sum);
  sum = 0;
  for (int i = 0; i < 9; ++i) sum += (base9[i] - '0') * (11 - i);
  sum += d10 * 2;
  return {static_cast<char>('0' + d10), static_cast<char>('0' + digit(sum))};
}

TEST(Cpf, VerdictsOnEnteredNumbers) {
  struct Case {
    std::string cpf;
    CpfVerdict verdict;
    std::string digits;
  };
  const Case cases[] = {
      {"12345678909", CpfVerdict::kAccepted, "09"},  // r1 = 10: first digit 0, s2 + 9
      {"12345678900", CpfVerdict::kWrong, "09"},
      {"123456789", CpfVerdict::kWrong, "09"},       // check digits missing
      {"22222222222", CpfVerdict::kAccepted, "22"},  // equal digits are not refused
      {"00000000000", CpfVerdict::kAccepted, "00"},
      {"12345 78979", CpfVerdict::kAccepted, "79"},  // a blank inside counts 0
      {"12345 78900", CpfVerdict::kWrong, "79"},
      {"1234567  00", CpfVerdict::kIncomplete, ""},
      {" 23456789 00", CpfVerdict::kIncomplete, ""},
      {"1234", CpfVerdict::kIncomplete, ""},
      {"", CpfVerdict::kEmpty, ""},
      {"           ", CpfVerdict::kEmpty, ""},
  };
  for (const auto& c : cases) {
    CpfCheck got = checkCpf(c.cpf);
    EXPECT_EQ(got.verdict, c.verdict) << '"' << c.cpf << '"';
    EXPECT_EQ(got.correctDigits, c.digits) << '"' << c.cpf << '"';
  }
}

TEST(Cpf, CheckDigitsAgreeWithThePublishedRule) {
  std::mt19937 rng(2009);
  std::uniform_int_distribution<int> d(0, 9);
  int r1Ten = 0;
  for (int n = 0; n < 5000; ++n) {
    std::string base;
    for (int i = 0; i < 9; ++i) base += static_cast<char>('0' + d(rng));
    int s1 = 0;
    for (int j = 1; j <= 9; ++j) s1 += (base[j - 1] - '0') * j;
    if (s1 % 11 == 10) ++r1Ten;
    ASSERT_EQ(cpfCheckDigits(base), publishedDigits(base)) << base;
  }
  EXPECT_GT(r1Ten, 0) << "the sample must hold bases with r1 = 10";
}

struct Recorder {
  std::vector<std::string> alerts;
  int searches = 0;
  Recorder() {
    resetHelperState();
    helperState().alert = [this](std::string_view l) { alerts.emplace_back(l); };
    helperState().nameSearch = [this] {
      ++searches;
      return true;
    };
  }
  ~Recorder() { resetHelperState(); }
};

TEST(Cpf, ValCpfAcceptsRefusesAndTellsWhy) {
  struct Case {
    std::string cpf;
    bool required;
    int nameSearch;
    bool accepted;
    std::optional<std::string> alert;
    int searches;
  };
  const std::string wrong =
      std::string("ATENCAO!! CPF está incorreto. ;O dígito correto deve ser:09"_cp);
  const Case cases[] = {
      {"12345678909", true, 1, true, std::nullopt, 0},
      {"12345678901", true, 1, false, wrong, 0},
      {"12345", true, 0, false, std::string("ATENCAO!! CPF está incompleto."_cp), 0},
      {"           ", true, 1, true, std::nullopt, 1},   // taxpayer prompt: name search
      {"           ", true, 0, false, std::nullopt, 0},  // CPF change, copy: silent refusal
      {"           ", false, 0, true, std::nullopt, 0},
  };
  for (const auto& c : cases) {
    Recorder rec;
    EXPECT_EQ(VAL_CPF(c.cpf, c.required, 6, 6, c.nameSearch), c.accepted) << '"' << c.cpf << '"';
    if (c.alert) {
      ASSERT_EQ(rec.alerts.size(), 1u) << c.cpf;
      EXPECT_EQ(rec.alerts[0], *c.alert);
    } else {
      EXPECT_TRUE(rec.alerts.empty()) << c.cpf;
    }
    EXPECT_EQ(rec.searches, c.searches) << '"' << c.cpf << '"';
  }
}

// Keeps a copy of every screen shown, so that a box can be seen after it
// has closed.
class RecordingBackend : public HeadlessBackend {
 public:
  explicit RecordingBackend(std::vector<std::string>* shots) : shots_(shots) {}
  void present(const Screen& s, int r, int c, bool v) override {
    shots_->push_back(s.text());
    HeadlessBackend::present(s, r, c, v);
  }

 private:
  std::vector<std::string>* shots_;
};

TEST(Cpf, WrongDigitsShowTheAlertBoxByDefault) {
  std::vector<std::string> shots;
  auto old = setConsole(std::make_unique<Console>(std::make_unique<RecordingBackend>(&shots)));
  resetHelperState();
  EXPECT_FALSE(VAL_CPF("12345678900", true, 6, 6, 1));
  setConsole(std::move(old));
  bool shown = false;
  for (const auto& s : shots)
    shown = shown || (s.find("O dígito correto deve ser:09"_cp) != std::string::npos &&
                      s.find("ATENCAO!! CPF está incorreto."_cp) != std::string::npos &&
                      s.find("Ok") != std::string::npos);
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace zel
