#pragma once
// --level of `vetra encode` and `vetra send`: one of the access levels that exist.

#include <CLI/CLI.hpp>

#include "model/access_level.h"

namespace vetra::cli {

inline CLI::Option* AddLevelOption(CLI::App& sub, int& level) {
  return sub.add_option("--level", level, "Access level: -1, 0, 1, 5, 6, 8 or 16 (default 16)")
      ->default_val(kEngineerLevel)
      ->check(CLI::IsMember(std::vector<int>(kAccessLevels.begin(), kAccessLevels.end())));
}

}  // namespace vetra::cli
