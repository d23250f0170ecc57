// Numbers and fixed-width texts: the conversions every dialog, the settings
// file and the language files use. Texts are blank-padded; positions are
// 1-based and inclusive; a text shorter than a field is padded to reach it.
#pragma once

#include <cstdint>
#include <string>

namespace kst {

// The decimal digits of |value| into positions first..last, right-aligned
// with leading zeros (digits beyond the field are lost). With strip, leading
// zeros become blanks (the last position keeps its digit) and a negative
// value gets "-" just before its first digit when there is room.
void PutDigits(int32_t value, std::string& text, int first, int last, bool strip);
void PutDigits64(int64_t value, std::string& text, int first, int last, bool strip);
// Hexadecimal digits "0123456789ABCDEF" of value into first..last (at most 8).
void PutHex(uint32_t value, std::string& text, int first, int last);

// Reads positions first..last: each digit is added in order, a "-" makes
// the result negative, every other character is ignored. A value too large
// for the type stops growing at the type's limit.
int32_t TextToInt(const std::string& text, int first, int last);
int64_t TextToInt64(const std::string& text, int first, int last);
inline int32_t TextToInt(const std::string& text) {
  return TextToInt(text, 1, static_cast<int>(text.size()));
}
inline int64_t TextToInt64(const std::string& text) {
  return TextToInt64(text, 1, static_cast<int>(text.size()));
}

// A real number with the given number of decimals ("1423.50").
std::string RealToText(double value, int decimals);
// Reads one sign, one decimal point, digits and blanks; stops at anything else.
double TextToReal(const std::string& text);

// Letters a-z become A-Z; every other character stays.
char UpperLetter(char c);
std::string UpperCase(std::string text);
// Equal after upper-casing both and removing trailing blanks.
bool SameText(const std::string& a, const std::string& b);
// The text without trailing blanks.
std::string Trimmed(const std::string& text);
// text blank-padded (or cut) to exactly width characters.
std::string Padded(const std::string& text, size_t width);
// A text from the platform: the NUL and everything after it become blanks.
std::string FromCString(std::string text);
// Positions first..last of text (clipped to the text).
std::string Substring(const std::string& text, int first, int last);

}  // namespace kst
