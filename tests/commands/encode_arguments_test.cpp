#include "commands/encode_arguments.h"

#include <gtest/gtest.h>

#include "link/frame.h"

namespace vetra {
namespace {

using Status = EncodeReport::Status;

EncodeReport EncodeWith(std::string command, std::vector<std::string> assignments = {},
                        Chip chip = Chip::K700, int level = 16) {
  return EncodeFromArguments({std::move(command), std::move(assignments), chip, level});
}

TEST(EncodeArguments, DefaultsGiveTheFormsFrame) {
  const EncodeReport report = EncodeWith("1");
  EXPECT_EQ(report.status, Status::Frame);
  EXPECT_EQ(report.echo, "25 25 f1 01 00 01 bc 07 01 01 00 00 00 00 39 13 ea cf 00 00 45 0d 0a ");
  EXPECT_EQ(EncodeWith("05h").echo, "25 25 f1 05 01 01 f4 0d 0a ");
  EXPECT_EQ(EncodeWith("Query Firmware Revision (05h)").echo, "25 25 f1 05 01 01 f4 0d 0a ");
}

TEST(EncodeArguments, ChoicesByItemTextOrPosition) {
  EXPECT_EQ(EncodeWith("0Eh", {"rgID=User Key ID"}).echo, "25 25 f1 0e 01 fe 0d 0a ");
  EXPECT_EQ(EncodeWith("17", {"rgSelDgps=1"}).echo, "25 25 f1 11 01 00 e1 0d 0a ");
  EXPECT_EQ(EncodeWith("17", {"rgSelDgps=waas/egnos"}).echo, "25 25 f1 11 01 00 e1 0d 0a ");
  EXPECT_EQ(EncodeWith("1", {"SetStartMode=COLD Deep"}).echo.substr(12, 5), "01 07");
  EXPECT_EQ(EncodeWith("1", {"SetStartMode=TEST"}, Chip::K900).echo.substr(12, 5), "01 04");
  EXPECT_EQ(EncodeWith("1", {"SetStartMode=TEST"}).status, Status::UsageError);  // a K900 mode
}

TEST(EncodeArguments, TextsAndCheckBoxes) {
  EXPECT_EQ(EncodeWith("14h", {"lePowerSave=-1", "chbDeepSleep=on"}).echo,
            "25 25 f1 14 ff ff 01 00 e4 0d 0a ");
  EXPECT_EQ(EncodeWith("Block Sats(E1h)", {"rgBlkAction=Enable", "cbPRN01=on", "cbPRN32=on"}).echo,
            "25 25 f1 e1 00 01 00 00 80 91 0d 0a ");
  EXPECT_EQ(EncodeWith("19h", {"lbZoneHour=8", "lbZoneMinute=30", "rgGMTsign=GMT - (minus)",
                               "lbDstAdjust=1"})
                .echo,
            "25 25 f1 19 00 f8 e2 00 01 f3 0d 0a ");
}

TEST(EncodeArguments, ConversionFailureCarriesOnlyTheMessage) {
  const EncodeReport report = EncodeWith("1Bh", {"lbElpA=6378137"});
  EXPECT_EQ(report.status, Status::ConversionError);
  EXPECT_EQ(report.error, "'' is not a valid floating point value");
  EXPECT_EQ(report.echo, "");
  EXPECT_EQ(EncodeWith("1", {"RSTyear="}).error, "'' is not a valid integer value");
}

TEST(EncodeArguments, ValuesThePanelWouldNotTakeAreRefused) {
  struct Case {
    const char* command;
    std::vector<std::string> assignments;
    const char* error;
  };
  const Case cases[] = {
      {"0Dh",
       {"edModuleID=0x1234"},
       "edModuleID: '0x1234' is not accepted; it takes a whole number from -2147483648 to "
       "2147483647"},
      {"20h",
       {"lbUpdateRate=5Hz"},
       "lbUpdateRate: '5Hz' is not accepted; it takes a whole number from 1 to 5"},
      {"0Fh",
       {"edPdop=300"},
       "edPdop: '300' is not accepted; it takes a whole number from 0 to 255"},
      {"03h",
       {"lbDx=70000"},
       "lbDx: '70000' is not accepted; it takes a whole number from -32768 to 32767"},
      {"14h",
       {"lePowerSave=12345678"},
       "lePowerSave: '12345678' is not accepted; it takes a whole number from -1 to 3600"},
  };
  for (const Case& c : cases) {
    const EncodeReport report = EncodeWith(c.command, c.assignments);
    EXPECT_EQ(report.status, Status::Refused) << c.command;
    EXPECT_EQ(report.error, c.error);
    EXPECT_EQ(report.echo, "");
  }
  EXPECT_EQ(EncodeWith("16h", {"rgCID=1", "edCID=" + std::string(33, 'a')}).status,
            Status::Refused);
}

TEST(EncodeArguments, CustomizedIdIsSentOneByteForEachCharacter) {
  // "Café" typed in a UTF-8 terminal: the panel sends E9 for the é, and so does the terminal.
  const EncodeReport report = EncodeWith("16h", {"rgCID=Set Customized ID", "edCID=Caf\xC3\xA9"});
  ASSERT_EQ(report.status, Status::Frame) << report.error;
  EXPECT_EQ(report.echo.substr(12, 18), "01 04 43 61 66 e9 ");
  EXPECT_EQ(EncodeWith("16h", {"rgCID=1", "edCID=\xE2\x82\xAC"}).status, Status::Refused);
}

TEST(EncodeArguments, LedChoiceLoadsItsPresetAndLaterPatternsWin) {
  EXPECT_EQ(EncodeWith("1Ch", {"rgCustomizedLED=POI LED"}).echo,
            "25 25 f1 1c 01 03 0c 30 00 0f 00 00 00 00 00 00 00 00 00 00 00 dc 0d 0a ");
  // A pattern before the choice is replaced by the preset, one after it stays.
  const std::string later =
      EncodeWith("1Ch", {"lbCustomizedPtn2=1", "rgCustomizedLED=1", "lbCustomizedPtn3=ff"}).echo;
  EXPECT_EQ(later.substr(27, 36), "0f 00 00 00 ff 00 00 00 00 00 00 00 ");
}

TEST(EncodeArguments, RestartCarriesTheTimeWhereThePanelHidesIt) {
  EncodeArguments arguments{"1", {}, Chip::K700, 5};
  arguments.utcSeconds = 1'700'000'000;  // 2023-11-14 22:13:20 UTC
  // e7 07 = 2023, then 11, 14, 22, 13, 20; the position keeps the panel's default.
  EXPECT_EQ(EncodeFromArguments(arguments).echo.substr(18, 24), "e7 07 0b 0e 16 0d 14 00 ");
  arguments.accessLevel = 16;  // shown: the panel's date until the user gives one
  EXPECT_EQ(EncodeFromArguments(arguments).echo.substr(18, 24), "bc 07 01 01 00 00 00 00 ");

  // --sync: the Sync button, at the level that shows it.
  arguments.sync = EncodeArguments::Position{-33.5, 151.25};
  const std::string synced = EncodeFromArguments(arguments).echo;
  EXPECT_EQ(synced.substr(18, 24), "e7 07 0b 0e 16 0d 14 00 ");
  // -33.5: -3330 -> -3350 (ea f2); 151.25: 15115 -> 15125 (15 3b)
  EXPECT_EQ(synced.substr(42, 12), "ea f2 15 3b ");
  arguments.accessLevel = 5;
  EXPECT_EQ(EncodeFromArguments(arguments).status, Status::UsageError);
  arguments.command = "5";
  arguments.accessLevel = 16;
  EXPECT_EQ(EncodeFromArguments(arguments).status, Status::UsageError);  // Sync is Restart's
}

TEST(EncodeArguments, UsageErrorsAreClear) {
  EXPECT_EQ(EncodeWith("99").status, Status::UsageError);
  EXPECT_EQ(EncodeWith("1Ah").status, Status::UsageError);
  const EncodeReport unknown = EncodeWith("1", {"edGdop=3"});
  EXPECT_EQ(unknown.status, Status::UsageError);
  EXPECT_NE(unknown.error.find("RSTyear"), std::string::npos);  // lists the panel's controls
  EXPECT_EQ(EncodeWith("1", {"RSTyear"}).status, Status::UsageError);
  EXPECT_EQ(EncodeWith("20", {"chbDeepSleep=maybe"}).status, Status::UsageError);
}

TEST(EncodeArguments, AccessLevelDecidesCommandsAndControls) {
  EXPECT_EQ(EncodeWith("33", {}, Chip::K700, 8).status, Status::UsageError);  // not listed
  EXPECT_EQ(EncodeWith("1", {}, Chip::K700, -1).status, Status::Frame);
  EXPECT_EQ(EncodeWith("1", {"RSTyear=2024"}, Chip::K700, 5).status, Status::UsageError);  // hidden
  EXPECT_EQ(EncodeWith("13h", {"rgOutputFormat2=Binary"}, Chip::K700, 5).status,
            Status::UsageError);
  EXPECT_EQ(EncodeWith("13h", {"rgOutputFormat2=Binary"}).echo, "25 25 f1 13 21 c3 0d 0a ");
  EXPECT_EQ(EncodeWith("2", {"rgBaud=115200"}, Chip::K700, 0).status, Status::UsageError);
  EXPECT_EQ(EncodeWith("2", {"rgBaud=115200"}, Chip::K700, 1).echo.substr(12, 5), "00 05");
  const EncodeReport refused = EncodeWith("0Dh", {"rgID=Production ID"}, Chip::K700, 5);
  EXPECT_EQ(refused.status, Status::UsageError);
  EXPECT_EQ(refused.error, "Module ID need preliviledge!");
  EXPECT_EQ(EncodeWith("0Dh", {"rgID=Production ID"}, Chip::K700, 8).status, Status::Frame);
}

TEST(EncodeArguments, CommandsWithoutAFrameSayWhy) {
  for (const char* command : {"15h", "0Ch", "0Ah", "1Dh"}) {
    const EncodeReport report = EncodeWith(command);
    EXPECT_EQ(report.status, Status::NothingToSend) << command;
    EXPECT_FALSE(report.note.empty());
    EXPECT_EQ(report.echo, "");
  }
}

}  // namespace
}  // namespace vetra

