#include "commands/command_lookup.h"

#include <algorithm>
#include <cctype>
#include <numeric>

#include "commands/catalogue.h"

namespace vetra {
namespace {

// Lower case, no blanks: "Set DOP mask (0Fh)" is "setdopmask(0fh)".
std::string Folded(std::string_view text) {
  std::string folded;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (std::isspace(c) == 0) folded += static_cast<char>(std::tolower(c));
  }
  return folded;
}

// The tree text without its message id in brackets: "setdopmask".
std::string FoldedName(std::string_view treeText) {
  const size_t bracket = treeText.rfind('(');
  return Folded(bracket == std::string_view::npos ? treeText : treeText.substr(0, bracket));
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string Quoted(int number) {
  return "'" + std::string(CatalogueEntryOf(number).treeText) + "'";
}

}  // namespace

CommandLookup LookUpCommand(std::string_view text) {
  CommandLookup lookup;
  if (const auto number = FindCommand(text)) {  // number, message id, tree text
    lookup.number = number;
    return lookup;
  }
  const std::string folded = Folded(text);
  if (folded.empty()) return lookup;
  for (int n = 1; n <= kCommandCount; ++n) {
    const std::string_view tree = CatalogueEntryOf(n).treeText;
    if (Folded(tree) == folded || FoldedName(tree) == folded) {
      lookup.number = n;
      return lookup;
    }
  }
  for (int n = 1; n <= kCommandCount; ++n) {
    if (Folded(CatalogueEntryOf(n).treeText).starts_with(folded)) lookup.candidates.push_back(n);
  }
  if (lookup.candidates.size() == 1) {
    lookup.number = lookup.candidates.front();
    lookup.candidates.clear();
    return lookup;
  }
  if (!lookup.candidates.empty()) {
    lookup.ambiguous = true;
    return lookup;
  }
  // The nearest names, when near enough to be a slip of the fingers; or the names holding it.
  size_t best = std::max<size_t>(2, folded.size() / 3);
  for (int n = 1; n <= kCommandCount; ++n) {
    const size_t distance = EditDistance(folded, FoldedName(CatalogueEntryOf(n).treeText));
    if (distance < best) {
      best = distance;
      lookup.candidates.clear();
    }
    if (distance == best) lookup.candidates.push_back(n);
  }
  if (lookup.candidates.empty() && folded.size() >= 3) {
    for (int n = 1; n <= kCommandCount; ++n) {
      if (Folded(CatalogueEntryOf(n).treeText).find(folded) != std::string::npos) {
        lookup.candidates.push_back(n);
      }
    }
  }
  return lookup;
}

std::vector<std::string> CommandWords() {
  std::vector<std::string> words;
  for (int n = 1; n <= kCommandCount; ++n) {
    std::string_view tree = CatalogueEntryOf(n).treeText;
    tree = tree.substr(0, tree.rfind('('));
    std::string word;
    for (const char ch : tree) {
      if (std::isspace(static_cast<unsigned char>(ch)) == 0) word += ch;
    }
    words.push_back(word);
  }
  return words;
}

std::string CommandLookupError(std::string_view text, const CommandLookup& lookup) {
  std::string names;
  for (const int n : lookup.candidates) names += (names.empty() ? "" : ", ") + Quoted(n);
  std::string error;
  if (lookup.ambiguous) {
    error = "'" + std::string(text) + "' fits several commands: " + names;
  } else {
    error = "unknown command '" + std::string(text) + "'";
    if (lookup.candidates.size() == 1) error += ": did you mean " + names + "?";
    if (lookup.candidates.size() > 1) error += ": did you mean one of " + names + "?";
  }
  return error +
         "\nName a command by its number 1 to 34, its message id (05h), its name or the start "
         "of it; `--list` lists them";
}

}  // namespace vetra
