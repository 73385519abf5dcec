// Running an external program and collecting what it printed.
#pragma once

#include <string>
#include <vector>

#include "core/error/error.hpp"

namespace scrivex_core::util {

struct ProcessOutput {
  bool succeeded = false;  // exited normally with status 0
  std::string standard_output;
  std::string standard_error;
};

// Starts program (looked up on PATH unless it holds a "/") with the
// arguments passed as a vector, never through a shell. Standard input is
// empty; both output streams are read concurrently so neither can fill up
// and block the child; the call waits for the child to end. Fails with the
// errno value when the program cannot be started.
Result<ProcessOutput, int> run_program(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace scrivex_core::util
