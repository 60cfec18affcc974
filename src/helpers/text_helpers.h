// Small text, number and time helpers: the working-time clock of a
// declaration, amounts typed with Brazilian punctuation, month names.
#pragma once

#include <string>
#include <string_view>

#include "platform/sys/value.h"

namespace zel {

// Leading number of a text, as the old VAL read it: blanks skipped, an
// optional sign, digits and one decimal point; whatever follows is ignored;
// 0 when there is no number.
double leadingNumber(std::string_view text);

// Column where the text starts when centred in the width: half the width
// less half the length, the half column dropped; 0 when the text is wider.
int CENTER(std::string_view text, int width = 80);

// Seconds since midnight of "hh:mm:ss" (numbers read at positions 1, 4, 7).
long HORA_SEG(std::string_view time);
// "hh:mm:ss" of a count of seconds; hours taken modulo 24, fractions dropped.
// A negative count is taken as 0.
std::string SEG_HORA(double seconds);
// "ddDhhHmmm" as "01D01h01m": days modulo 99, hours and minutes as SEG_HORA.
std::string SEG_HOR_2(double seconds);
// Time from `from` to `to` ("hh:mm:ss"), across midnight when `to` sorts
// before `from`: the "hh:mm:ss" text when format is 1, else the seconds.
Value TEMPO_PAS(std::string_view from, std::string_view to, int format = 0);

// Amount typed as "1.234.567,89": points dropped, the first comma read as the
// decimal point; 0 for an empty text.
double CAR_TO_VAL(std::string_view text);

// The value cut (not rounded) to `decimals` places after rounding it at two
// places more: 1.23996 -> 1.24, 1.23456 -> 1.23. A value too wide for
// `width` is cut all the same rather than lost.
double DESPREZA(double value, int width = 15, int decimals = 2);

// Month name padded to 9 characters; 9 blanks outside 1..12.
std::string TRAZ_MES(int month);

}  // namespace zel
