// What the panels' edits accept, judged from the catalogue's own rows: one table of typed texts,
// each with how a validator takes it while typing and whether Send accepts it.
#include "commands/control_values.h"

#include <gtest/gtest.h>

#include <string>

#include "commands/catalogue.h"

namespace vetra {
namespace {

const ControlDescriptor& DescriptorOf(std::string_view name) {
  for (const CommandDescriptor& row : Catalogue()) {
    for (const ControlDescriptor& control : row.controls) {
      if (control.name == name) return control;
    }
  }
  ADD_FAILURE() << "no control " << name;
  static const ControlDescriptor none;
  return none;
}

using enum TypedState;

TEST(ControlValues, EachEditTakesWhatItsRowAllows) {
  struct Row {
    const char* control;
    std::string text;
    TypedState typed;
    bool accepted;
  };
  const Row rows[] = {
      // The typos that used to reach the receiver.
      {"edModuleID", "0x1234", Invalid, false},
      {"edModuleID", "4660", Acceptable, true},
      {"edModuleID", "-2147483648", Acceptable, true},
      {"edModuleID", "2147483648", Intermediate, false},
      {"lbUpdateRate", "5Hz", Invalid, false},
      {"lbUpdateRate", "5", Acceptable, true},
      {"lbUpdateRate", "6", Intermediate, false},
      {"lbUpdateRate", "66", Invalid, false},  // more digits than 1..5 ever has
      {"edPdop", "300", Intermediate, false},
      {"edPdop", "255", Acceptable, true},
      {"edPdop", "-1", Invalid, false},  // an unsigned field takes no minus
      {"lbDx", "70000", Intermediate, false},
      {"lbDx", "-32768", Acceptable, true},
      {"lbDx", "12abc", Invalid, false},
      {"lbDx", "-", Intermediate, false},
      {"lbDx", "+12", Acceptable, true},
      {"lbDx", " 12", Invalid, false},
      // Meanings: months, hours, minutes, positions.
      {"RSTmonth", "0", Intermediate, false},
      {"RSTmonth", "12", Acceptable, true},
      {"RSTmonth", "13", Intermediate, false},
      {"RSThour", "24", Intermediate, false},
      {"RSTminute", "59", Acceptable, true},
      {"RSTsecond", "60", Intermediate, false},
      {"RSTLat", "4959", Acceptable, true},
      {"RSTLat", "4960", Intermediate, false},  // minutes of a DDMM latitude below 60
      {"RSTLat", "-9000", Acceptable, true},
      {"RSTLat", "9001", Intermediate, false},
      {"RSTLong", "-18000", Acceptable, true},
      {"RSTLong", "18100", Intermediate, false},
      {"lbZoneHour", "23", Acceptable, true},
      {"lbZoneHour", "-8", Invalid, false},  // the sign is rgGMTsign's
      {"lePowerSave", "-1", Acceptable, true},
      {"lePowerSave", "-2", Intermediate, false},
      {"lePowerSave", "12345678", Invalid, false},  // longer than the edit
      // Hexadecimal edits: digits only, within 32 bits.
      {"lbGpioMask", "FFFFFFFF", Acceptable, true},
      {"lbGpioMask", "0x1F", Invalid, false},
      {"lbGpioMask", "100000000", Invalid, false},
      {"lbCustomizedPtn1", "00300c03", Acceptable, true},
      {"lbCustomizedPtn1", "-3", Invalid, false},
      // Real edits.
      {"lbElpA", "6378137", Acceptable, true},
      {"lbElpA", "6.378137e6", Acceptable, true},
      {"lbElpA", "6378137.", Acceptable, true},
      {"lbElpA", "6.37e", Intermediate, false},
      {"lbElpA", "637813", Intermediate, false},
      {"lbElpA", "6378137m", Invalid, false},
      {"lbElpA", "-6378137", Invalid, false},
      {"lbElpF", "298.257223563", Acceptable, true},
      // Texts sent as single bytes, 32 at most.
      {"edCID", "Vetra-01", Acceptable, true},
      {"edCID", "Caf\xC3\xA9", Acceptable, true},  // e acute, U+00E9
      {"edCID",
       "\xE2\x82\xAC"
       "100",
       Invalid, false},                      // the euro sign, U+20AC
      {"edCID", "Caf\xE9", Invalid, false},  // not UTF-8
      {"edCID", std::string(32, 'a'), Acceptable, true},
      {"edCID", std::string(33, 'a'), Invalid, false},
      {"edCID", "ab\xC3", Invalid, false},  // a cut-off sequence
      // Empty: the encoder's default.
      {"edGdop", "", Acceptable, true},
      {"RSTyear", "", Acceptable, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.control) + " '" + row.text + "'");
    const ControlDescriptor& descriptor = DescriptorOf(row.control);
    EXPECT_EQ(JudgeTyped(descriptor, row.text), row.typed);
    EXPECT_EQ(!Refusal(descriptor, row.text).has_value(), row.accepted);
  }
}

TEST(ControlValues, RefusalNamesTheFieldAndWhatItTakes) {
  const struct {
    const char* control;
    const char* text;
    const char* expected;
  } cases[] = {
      {"lbUpdateRate", "5Hz",
       "lbUpdateRate: '5Hz' is not accepted; it takes a whole number from 1 to 5"},
      {"RSTLat", "4960",
       "RSTLat: '4960' is not accepted; it takes degrees and minutes run together (DDMM, minutes "
       "below 60) from -9000 to 9000"},
      {"lbGpioMask", "0x1F",
       "lbGpioMask: '0x1F' is not accepted; it takes hexadecimal digits from 0 to FFFFFFFF"},
      {"lbElpF", "1", "lbElpF: '1' is not accepted; it takes a decimal number from 250 to 350"},
      {"edCID", "\xE2\x82\xAC",
       "edCID: '\xE2\x82\xAC' is not accepted; it takes at most 32 characters, each a single byte "
       "(U+0000 to U+00FF)"},
  };
  for (const auto& c : cases) {
    const ControlDescriptor& descriptor = DescriptorOf(c.control);
    const auto accepted = Refusal(descriptor, c.text);
    ASSERT_TRUE(accepted) << c.control;
    EXPECT_EQ(RefusalText(c.control, {c.control, c.text, *accepted}), c.expected);
  }
}

TEST(ControlValues, SingleByteTextIsLatin1OfTheUtf8Characters) {
  EXPECT_EQ(SingleByteText("AB"), "AB");
  EXPECT_EQ(SingleByteText("Caf\xC3\xA9 \xC2\xB0"), "Caf\xE9 \xB0");
  EXPECT_FALSE(SingleByteText("\xE2\x82\xAC"));
  EXPECT_FALSE(SingleByteText("\xC0\x81"));  // an overlong form
  EXPECT_EQ(Utf8FromSingleBytes("Caf\xE9"), "Caf\xC3\xA9");
}

}  // namespace
}  // namespace vetra
