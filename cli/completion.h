#pragma once
// Shell completion for `vetra`, written from the CLI11 definitions of its subcommands, so that a
// subcommand or option added in a cli/cmd_*.cpp completes without anyone editing a script. The
// build writes the installed scripts with `vetra completion bash|zsh` (cli/cmd_completion.cpp).
//
// What completes: the subcommands at each level (`vetra tr` -> trace, `vetra trace r` -> read),
// the options of the subcommand being typed (with those of its parent where CLI11 lets them fall
// through, as `vetra trace read --port`), and an option's value where its check lists the choices
// (`--baud` -> the rates, `--chip` -> k700 k900); other values and the positional arguments
// complete as file names, except two: the value of `--port` completes as the serial devices present
// (/dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/*) and the port names COM1..COM40, and the first
// positional argument named "command" (`vetra send`, `vetra encode`) as the receiver commands'
// names (commandNames). Hidden subcommands (no help group) are left out.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace vetra::cli {

// A bash script: `complete -F _vetra vetra`.
std::string BashCompletion(CLI::App& program, const std::vector<std::string>& commandNames);

// A zsh completion function (#compdef vetra), for a folder of $fpath as `_vetra`.
std::string ZshCompletion(CLI::App& program, const std::vector<std::string>& commandNames);

}  // namespace vetra::cli
