// Markup to plain text, shared by every engine that meets HTML or XML text.
#pragma once

#include <string>
#include <string_view>

namespace scrivex_core::textual {

// Markup to plain text with paragraphs separated by one blank line. The
// contents of script, style, title and head are dropped, every tag is
// removed, the tags named in html_text.cpp (p, br, h1..h6, li, tr, div,
// section, the article-XML sections, ...) break paragraphs, runs of white
// space become one space, and the character references &lt; &gt; &amp;
// &quot; &apos; &nbsp; &#NN; &#xHH; are decoded. Never fails.
// Example: "<p>Hello <b>world</b></p><p>x &amp; y</p>" gives
// "Hello world\n\nx & y".
std::string html_to_text(std::string_view markup);

// Each line's words joined by single spaces; blank lines at both ends
// dropped and runs of blank lines inside merged into one; lines joined by
// "\n" without a final one. "\r\n" counts as a line end.
std::string normalize_text_lines(std::string_view text);

}  // namespace scrivex_core::textual
