#include "cli/completion.h"

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

namespace vetra::cli {
namespace {

struct CompletedOption {
  std::vector<std::string> names;  // "-h", "--help"
  std::string description;
  bool takesValue = false;
  std::vector<std::string> choices;  // empty: any value (completed as a file name)
};

// One level of the command tree: the program ("") or a subcommand path ("trace read").
struct CompletedCommand {
  std::string path;
  std::vector<std::pair<std::string, std::string>> subcommands;  // name, description
  std::vector<CompletedOption> options;
  bool takesCommand = false;  // a positional argument named "command": a receiver command
};

constexpr const char* kPortOption = "--port";

// The serial devices present when completing, and the port names.
std::string PortWords() {
  std::string names;
  for (int n = 1; n <= 40; ++n) names += " COM" + std::to_string(n);
  return "$(compgen -G '/dev/ttyUSB*'; compgen -G '/dev/ttyACM*'; compgen -G "
         "'/dev/serial/by-id/*')" +
         names;
}

bool IsPort(const CompletedOption& option) {
  return std::find(option.names.begin(), option.names.end(), kPortOption) != option.names.end();
}

// A check that lists its choices describes itself as "{a,b,c}" in the option's type name
// ("INT:{2400,4800,...}"); a mapping check as "{from->to,...}", of which the user types "from".
std::vector<std::string> ChoicesOf(const CLI::Option& option) {
  const std::string type = option.get_type_name();
  const size_t open = type.find('{');
  const size_t close = type.find('}', open);
  if (open == std::string::npos || close == std::string::npos) return {};
  std::vector<std::string> choices;
  std::istringstream list(type.substr(open + 1, close - open - 1));
  for (std::string choice; std::getline(list, choice, ',');) {
    choice = choice.substr(0, choice.find("->"));
    if (!choice.empty()) choices.push_back(choice);
  }
  return choices;
}

bool Visible(const CLI::App* app) { return !app->get_group().empty(); }

void AddOptions(const CLI::App& app, CompletedCommand& into) {
  for (const CLI::Option* option : app.get_options()) {
    if (!option->nonpositional()) {  // positionals complete as file names, but a command
      if (option->get_name() == "command") into.takesCommand = true;
      continue;
    }
    CompletedOption entry;
    for (const std::string& name : option->get_snames()) entry.names.push_back("-" + name);
    for (const std::string& name : option->get_lnames()) entry.names.push_back("--" + name);
    const bool known = std::any_of(into.options.begin(), into.options.end(),
                                   [&](const auto& o) { return o.names == entry.names; });
    if (known) continue;
    entry.description = option->get_description();
    entry.takesValue = option->get_items_expected_max() > 0;  // a flag expects none
    if (entry.takesValue) entry.choices = ChoicesOf(*option);
    into.options.push_back(std::move(entry));
  }
}

void Collect(CLI::App& app, const std::string& path, std::vector<CompletedCommand>& into) {
  CompletedCommand command{path, {}, {}, false};
  const auto children = app.get_subcommands([](CLI::App* sub) { return Visible(sub); });
  for (const CLI::App* sub : children) {
    command.subcommands.emplace_back(sub->get_name(), sub->get_description());
  }
  AddOptions(app, command);
  // Options the subcommand does not know fall through to its parents (not to the program's own).
  for (const CLI::App* parent = app.get_parent();
       app.get_fallthrough() && parent != nullptr && parent->get_parent() != nullptr;
       parent = parent->get_parent()) {
    AddOptions(*parent, command);
  }
  into.push_back(std::move(command));
  for (CLI::App* sub : children) {
    Collect(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), into);
  }
}

std::vector<CompletedCommand> CollectCommands(CLI::App& program) {
  std::vector<CompletedCommand> commands;
  Collect(program, "", commands);
  return commands;
}

// A word for the shell, in single quotes.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string Joined(const std::vector<std::string>& words) {
  std::string joined;
  for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
  return joined;
}

std::string JoinedQuoted(const std::vector<std::string>& words) {
  std::vector<std::string> quoted;
  for (const std::string& word : words) quoted.push_back(Quoted(word));
  return Joined(quoted);
}

