// Repairs of text decoded from PDF fonts: mojibake (UTF-8 read as Latin-1 or
// Windows-1252), ligatures, C1 code points, TeX control glyphs, words split by
// spurious spaces, letters spaced out one by one, and mathematics rewritten as
// LaTeX. Pure text-to-text functions: they never fail, and empty input gives
// empty output. Letters are ASCII letters or Unicode Alphabetic characters;
// digits are ASCII 0 to 9; tokens are maximal runs of non-white-space.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scrivex_core::pdf {

// Repairs one token or run: mojibake, curly quotes, ligatures, Windows-1252
// code points in the C1 range and TeX control glyphs (U+0002, U+0003).
std::string normalize_pdf_token(std::string_view text);

// Repairs the text of a line or table cell: normalises each token, merges
// punctuation, hyphenated compounds and spaced letters into words, mends a few
// known broken words and rewrites mathematics. The result is single-spaced.
std::string clean_pdf_line_text(std::string_view text);

// Rewrites mathematics as LaTeX ("x i ≤ n" gives "x_i \leq n") when the text
// looks like mathematics; in every case strips control characters. Single-spaced.
std::string repair_pdf_math_notation(std::string_view text);

// Replaces control characters (C0 except TAB, LF, CR; DEL and C1) by spaces,
// then joins the tokens with single spaces.
std::string strip_pdf_control_glyphs(std::string_view text);

// Whether the text carries mathematical signs or notation.
bool looks_like_pdf_math_notation(std::string_view text);

// A leading subscript of a token and what follows it; both view the input.
struct MathSubscriptSplit {
  std::string_view subscript;
  std::string_view rest;
};

// Splits a leading subscript off a token: "\ell", "\lambda", "\theta", "\rho",
// "init", "cl", a run of digits, or one of i, j, k, l, n, r, s ("10x" gives
// ("10", "x")). Nothing when the token starts otherwise or is empty.
std::optional<MathSubscriptSplit> split_math_subscript_token(std::string_view text);

// Whether the text, without enclosing "()" and "[]" characters, can be a sub-
// or superscript: letters, numbers and the signs + , - . = \ and U+2212.
bool is_math_script_text(std::string_view text);

// Whether the first letter of the text is lowercase; false without a letter.
bool starts_with_lowercase(std::string_view text);

namespace detail {

// Replaces every occurrence of from by to, left to right without rescanning
// replaced text; returns whether anything was replaced. from must not be empty.
bool replace_all(std::string& text, std::string_view from, std::string_view to);

// Like replace_all, but only where the match stands as whole words: the
// characters just before and just after it are not letters or digits.
bool replace_whole_words(std::string& text, std::string_view from, std::string_view to);

// repair_pdf_math_notation over text the caller no longer needs.
std::string repair_pdf_math_notation_owned(std::string text);

// Letter as defined above (ASCII letter or Unicode Alphabetic).
bool is_letter(char32_t c);

}  // namespace detail

}  // namespace scrivex_core::pdf
