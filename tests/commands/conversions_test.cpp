#include "commands/conversions.h"

#include <gtest/gtest.h>

namespace vetra {
namespace {

TEST(StrictInteger, AcceptsDecimalWithOptionalSign) {
  EXPECT_EQ(StrictInteger("1980"), 1980);
  EXPECT_EQ(StrictInteger("-12306"), -12306);
  EXPECT_EQ(StrictInteger("+7"), 7);
  EXPECT_EQ(StrictInteger("-0030"), -30);
  EXPECT_EQ(StrictInteger(" 5"), 5);  // leading blanks, as the toolkit's conversion
  EXPECT_EQ(StrictInteger("2147483647"), 2147483647);
  EXPECT_EQ(StrictInteger("-2147483648"), INT32_MIN);
}

TEST(StrictInteger, RefusesAnythingElseWithTheToolkitsMessage) {
  struct Row {
    const char* text;
    const char* message;
  };
  for (Row row : {Row{"", "'' is not a valid integer value"},
                  Row{"abc", "'abc' is not a valid integer value"},
                  Row{"12x", "'12x' is not a valid integer value"},
                  Row{"5 ", "'5 ' is not a valid integer value"},
                  Row{"1.5", "'1.5' is not a valid integer value"},
                  Row{"+-1", "'+-1' is not a valid integer value"},
                  Row{"-", "'-' is not a valid integer value"},
                  Row{"2147483648", "'2147483648' is not a valid integer value"}}) {
    try {
      StrictInteger(row.text);
      ADD_FAILURE() << "accepted '" << row.text << "'";
    } catch (const ConversionError& e) {
      EXPECT_STREQ(e.what(), row.message);
    }
  }
}

TEST(StrictReal, AcceptsDecimalFractionsAndExponents) {
  EXPECT_DOUBLE_EQ(StrictReal("6378137"), 6378137.0);
  EXPECT_DOUBLE_EQ(StrictReal("298.257223563"), 298.257223563);
  EXPECT_DOUBLE_EQ(StrictReal("-1.5e3"), -1500.0);
  EXPECT_DOUBLE_EQ(StrictReal("+.5"), 0.5);
  EXPECT_DOUBLE_EQ(StrictReal(" 2 "), 2.0);
}

TEST(StrictReal, RefusesEmptyTextWordsAndInfinities) {
  for (const char* text : {"", " ", "abc", "1,5", "inf", "nan", "1e999", "1.2.3", "--1"}) {
    try {
      StrictReal(text);
      ADD_FAILURE() << "accepted '" << text << "'";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()),
                "'" + std::string(text) + "' is not a valid floating point value");
    }
  }
}

TEST(IntegerOrDefault, FallsBackOnlyWhenTheTextDoesNotConvert) {
  EXPECT_EQ(IntegerOrDefault("", 25), 25);
  EXPECT_EQ(IntegerOrDefault("x", 5), 5);
  EXPECT_EQ(IntegerOrDefault("12ab", 0), 0);
  EXPECT_EQ(IntegerOrDefault("0", 25), 0);
  EXPECT_EQ(IntegerOrDefault("-8", 0), -8);
}

TEST(LenientNumber, TakesDigitsUpToTheFirstOtherCharacter) {
  struct Row {
    const char* text;
    int base;
    uint32_t value;
  };
  for (Row row :
       {Row{"12ab", 10, 12}, Row{"  42", 10, 42}, Row{"+9", 10, 9}, Row{"-1", 10, 0xFFFFFFFF},
        Row{"-100", 10, 0xFFFFFF9C}, Row{"", 10, 0}, Row{"abc", 10, 0}, Row{"-", 10, 0},
        Row{"FFFFFFFF", 16, 0xFFFFFFFF}, Row{"00300C03", 16, 0x00300C03},
        Row{"00501405", 16, 0x00501405}, Row{"ff", 16, 0xFF}, Row{"1g", 16, 1},
        Row{"0x10", 16, 0},  // no prefix: the 'x' ends the digits
        Row{"4294967295", 10, 0xFFFFFFFF}, Row{"4294967296", 10, 0xFFFFFFFF},  // saturates
        Row{"9999999999", 10, 0xFFFFFFFF},
        Row{"-FFFFFFFFF", 16, 0xFFFFFFFF},  // saturated magnitude, sign or not
        Row{"-80000000", 16, 0x80000000}}) {
    EXPECT_EQ(LenientNumber(row.text, row.base), row.value) << row.text << " base " << row.base;
  }
}

TEST(LenientNumber, ReadsNoMoreThanTheEditTakes) {
  EXPECT_EQ(LenientNumber("12345678901", 10), 1234567890u);
  EXPECT_EQ(LenientNumber("          5", 10), 0u);  // ten blanks, the digit is the eleventh
  EXPECT_EQ(LenientNumber("-100000", 10, kSleepTimeMaxLength), static_cast<uint32_t>(-100000));
  EXPECT_EQ(LenientNumber("12345678", 10, kSleepTimeMaxLength), 1234567u);
}

}  // namespace
}  // namespace vetra