// "a|b|c" for a case branch.
std::string Alternatives(const std::vector<std::string>& patterns) {
  std::string joined;
  for (const std::string& pattern : patterns) joined += (joined.empty() ? "" : "|") + pattern;
  return joined;
}

// Both shells walk the words typed so far the same way: a subcommand name moves one level down,
// an option that takes a value skips that value. `cmd` holds the path ("trace read").
std::string PathWalk(const std::vector<CompletedCommand>& commands, const std::string& word) {
  std::ostringstream out;
  out << "    case \"$cmd/" << word << "\" in\n";
  for (const CompletedCommand& command : commands) {
    for (const auto& [name, description] : command.subcommands) {
      const std::string next = command.path.empty() ? name : command.path + " " + name;
      out << "      " << Quoted(command.path + "/" + name) << ") cmd=" << Quoted(next) << " ;;\n";
    }
    std::vector<std::string> valued;
    for (const CompletedOption& option : command.options) {
      if (!option.takesValue) continue;
      for (const std::string& name : option.names)
        valued.push_back(Quoted(command.path + "/" + name));
    }
    if (!valued.empty()) out << "      " << Alternatives(valued) << ") ((i++)) ;;\n";
  }
  // Any other word that is not an option is a positional argument.
  out << "      *) [[ " << word << " == -* ]] || ((positionals++)) ;;\n";
  out << "    esac\n";
  return out.str();
}

}  // namespace

std::string BashCompletion(CLI::App& program, const std::vector<std::string>& commandNames) {
  const std::vector<CompletedCommand> commands = CollectCommands(program);
  const std::string name = program.get_name();
  std::ostringstream out;
  out << "# bash completion for " << name << ", written by `" << name
      << " completion bash` from its command definitions.\n"
      << "_" << name << "() {\n"
      << "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
      << "  local cmd= i positionals=0\n"
      << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << PathWalk(commands, "${COMP_WORDS[i]}") << "  done\n"
      << "  local subcommands= options=\n"
      << "  case \"$cmd\" in\n";
  for (const CompletedCommand& command : commands) {
    std::vector<std::string> subcommands, options;
    for (const auto& sub : command.subcommands) subcommands.push_back(sub.first);
    for (const CompletedOption& option : command.options) {
      options.insert(options.end(), option.names.begin(), option.names.end());
    }
    out << "    " << Quoted(command.path) << ") subcommands=" << Quoted(Joined(subcommands))
        << " options=" << Quoted(Joined(options));
    if (command.takesCommand) {
      out << "\n      ((positionals == 0)) && subcommands=" << Quoted(Joined(commandNames));
    }
    out << " ;;\n";
  }
  out << "  esac\n"
      << "  case \"$cmd/$prev\" in\n";
  std::vector<std::string> anyValue;
  for (const CompletedCommand& command : commands) {
    for (const CompletedOption& option : command.options) {
      if (!option.takesValue) continue;
      std::vector<std::string> patterns;
      for (const std::string& n : option.names) patterns.push_back(Quoted(command.path + "/" + n));
      if (IsPort(option)) {
        out << "    " << Alternatives(patterns) << ")\n"
            << "      mapfile -t COMPREPLY < <(compgen -W \"" << PortWords() << "\" -- \"$cur\")\n"
            << "      return ;;\n";
      } else if (option.choices.empty()) {
        anyValue.insert(anyValue.end(), patterns.begin(), patterns.end());
      } else {
        out << "    " << Alternatives(patterns) << ")\n"
            << "      mapfile -t COMPREPLY < <(compgen -W " << Quoted(Joined(option.choices))
            << " -- \"$cur\")\n"
            << "      return ;;\n";
      }
    }
  }
  // An empty answer leaves it to the shell's default: file names.
  if (!anyValue.empty()) out << "    " << Alternatives(anyValue) << ") return ;;\n";
  out << "  esac\n"
      << "  if [[ $cur == -* ]]; then\n"
      << "    mapfile -t COMPREPLY < <(compgen -W \"$options\" -- \"$cur\")\n"
      << "  else\n"
      << "    mapfile -t COMPREPLY < <(compgen -W \"$subcommands\" -- \"$cur\")\n"
      << "  fi\n"
      << "}\n"
      << "complete -o default -F _" << name << " " << name << "\n";
  return out.str();
}

