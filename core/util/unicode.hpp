// Unicode character facts (from ICU, with ASCII fast paths) and the text
// helpers built on them: trimming, white-space splitting, word counting.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivex_core::util {

bool is_white_space(char32_t c);  // the White_Space property
bool is_alphabetic(char32_t c);   // the Alphabetic property
bool is_numeric(char32_t c);      // general categories Nd, Nl and No
bool is_lowercase(char32_t c);    // the Lowercase property
bool is_alphanumeric(char32_t c);

// Full lower-case mapping of one character (may yield several), appended to out.
void append_lowercase(std::string& out, char32_t c);
std::string to_lowercase(std::string_view text);
// Lower-cases ASCII letters only; every other byte is kept.
std::string ascii_lowercase(std::string_view text);

// Removes Unicode white space at both ends (or one end).
std::string_view trim(std::string_view text);
std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);
bool is_blank(std::string_view text);

// Maximal runs of non-white-space characters.
std::vector<std::string_view> split_whitespace(std::string_view text);
std::uint64_t count_words(std::string_view text);

// Cuts text into lines at "\n", dropping a "\r" just before it; a final "\n"
// opens no further line, so the empty text has no line at all.
std::vector<std::string_view> split_lines(std::string_view text);

}  // namespace scrivex_core::util
