#pragma once
// What one receiver command is, as one row of the catalogue (commands/catalogue.h): its tree text,
// message class and id, its panel and the panel's controls (kind, field width, accepted values),
// its encoder, the answer the receiver gives, the lowest access level that lists it and the chips
// it applies to. The View page, `vetra encode` and `vetra send` all read these rows.
//
// Encoders are pure: the panel values (plus chip and access level) in, frames and declared effects
// out. The send path (commands/send_path.h) carries the effects out (clearing a store before a read
// refills it, building Load Ephemeris' frames from a snapshot of the store, emptying a reply
// display) and hands the frames to its writer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "commands/conversions.h"
#include "link/frame.h"
#include "model/access_level.h"
#include "model/chip.h"

namespace vetra {

struct Panels;

// The panels of the View page's parameter area.
enum class PanelId {
  pnNothing,
  pnRestart,
  pnCfgIO,
  pnSetDatum,
  pnCfgNmea,
  pnRevision,
  pnClkOff,
  pnBIT,
  pnReadEphs,
  pnReadAlmc,
  pnID,
  pnDopMask,
  pnElvMask,
  pnDgpsCtrl,
  pn1PPS,
  pnOutputFormat,
  pnPowerSave,
  pnCustomizedID,
  pnShowText,
  pnLocale,
  pnCustomizedLED,
  pnTraceRecord,
  pnTraceRead,
  pnMaintainTrace,
  pnUpdateRate,
  pnGPIO,
  pnBlkSats,
};

// --- Controls ------------------------------------------------------------------------------------

enum class ControlKind {
  Integer,  // an edit holding a decimal number (optional sign)
  Hex,      // an edit holding hexadecimal digits
  Real,     // an edit holding a decimal floating-point number
  Text,     // an edit whose characters are sent as single bytes
  Choice,   // a radio group: the chosen item's position, -1 while none is chosen
  Check,    // a check box
};
constexpr bool IsEdit(ControlKind kind) { return kind <= ControlKind::Text; }
constexpr bool IsNumber(ControlKind kind) { return kind <= ControlKind::Real; }

// Where a control's value lives in its panel struct.
struct ValueRef {
  std::string* text = nullptr;                      // edits
  int* choice = nullptr;                            // choices
  bool* check = nullptr;                            // check boxes
  const std::vector<std::string>* items = nullptr;  // a choice whose items the panel holds
};
// Finds the value in the panel set the control belongs to (Panels, or a command extension's own).
using BindValue = ValueRef (*)(void* panelSet);

// The wire field a number goes into.
struct FieldWidth {
  int bits = 0;
  bool isSigned = false;
  constexpr double lowest() const { return isSigned ? -Power2(bits - 1) : 0.0; }
  constexpr double highest() const { return isSigned ? Power2(bits - 1) - 1 : Power2(bits) - 1; }

 private:
  static constexpr double Power2(int n) { return n <= 0 ? 1.0 : 2.0 * Power2(n - 1); }
};
inline constexpr FieldWidth kU8{8, false}, kS8{8, true}, kU16{16, false}, kS16{16, true},
    kU32{32, false}, kS32{32, true}, kF64{64, true};

struct ControlDescriptor {
  std::string_view name;  // the widget's objectName and the NAME of NAME=VALUE
  ControlKind kind = ControlKind::Text;
  BindValue bind = nullptr;
  // Numbers: the field the value goes into, and the values a user may give it: the field's whole
  // range, or the narrower one its meaning allows (a month 1..12, an elevation 0..90 degrees).
  FieldWidth field{};
  double minimum = 0;
  double maximum = 0;
  // Typed as degrees and minutes run together (DDMM, DDDMM): the last two digits are minutes,
  // below 60; the limits are in that form too (9000 is 90 degrees).
  bool degreesMinutes = false;
  size_t maxLength = 0;                        // characters the edit takes; 0: no limit
  std::span<const std::string_view> items{};   // a choice's items; empty: the panel holds them
  bool (*shownAt)(int accessLevel) = nullptr;  // nullptr: shown wherever the command is listed

