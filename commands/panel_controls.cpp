#include "commands/panel_controls.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "commands/catalogue.h"
#include "commands/conversions.h"

namespace vetra {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

// Some item texts end in a blank ("Clear log "); nobody types it.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<ControlRef> BindControls(std::span<const ControlDescriptor> descriptors, void* panelSet,
                                     int accessLevel) {
  std::vector<ControlRef> controls;
  controls.reserve(descriptors.size());
  for (const ControlDescriptor& descriptor : descriptors) {
    ControlRef c{&descriptor, descriptor.bind(panelSet), {}, false};
    if (descriptor.kind == ControlKind::Choice) {
      if (c.value.items != nullptr) {
        c.items = *c.value.items;
      } else {
        c.items.assign(descriptor.items.begin(), descriptor.items.end());
      }
    }
    c.hidden = descriptor.shownAt != nullptr && !descriptor.shownAt(accessLevel);
    controls.push_back(std::move(c));
  }
  return controls;
}

std::vector<ControlRef> CommandControls(int number, Panels& panels, ICommandExtension* extension,
                                        int accessLevel) {
  const CommandDescriptor& row = CatalogueEntryOf(number);
  if (row.extended) {
    return extension != nullptr ? extension->Controls(number, accessLevel)
                                : std::vector<ControlRef>{};
  }
  return BindControls(row.controls, &panels, accessLevel);
}

std::optional<std::string> SetControl(const ControlRef& control, std::string_view value) {
  switch (control.kind()) {
    case ControlKind::Integer:
    case ControlKind::Hex:
    case ControlKind::Real:
    case ControlKind::Text:
      // What the edit accepts is judged with the other edits' values (commands/control_values.h).
      *control.value.text = std::string(value);
      return std::nullopt;
    case ControlKind::Choice: {
      const auto& items = control.items;
      auto found = std::find(items.begin(), items.end(), value);
      if (found == items.end()) {
        found = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
          return Lower(Trim(item)) == Lower(Trim(value));
        });
      }
      if (found != items.end()) {
        *control.value.choice = static_cast<int>(found - items.begin());
        return std::nullopt;
      }
      int position = 0;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), position);
      if (ec == std::errc{} && end == value.data() + value.size() && position >= 0 &&
          position < static_cast<int>(items.size())) {
        *control.value.choice = position;
        return std::nullopt;
      }
      std::string known;
      for (size_t i = 0; i < items.size(); ++i) {
        known += (i ? ", \"" : "\"") + items[i] + "\" (" + std::to_string(i) + ")";
      }
      return control.name() + " has no item '" + std::string(value) + "'; its items: " + known;
    }
    case ControlKind::Check: {
      const std::string v = Lower(value);
      if (v == "on" || v == "1" || v == "true") {
        *control.value.check = true;
      } else if (v == "off" || v == "0" || v == "false") {
        *control.value.check = false;
      } else {
        return control.name() + " is a check box: on or off, not '" + std::string(value) + "'";
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace vetra
