#include "commands/command_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/catalogue.h"

namespace vetra {
namespace {

TEST(CommandLookup, NamesMatchWithoutRegardToCaseAndSpacingByNumberOrUniqueStart) {
  const struct {
    const char* typed;
    int number;
  } rows[] = {
      {"15", 15},           {"0fh", 15},        {"Set DOP mask (0Fh)", 15},
      {"set dop mask", 15}, {"SetDOPMask", 15}, {"setdopmask(0FH)", 15},
      {"Set DOP", 15},      {"restart", 1},     {"1PPS", 18},
      {"query f", 5},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(LookUpCommand(row.typed).number, row.number) << row.typed;
  }
  // Every word a shell offers is found again.
  const std::vector<std::string> words = CommandWords();
  ASSERT_EQ(words.size(), static_cast<size_t>(kCommandCount));
  for (int n = 1; n <= kCommandCount; ++n) {
    EXPECT_EQ(LookUpCommand(words[static_cast<size_t>(n - 1)]).number, n) << words[n - 1];
  }
}

// The error's first line; the second says how a command may be named.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(CommandLookup, AStartOfSeveralOrAnUnknownNameGetsSuggestions) {
  const CommandLookup several = LookUpCommand("set d");
  EXPECT_FALSE(several.number);
  EXPECT_TRUE(several.ambiguous);
  EXPECT_EQ(FirstLine(CommandLookupError("set d", several)),
            "'set d' fits several commands: 'Set Datum (03h)', 'Set DOP mask (0Fh)'");

  const CommandLookup slip = LookUpCommand("Set DOP Msk");
  EXPECT_FALSE(slip.number);
  EXPECT_EQ(FirstLine(CommandLookupError("Set DOP Msk", slip)),
            "unknown command 'Set DOP Msk': did you mean 'Set DOP mask (0Fh)'?");
  EXPECT_EQ(FirstLine(CommandLookupError("frobnicate", LookUpCommand("frobnicate"))),
            "unknown command 'frobnicate'");
  EXPECT_FALSE(LookUpCommand("35").number);
}

}  // namespace
}  // namespace vetra