std::string ZshCompletion(CLI::App& program, const std::vector<std::string>& commandNames) {
  const std::vector<CompletedCommand> commands = CollectCommands(program);
  const std::string name = program.get_name();
  // _describe reads "name:description"; a colon inside the name must be escaped.
  const auto described = [](const std::string& word, const std::string& description) {
    std::string escaped;
    for (const char c : word) escaped += c == ':' ? std::string("\\:") : std::string(1, c);
    return Quoted(description.empty() ? escaped : escaped + ":" + description);
  };
  std::ostringstream out;
  out << "#compdef " << name << "\n"
      << "# zsh completion for " << name << ", written by `" << name
      << " completion zsh` from its command definitions.\n"
      << "_" << name << "() {\n"
      << "  local cmd= i positionals=0\n"
      << "  for ((i = 2; i < CURRENT; i++)); do\n"
      << PathWalk(commands, "${words[i]}") << "  done\n"
      << "  local -a subcommands options\n"
      << "  case \"$cmd\" in\n";
  for (const CompletedCommand& command : commands) {
    std::vector<std::string> subcommands, options;
    for (const auto& [sub, description] : command.subcommands) {
      subcommands.push_back(described(sub, description));
    }
    for (const CompletedOption& option : command.options) {
      for (const std::string& n : option.names) options.push_back(described(n, option.description));
    }
    if (command.takesCommand) {
      std::vector<std::string> names;
      for (const std::string& n : commandNames) names.push_back(Quoted(n));
      out << "    " << Quoted(command.path) << ")\n"
          << "      ((positionals == 0)) && subcommands=(" << Joined(names) << ")\n"
          << "      options=(" << Joined(options) << ") ;;\n";
      continue;
    }
    out << "    " << Quoted(command.path) << ")\n"
        << "      subcommands=(" << Joined(subcommands) << ")\n"
        << "      options=(" << Joined(options) << ") ;;\n";
  }
  out << "  esac\n"
      << "  case \"$cmd/${words[CURRENT-1]}\" in\n";
  std::vector<std::string> anyValue;
  for (const CompletedCommand& command : commands) {
    for (const CompletedOption& option : command.options) {
      if (!option.takesValue) continue;
      std::vector<std::string> patterns;
      for (const std::string& n : option.names) patterns.push_back(Quoted(command.path + "/" + n));
      if (IsPort(option)) {
        out << "    " << Alternatives(patterns) << ")\n"
            << "      compadd -- $(print -l /dev/ttyUSB*(N) /dev/ttyACM*(N) "
               "/dev/serial/by-id/*(N)) COM{1..40}\n"
            << "      return ;;\n";
      } else if (option.choices.empty()) {
        anyValue.insert(anyValue.end(), patterns.begin(), patterns.end());
      } else {
        out << "    " << Alternatives(patterns) << ")\n"
            << "      compadd -- " << JoinedQuoted(option.choices) << "\n"
            << "      return ;;\n";
      }
    }
  }
  if (!anyValue.empty())
    out << "    " << Alternatives(anyValue) << ")\n      _files\n      return ;;\n";
  out << "  esac\n"
      << "  if [[ ${words[CURRENT]} == -* ]]; then\n"
      << "    _describe -t options option options\n"
      << "  elif (( ${#subcommands} )); then\n"
      << "    _describe -t commands subcommand subcommands\n"
      << "  else\n"
      << "    _files\n"
      << "  fi\n"
      << "}\n"
      << "if [[ ${funcstack[1]} == _" << name << " ]]; then\n"
      << "  _" << name << " \"$@\"\n"
      << "else\n"
      << "  compdef _" << name << " " << name << "\n"
      << "fi\n";
  return out.str();
}

}  // namespace vetra::cli
