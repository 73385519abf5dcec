// Word helpers of the markup engines; white space is Unicode White_Space.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivex_core::textual {

// The first maximal run of non-white-space characters; empty when none.
std::string_view first_word(std::string_view text);

}  // namespace scrivex_core::textual