  constexpr ControlDescriptor MaxLength(size_t characters) const {
    ControlDescriptor c = *this;
    c.maxLength = characters;
    return c;
  }
  constexpr ControlDescriptor ShownWhen(bool (*rule)(int)) const {
    ControlDescriptor c = *this;
    c.shownAt = rule;
    return c;
  }
  constexpr ControlDescriptor DegreesMinutes() const {
    ControlDescriptor c = *this;
    c.degreesMinutes = true;
    return c;
  }
};

constexpr ControlDescriptor MakeControl(std::string_view name, ControlKind kind, BindValue bind) {
  ControlDescriptor c;
  c.name = name;
  c.kind = kind;
  c.bind = bind;
  return c;
}
constexpr ControlDescriptor NumberControl(std::string_view name, ControlKind kind, BindValue bind,
                                          FieldWidth field, double minimum, double maximum) {
  ControlDescriptor c = MakeControl(name, kind, bind);
  c.field = field;
  c.minimum = minimum;
  c.maximum = maximum;
  return c;
}
// An integer edit accepting the field's whole range, or [minimum, maximum].
constexpr ControlDescriptor IntegerControl(std::string_view name, BindValue bind,
                                           FieldWidth field) {
  return NumberControl(name, ControlKind::Integer, bind, field, field.lowest(), field.highest());
}
constexpr ControlDescriptor IntegerControl(std::string_view name, BindValue bind, FieldWidth field,
                                           double minimum, double maximum) {
  return NumberControl(name, ControlKind::Integer, bind, field, minimum, maximum);
}
constexpr ControlDescriptor HexControl(std::string_view name, BindValue bind, FieldWidth field) {
  return NumberControl(name, ControlKind::Hex, bind, field, field.lowest(), field.highest());
}
constexpr ControlDescriptor RealControl(std::string_view name, BindValue bind, double minimum,
                                        double maximum) {
  return NumberControl(name, ControlKind::Real, bind, kF64, minimum, maximum);
}
constexpr ControlDescriptor TextControl(std::string_view name, BindValue bind, size_t maxLength) {
  return MakeControl(name, ControlKind::Text, bind).MaxLength(maxLength);
}
constexpr ControlDescriptor ChoiceControl(std::string_view name, BindValue bind,
                                          std::span<const std::string_view> items = {}) {
  ControlDescriptor c = MakeControl(name, ControlKind::Choice, bind);
  c.items = items;
  return c;
}
constexpr ControlDescriptor CheckControl(std::string_view name, BindValue bind) {
  return MakeControl(name, ControlKind::Check, bind);
}

// Binders: a member of a panel struct that is itself a member of the panel set.
namespace bind {
template <class Set, class Panel>
Set SetOf(Panel Set::*);

template <class T>
void Put(ValueRef& ref, T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    ref.text = &value;
  } else if constexpr (std::is_same_v<T, int>) {
    ref.choice = &value;
  } else {
    static_assert(std::is_same_v<T, bool>, "a control holds a text, a position or a check");
    ref.check = &value;
  }
}

template <auto Panel, auto Member>
ValueRef Field(void* panelSet) {
  using Set = decltype(SetOf(Panel));
  ValueRef ref;
  Put(ref, static_cast<Set*>(panelSet)->*Panel.*Member);
  return ref;
}

// A choice whose item list the panel holds (it follows the chip or the access level).
template <auto Panel, auto Member, auto Items>
ValueRef ChoiceWithItems(void* panelSet) {
  using Set = decltype(SetOf(Panel));
  auto& panel = static_cast<Set*>(panelSet)->*Panel;
  ValueRef ref;
  ref.choice = &(panel.*Member);
  ref.items = &(panel.*Items);
  return ref;
}

// Element `Index` of an array member (the 32 satellite boxes).
template <auto Panel, auto Array, size_t Index>
ValueRef Element(void* panelSet) {
  using Set = decltype(SetOf(Panel));
  ValueRef ref;
  Put(ref, (static_cast<Set*>(panelSet)->*Panel.*Array)[Index]);
  return ref;
}
}  // namespace bind

