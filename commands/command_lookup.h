#pragma once
// A receiver command as a terminal user names it: its catalogue number ("15"), its message id
// ("0Fh"), or its tree text without regard to letter case and spacing, with or without the id in
// brackets ("set dop mask", "SetDOPMask(0Fh)"), or the start of a name that only one command has
// ("set dop"). A name that fits none gets the nearest names as suggestions; a start that fits
// several gets those.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vetra {

struct CommandLookup {
  std::optional<int> number;    // the catalogue number found
  std::vector<int> candidates;  // without a number: the commands meant, nearest first
  bool ambiguous = false;       // the candidates all start with the name given
};
CommandLookup LookUpCommand(std::string_view text);

// Each command's name as one word for a shell to offer: the tree text without blanks and without
// the id in brackets ("SetDOPmask"), which LookUpCommand finds.
std::vector<std::string> CommandWords();

// Why nothing was found: "unknown command 'Set DOP Msk': did you mean 'Set DOP mask (0Fh)'?" or
// "'set d' fits several commands: 'Set Datum (03h)', 'Set DOP mask (0Fh)'". Both end with how a
// command may be named.
std::string CommandLookupError(std::string_view text, const CommandLookup& lookup);

}  // namespace vetra
