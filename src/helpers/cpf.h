// CPF: the eleven-digit taxpayer number, nine base digits and two check
// digits, held without punctuation.
#pragma once

#include <string>
#include <string_view>

namespace zel {

enum class CpfVerdict {
  kEmpty,       // all blanks
  kIncomplete,  // the base, trimmed, is shorter than 9 characters
  kWrong,       // check digits differ from the computed ones
  kAccepted,
};

struct CpfCheck {
  CpfVerdict verdict = CpfVerdict::kEmpty;
  // The two check digits the base calls for (kWrong and kAccepted).
  std::string correctDigits;
};

// Check digits of the first nine characters; a character that is not a
// digit counts as 0, a missing one too.
std::string cpfCheckDigits(std::string_view base);

// The verdict on an entered CPF, without messages.
CpfCheck checkCpf(std::string_view cpf);

// Validity check of a CPF entry field: true accepts it. An empty CPF is
// accepted when not required; when required it runs the name search and is
// accepted when nameSearch is 1, refused silently otherwise. An incomplete
// or wrong CPF shows its alert and is refused. The third and fourth
// arguments are passed by the callers and not used.
bool VAL_CPF(std::string_view cpf, bool required, int unused1 = 0, int unused2 = 0,
             int nameSearch = 0);

// The alert texts (lines separated by ';').
std::string cpfIncompleteMessage();
std::string cpfWrongMessage(std::string_view correctDigits);

}  // namespace zel
