#pragma once
// Each `vetra` subcommand lives in its own cli/cmd_*.cpp and registers itself here with a static
// CommandRegistration; main() adds every registered subcommand to the CLI11 application.

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

namespace vetra::cli {

// Sets up the subcommand's options on `sub` and returns the function that runs it (its exit code).
using CommandSetup = std::function<std::function<int()>(CLI::App& sub)>;

struct CommandEntry {
  std::string name;
  std::string description;
  CommandSetup setup;
};

std::vector<CommandEntry>& Commands();

struct CommandRegistration {
  CommandRegistration(std::string name, std::string description, CommandSetup setup) {
    Commands().push_back({std::move(name), std::move(description), std::move(setup)});
  }
};

}  // namespace vetra::cli
