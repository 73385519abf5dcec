// Small text helpers shared by the engines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivex_core::util {

// The parts joined by `separator`.
std::string join(const std::vector<std::string>& parts, std::string_view separator);

// The white-space-separated words of text joined by single spaces: runs of
// Unicode white space become one space and both ends are trimmed.
std::string collapse_white_space(std::string_view text);

}  // namespace scrivex_core::util
