#pragma once
// Locale-independent conversions between text and numbers.

#include <cstdint>
#include <string>
#include <string_view>

namespace vorn {

// Optional sign and decimal digits, leading blanks allowed, nothing after the digits,
// 32-bit signed range.
bool TryStrToInt(std::string_view text, std::int32_t& value);
// As TryStrToInt; raises EConvertError "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// "." as decimal separator whatever the locale, optional sign ("+" too), forms like
// ".5" and "5.", exponent with e or E; no words for infinity or NaN, no blanks; the
// whole text must be the number.
bool TryStrToFloat(std::string_view text, double& value);
// As TryStrToFloat; raises EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view text);

// Nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
// NaN gives 0; values beyond the 64-bit range saturate.
std::int64_t RoundHalfEven(double value);

// Decimal text of an integer without allocation beyond the result.
std::string IntToStr(std::int64_t value);

}  // namespace vorn
