#include "commands/catalogue.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vetra {
namespace {

using enum PanelId;

// Every row's controls pass the descriptor checks: a known kind, limits inside the wire field the
// value goes into, a real field with limits, one name per control.
constexpr bool EveryRowIsConsistent() {
  for (const CommandDescriptor& row : catalogue_rows::kRows) {
    if (!ControlsAreConsistent(row.controls)) return false;
    if (row.extended && (row.encode != nullptr || !row.controls.empty())) return false;
    if (row.reply.kind != ExpectedReply::Kind::Ack && row.reply.replyId == 0) return false;
  }
  return true;
}
static_assert(EveryRowIsConsistent());

// Message ids are unique, and 1Ah is no command.
constexpr bool IdsAreUnique() {
  for (int a = 1; a <= kCommandCount; ++a) {
    if (CatalogueEntryOf(a).id == 0x1A) return false;
    for (int b = 1; b < a; ++b) {
      if (CatalogueEntryOf(a).id == CatalogueEntryOf(b).id) return false;
    }
  }
  return true;
}
static_assert(IdsAreUnique());

constexpr std::string_view kPanelNames[] = {
    "pnNothing",       "pnRestart",      "pnCfgIO",     "pnSetDatum",
    "pnCfgNmea",       "pnRevision",     "pnClkOff",    "pnBIT",
    "pnReadEphs",      "pnReadAlmc",     "pnID",        "pnDopMask",
    "pnElvMask",       "pnDgpsCtrl",     "pn1PPS",      "pnOutputFormat",
    "pnPowerSave",     "pnCustomizedID", "pnShowText",  "pnLocale",
    "pnCustomizedLED", "pnTraceRecord",  "pnTraceRead", "pnMaintainTrace",
    "pnUpdateRate",    "pnGPIO",         "pnBlkSats",
};
static_assert(std::size(kPanelNames) == static_cast<size_t>(pnBlkSats) + 1);

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string_view PanelName(PanelId panel) { return kPanelNames[static_cast<size_t>(panel)]; }

std::optional<int> FindCommand(std::string_view text) {
  if (text.empty()) return std::nullopt;
  // Catalogue number.
  int number = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number, 10);
  if (ec == std::errc{} && end == text.data() + text.size()) {
    if (number >= 1 && number <= kCommandCount) return number;
    return std::nullopt;
  }
  // Message id: one or two hexadecimal digits and 'h'.
  if (text.size() >= 2 && text.size() <= 3 && (text.back() == 'h' || text.back() == 'H')) {
    unsigned id = 0;
    const char* last = text.data() + text.size() - 1;
    auto [idEnd, idEc] = std::from_chars(text.data(), last, id, 16);
    if (idEc == std::errc{} && idEnd == last) {
      for (int n = 1; n <= kCommandCount; ++n) {
        if (CatalogueEntryOf(n).id == id) return n;
      }
      return std::nullopt;
    }
  }
  // Tree text, exactly first, then without regard to letter case.
  for (int n = 1; n <= kCommandCount; ++n) {
    if (CatalogueEntryOf(n).treeText == text) return n;
  }
  for (int n = 1; n <= kCommandCount; ++n) {
    if (EqualNoCase(CatalogueEntryOf(n).treeText, text)) return n;
  }
  return std::nullopt;
}

}  // namespace vetra
