#include "frame/texts/text_numbers.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kst {

namespace {

void EnsureLength(std::string& text, int last) {
  if (last > 0 && text.size() < static_cast<size_t>(last)) text.resize(static_cast<size_t>(last), ' ');
}

void PutMagnitude(uint64_t magnitude, bool negative, std::string& text, int first, int last,
                  bool strip) {
  if (first < 1 || last < first) return;
  EnsureLength(text, last);
  for (int pos = last; pos >= first; --pos) {
    text[static_cast<size_t>(pos - 1)] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  if (!strip) return;
  int pos = first;
  while (pos < last && text[static_cast<size_t>(pos - 1)] == '0') text[static_cast<size_t>(pos++ - 1)] = ' ';
  if (negative && pos > first) text[static_cast<size_t>(pos - 2)] = '-';
}

template <typename T>
T ReadInteger(const std::string& text, int first, int last) {
  if (first < 1) first = 1;
  if (last > static_cast<int>(text.size())) last = static_cast<int>(text.size());
  using U = std::make_unsigned_t<T>;
  const U limit = static_cast<U>(std::numeric_limits<T>::max());
  U value = 0;
  bool negative = false;
  for (int pos = first; pos <= last; ++pos) {
    char c = text[static_cast<size_t>(pos - 1)];
    if (c == '-') {
      negative = true;
    } else if (c >= '0' && c <= '9') {
      U digit = static_cast<U>(c - '0');
      value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
  }
  return negative ? -static_cast<T>(value) : static_cast<T>(value);
}

}  // namespace

void PutDigits(int32_t value, std::string& text, int first, int last, bool strip) {
  PutDigits64(value, text, first, last, strip);
}

void PutDigits64(int64_t value, std::string& text, int first, int last, bool strip) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  PutMagnitude(magnitude, value < 0, text, first, last, strip);
}

void PutHex(uint32_t value, std::string& text, int first, int last) {
  if (first < 1 || last < first) return;
  if (last - first + 1 > 8) first = last - 7;
  EnsureLength(text, last);
  for (int pos = last; pos >= first; --pos) {
    text[static_cast<size_t>(pos - 1)] = "0123456789ABCDEF"[value & 15];
    value >>= 4;
  }
}

int32_t TextToInt(const std::string& text, int first, int last) {
  return ReadInteger<int32_t>(text, first, last);
}

int64_t TextToInt64(const std::string& text, int first, int last) {
  return ReadInteger<int64_t>(text, first, last);
}

std::string RealToText(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 15) decimals = 15;
  if (!std::isfinite(value)) value = 0;
  char buffer[400];
  snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  // A negative value that rounds to zero is shown as zero, not "-0.00".
  if (text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
  return text;
}

double TextToReal(const std::string& text) {
  double whole = 0, scale = 1;
  bool negative = false, signSeen = false, pointSeen = false, digitSeen = false;
  for (char c : text) {
    if (c == ' ') continue;
    if ((c == '-' || c == '+') && !signSeen && !digitSeen && !pointSeen) {
      signSeen = true;
      negative = c == '-';
    } else if ((c == '.') && !pointSeen) {
      pointSeen = true;
    } else if (c >= '0' && c <= '9') {
      digitSeen = true;
      if (pointSeen) {
        scale /= 10;
        whole += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else {
      break;
    }
  }
  return negative ? -whole : whole;
}

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string text) {
  for (char& c : text) c = UpperLetter(c);
  return text;
}

bool SameText(const std::string& a, const std::string& b) {
  return UpperCase(Trimmed(a)) == UpperCase(Trimmed(b));
}

std::string Trimmed(const std::string& text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string Padded(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

std::string FromCString(std::string text) {
  size_t nul = text.find('\0');
  if (nul != std::string::npos)
    for (size_t i = nul; i < text.size(); ++i) text[i] = ' ';
  return text;
}

std::string Substring(const std::string& text, int first, int last) {
  if (first < 1) first = 1;
  if (last > static_cast<int>(text.size())) last = static_cast<int>(text.size());
  if (last < first) return std::string();
  return text.substr(static_cast<size_t>(first - 1), static_cast<size_t>(last - first + 1));
}

}  // namespace kst
