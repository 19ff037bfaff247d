#pragma once
// What a user may give a panel's edit, from the control's catalogue row (kind, wire field,
// limits): the desktop program's validators judge the text as it is typed, and the Send button,
// `vetra encode` and `vetra send` refuse a value that is not accepted, so nothing reaches the
// encoders that they would turn into something else ("0x1234" into 0, "5Hz" into 1 Hz, PDOP 300
// into 44, 70000 into the low 16 bits).
//
// - Integer: an optional sign (a minus only where the field takes negative values) and decimal
//   digits, within the control's limits; a DDMM / DDDMM position also with minutes below 60.
// - Hex: hexadecimal digits only (no sign, no "0x"), within the field.
// - Real: a decimal number (sign, digits, a point, an exponent), within the limits.
// - Text: the characters are sent as single bytes, so each must be one (U+0000 to U+00FF); the
//   text is held as UTF-8 (the panel's characters, the terminal's argument) and sent as Latin-1.
// - Every edit: at most the characters its row allows.
// An empty edit is accepted: the encoder then uses the field's default (or, for a field that must
// convert, refuses the Send with its conversion message).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "commands/command_descriptor.h"
#include "commands/panel_controls.h"

namespace vetra {

// How a validator judges text while it is being typed (the toolkit's three states).
enum class TypedState {
  Invalid,       // a character the control never takes, or more digits than its field holds
  Intermediate,  // may still become accepted: "-", "6378137e", a value out of range
  Acceptable,
};
TypedState JudgeTyped(const ControlDescriptor& control, std::string_view text);

// nullopt when the control accepts the text as a whole; otherwise what it accepts.
std::optional<std::string> Refusal(const ControlDescriptor& control, std::string_view text);
// "a whole number from 1 to 5", "hexadecimal digits from 0 to FFFFFFFF", ...
std::string AcceptedValues(const ControlDescriptor& control);

struct RefusedValue {
  std::string control;   // the control's name
  std::string text;      // as given
  std::string accepted;  // AcceptedValues
};
// The first edit among controls whose text is refused (hidden ones included: they are sent too).
std::optional<RefusedValue> FirstRefusedValue(const std::vector<ControlRef>& controls);
// "<field>: '5Hz' is not accepted; it takes a whole number from 1 to 5". field names the control
// as its reader knows it: the caption on screen, the control's name in a terminal.
std::string RefusalText(std::string_view field, const RefusedValue& refused);

// UTF-8 text to the single bytes it stands for (each character U+0000..U+00FF); nullopt when the
// text is not UTF-8 or holds a character outside single bytes.
std::optional<std::string> SingleByteText(std::string_view utf8);
// The other way: each byte as the character U+0000..U+00FF, in UTF-8 (a receiver's text shown).
std::string Utf8FromSingleBytes(std::string_view bytes);

}  // namespace vetra
