#pragma once
// --baud of every subcommand that opens a port: one of the seven line rates of the Setup page,
// checked while the options are read, so a rate the port cannot take is a usage error (exit 2)
// naming the rates, never a port that fails to configure.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "app/baud_table.h"

namespace vetra::cli {

inline CLI::Option* AddBaudOption(CLI::App& sub, int& baud, const std::string& help) {
  return sub.add_option("--baud", baud, help + " (default 4800)")
      ->check(CLI::IsMember(std::vector<int>(kBaudRates.begin(), kBaudRates.end())));
}

}  // namespace vetra::cli
