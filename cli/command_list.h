#pragma once
// --list of `vetra send` and `vetra encode`: without a command, the commands listed at --level
// with their numbers; with one, its controls (NAME of NAME=VALUE), their kinds, the values they
// take and the panel's defaults. COMMAND is named as for sending (commands/command_lookup.h).

#include <CLI/CLI.hpp>
#include <string>

#include "commands/encode_arguments.h"

namespace vetra::cli {

// Prints the list on stdout; the exit status (2 for a command that is not found).
int ListCommands(const EncodeArguments& arguments, const std::string& program);

// COMMAND of `vetra send` and `vetra encode`, and --list, which makes COMMAND optional.
void AddCommandArguments(CLI::App& sub, EncodeArguments& arguments, bool& list);

// "vetra send: COMMAND is required (or --list)" for a run without either; exit status 2.
int CommandMissing(const std::string& program);

}  // namespace vetra::cli