namespace vetra {
namespace {

// The trace commands' panels live with the trace logger; their controls come through the hook.
struct OneChoicePanels {
  int action = 1;
};
struct OneChoiceSet {
  OneChoicePanels record;
};
constexpr std::string_view kRecordActions[] = {"Stop log", "Start log"};
constexpr ControlDescriptor kRecordControls[] = {
    ChoiceControl("rgTraceRecordAction",
                  &bind::Field<&OneChoiceSet::record, &OneChoicePanels::action>, kRecordActions)};

class OneChoiceExtension final : public ICommandExtension {
 public:
  Encoded Encode(const EncodeInput& input) override {
    const uint8_t payload[] = {static_cast<uint8_t>(set.record.action)};
    FrameBytes frame(8);
    BuildFrame(input.command.frameClass, input.command.id, payload, frame);
    return {{frame}, {}};
  }
  std::vector<ControlRef> Controls(int number, int level) override {
    return number == 28 ? BindControls(kRecordControls, &set, level) : std::vector<ControlRef>{};
  }
  OneChoiceSet set;
};

TEST(EncodeArguments, TraceCommandsTakeTheirControlsFromTheExtension) {
  OneChoiceExtension extension;
  EncodeArguments arguments{"1Dh", {"rgTraceRecordAction=stop log"}, Chip::K700, 16, &extension};
  EXPECT_EQ(EncodeFromArguments(arguments).echo, "25 25 f1 1d 00 ec 0d 0a ");
  arguments.assignments = {"rgTraceBaud=1"};
  EXPECT_EQ(EncodeFromArguments(arguments).status, EncodeReport::Status::UsageError);
}

}  // namespace
}  // namespace vetra
