// vetra completion bash|zsh: prints the shell completion script for vetra, written from the
// command definitions themselves (cli/completion.h). Hidden from the help: the build writes the
// installed scripts with it, and a user may load it directly (source <(vetra completion bash)).
// Exit status: 0; 2 for a shell it does not know.
#include <iostream>
#include <memory>
#include <string>

#include "cli/command_registry.h"
#include "cli/completion.h"
#include "commands/command_lookup.h"

namespace vetra::cli {
namespace {

const CommandRegistration kCompletion{
    "completion", "Print the completion script for bash or zsh",
    [](CLI::App& sub) -> std::function<int()> {
      sub.group("");  // no help group: hidden from `vetra --help` and from the completion itself
      auto shell = std::make_shared<std::string>();
      sub.add_option("shell", *shell, "The shell: bash or zsh")
          ->required()
          ->check(CLI::IsMember({"bash", "zsh"}));
      return [&sub, shell] {
        CLI::App& program = *sub.get_parent();
        const std::vector<std::string> names = CommandWords();
        std::cout << (*shell == "bash" ? BashCompletion(program, names)
                                       : ZshCompletion(program, names));
        return 0;
      };
    }};

}  // namespace
}  // namespace vetra::cli
