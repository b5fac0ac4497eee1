#pragma once
// The tools' numbers on the command line, strictly decimal: digits, and for seconds one point with
// digits after it and a leading minus (so that "-0" is 0). No spaces, plus signs, hexadecimal,
// exponents, "inf" or "nan", all of which strtod and sscanf would take.
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace options {
inline bool isdigit(char c) { return c >= '0' && c <= '9'; }  // whatever the locale

// Moves text past a run of digits; false when there is none.
inline bool skipdigits(const char*& text) {
  const char* start = text;
  while (isdigit(*text)) ++text;
  return text != start;
}
}  // namespace options

// Seconds and the like: [-]DIGITS[.DIGITS], from low to high.
inline bool parsedecimal(const char* text, double low, double high, double& value) {
  const char* at = text + (*text == '-');
  if (!options::skipdigits(at) || (*at == '.' && !options::skipdigits(++at)) || *at != '\0')
    return false;
  value = std::strtod(text, nullptr);
  return value >= low && value <= high;
}

// A count: DIGITS only, from low to high (at most 9 digits, so no overflow).
inline bool parsewhole(const char* text, int low, int high, int& value) {
  const char* at = text;
  if (!options::skipdigits(at) || *at != '\0' || at - text > 9) return false;
  const long number = std::strtol(text, nullptr, 10);
  value = static_cast<int>(number);
  return number >= low && number <= high;
}

// WIDTHxHEIGHT, each side DIGITS from low to high.
inline bool parsesides(const char* text, int low, int high, int& width, int& height) {
  const char* cross = std::strchr(text, 'x');
  if (!cross) return false;
  const std::string first(text, cross);
  return parsewhole(first.c_str(), low, high, width) && parsewhole(cross + 1, low, high, height);
}

// Whether text ends in tail, letters compared without case (".MP4" is ".mp4").
inline bool endsinnocase(const std::string& text, const char* tail) {
  const size_t length = std::strlen(tail);
  return text.size() > length && strcasecmp(text.c_str() + text.size() - length, tail) == 0;
}
