// The whole pipeline for one path, and for many.
#pragma once

#include <string>
#include <vector>

#include "core/error/error.hpp"
#include "core/ir/document.hpp"

namespace scrivex_core::pipeline {

// Detect, refuse legacy formats, read, extract, then apply the options.
Result<ir::Document> load_path_with_options(const std::string& path, const ir::ExtractOptions& options);
Result<ir::Document> load_path(const std::string& path);

// Loads each path in order with default options; a failure is an entry, never an abort.
std::vector<ir::BatchResult> load_many(const std::vector<std::string>& paths);

}  // namespace scrivex_core::pipeline