// The checks every control of the catalogue passes (static_assert'ed where the rows are defined).
// The binding is not compared here: with the sanitizers on, GCC will not compare the address of
// a function template with null in a constant expression. Every binding is used when the panels
// are built, so a missing one fails the first GUI test that opens its page.
constexpr bool ControlIsConsistent(const ControlDescriptor& c) {
  if (c.name.empty()) return false;
  if (!IsNumber(c.kind)) {
    return c.field.bits == 0 && c.minimum == 0 && c.maximum == 0 && !c.degreesMinutes &&
           (c.kind == ControlKind::Text || c.maxLength == 0);
  }
  if (c.minimum >= c.maximum) return false;
  if (c.kind == ControlKind::Real) return c.field.bits == 64 && !c.degreesMinutes;
  if (c.field.bits != 8 && c.field.bits != 16 && c.field.bits != 32) return false;
  if (c.kind == ControlKind::Hex && c.field.isSigned) return false;
  const auto inField = [&c](double typed) {
    // A DDMM value is sent as hundredths of a degree: that is what must fit.
    const double sent =
        c.degreesMinutes ? static_cast<double>(DegreesMinutesToHundredths(static_cast<int>(typed)))
                         : typed;
    return sent >= c.field.lowest() && sent <= c.field.highest();
  };
  if (c.degreesMinutes && (static_cast<int>(c.maximum) % 100 >= 60)) return false;
  return inField(c.minimum) && inField(c.maximum);
}

constexpr bool ControlsAreConsistent(std::span<const ControlDescriptor> controls) {
  for (size_t i = 0; i < controls.size(); ++i) {
    if (!ControlIsConsistent(controls[i])) return false;
    for (size_t j = 0; j < i; ++j) {
      if (controls[j].name == controls[i].name) return false;  // one control, one name
    }
  }
  return true;
}

// --- Encoding ------------------------------------------------------------------------------------

using FrameBytes = std::vector<uint8_t>;

// What an encoder asks of the world besides its frames; the send path carries it out.
struct CommandEffects {
  bool clearEphemerisStore = false;  // before the frame leaves: the read refills the store
  bool clearAlmanacStore = false;
  bool loadEphemerisStore = false;  // one Load Ephemeris frame per valid slot of the store
  bool clearRevision = false;       // the reply displays show empty fields until the reply
  bool clearClockOffset = false;
  bool clearSelfTest = false;
  bool clearTraceStatus = false;      // the maintain panel's status fields
  std::optional<int> keepTestItem{};  // the item whose self-test result is awaited
};

struct Encoded {
  std::vector<FrameBytes> frames;  // to be written in this order; none: nothing to send
  CommandEffects effects;
};

struct CommandDescriptor;
struct EncodeInput {
  const CommandDescriptor& command;  // the class and id come from here
  Chip chip = Chip::K700;
  int accessLevel = 0;
};

// Throws ConversionError when a field that must convert strictly does not; changes nothing then.
// May change its own panel (the panel is its input and output: Read Customized ID empties edCID,
// Block Sats unchecks its boxes), nothing else.
using Encoder = Encoded (*)(Panels& panels, const EncodeInput& input);

// --- The row -------------------------------------------------------------------------------------

struct ExpectedReply {
  enum class Kind {
    Ack,        // the ACK (or NACK) is the whole answer
    Reply,      // a query: its reply frame (class F2h, replyId)
    StoreRead,  // Read Ephemeris / Read Almanac: one reply per satellite announced
  };
  Kind kind = Kind::Ack;
  uint8_t replyId = 0;
  // Set for a command that replies only in one of its forms; in the others the ACK is the answer.
  bool (*repliesWhen)(const Panels& panels) = nullptr;
};

enum ChipSet : uint8_t { kK700Only = 1, kK900Only = 2, kEveryChip = 3 };

struct CommandDescriptor {
  std::string_view treeText;  // exactly as the tree shows it
  uint8_t frameClass = kClassCommand;
  uint8_t id = 0;  // message id, the byte after the class byte
  int minLevel = kUserLevel;
  PanelId panel = PanelId::pnNothing;
  std::span<const ControlDescriptor> controls;
  Encoder encode = nullptr;  // nullptr (and not extended): the command sends nothing
  ExpectedReply reply;
  ChipSet chips = kEveryChip;
  // The panel, its controls and the encoder belong to a command extension (the trace logger's
  // three commands); the row says which command it is, the extension builds it.
  bool extended = false;

  constexpr bool sends() const { return encode != nullptr || extended; }
  constexpr bool appliesTo(Chip chip) const {
    return (chips & (chip == Chip::K900 ? kK900Only : kK700Only)) != 0;
  }
};

}  // namespace vetra
