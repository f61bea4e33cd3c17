// converter: one direction of conversion between two character sets, done by
// the system's own converter: iconv, or the Windows code-page functions.
// text_codec builds its rules on these four calls alone.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct Converter;

// What ConvertAll returns when the whole text was converted.
constexpr std::size_t kWhole = std::string::npos;

// A converter from the character set `from` to `to`; nullptr, with an errno in
// *pErr (EINVAL for a name the system does not know), when there is none.
Converter* OpenConverter(const char* to, const char* from, int* pErr);
void CloseConverter(Converter* cv);
// Converts the whole text from the converter's initial state, appending to
// *pOut. Returns kWhole, or the offset of the first sequence it can't convert
// (what came before it appended).
std::size_t ConvertAll(Converter* cv, std::string_view text, std::string* pOut);
// Appends the bytes that bring a shifting character set back to its initial
// state, and returns how many they are (0 for one without shift states).
std::size_t Unshift(Converter* cv, std::string* pOut);
