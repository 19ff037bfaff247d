// A gpsd client's requests: the parser (table-driven, as gpspipe, cgps and map programs send
// them) and what the client is answered and then sent.
#include <gtest/gtest.h>

#include "share/gpsd_request.h"
#include "share/gpsd_responder.h"
#include "share_test_support.h"

namespace vetra::testing {
namespace {

using C = GpsdCommand;

TEST(GpsdRequestParser, ReadsTheRequestsOfALine) {
  struct Row {
    std::string_view line;
    bool garbage;
    std::vector<C> commands;
    std::vector<std::string> errors;  // per request; "" for none
  };
  const Row rows[] = {
      {"?VERSION;", false, {C::Version}, {""}},
      {"?DEVICES;\r\n", false, {C::Devices}, {""}},
      {"?POLL;", false, {C::Poll}, {""}},
      {"?DEVICE;", false, {C::Device}, {""}},
      {R"(?WATCH={"enable":true,"json":true})", false, {C::Watch}, {""}},
      {R"(?WATCH={"enable":true,"json":true};?POLL;)", false, {C::Watch, C::Poll}, {"", ""}},
      {R"(?WATCH={"device":"/dev/x}{","nmea":true};)", false, {C::Watch}, {""}},
      // An escaped quote does not end the string: the brace after it is the name's.
      {R"(?WATCH={"device":"a\"}b","nmea":true};)", false, {C::Watch}, {""}},
      {"  ;?VERSION", false, {C::Version}, {""}},
      {"", false, {}, {}},
      {"?FOO;", false, {C::Unknown}, {"Unrecognized request '?FOO'"}},
      {R"(?WATCH={"enable":"yes"})", false, {C::Watch}, {R"(Invalid WATCH: {"enable":"yes"})"}},
      {R"(?WATCH={"raw":3})", false, {C::Watch}, {R"(Invalid WATCH: {"raw":3})"}},
      {"?WATCH={\"json\":true;", false, {C::Watch}, {"Invalid WATCH: no JSON object"}},
      {R"(?DEVICE={"bps":9600})",
       false,
       {C::Device},
       {"Can't perform DEVICE configuration: the receiver is shared read-only"}},
      {"GET / HTTP/1.1", true, {}, {}},
      {"?POLL;junk", true, {}, {}},
      {"?POLL;\x80", true, {}, {}},
      {std::string_view("?VERSION;\0", 10), true, {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.line));
    const GpsdRequestLine parsed = ParseGpsdRequestLine(row.line);
    EXPECT_EQ(parsed.garbage, row.garbage);
    ASSERT_EQ(parsed.requests.size(), row.commands.size());
    for (size_t i = 0; i < row.commands.size(); ++i) {
      EXPECT_EQ(parsed.requests[i].command, row.commands[i]);
      EXPECT_EQ(parsed.requests[i].error, row.errors[i]);
    }
  }
  const GpsdRequestLine watch =
      ParseGpsdRequestLine(R"(?WATCH={"enable":true,"nmea":true,"raw":1,"device":"/dev/x"})");
  ASSERT_EQ(watch.requests.size(), 1u);
  EXPECT_EQ(watch.requests[0].watch, (WatchArguments{true, {}, true, 1, {}, {}, {}, "/dev/x"}));
  const GpsdRequestLine escaped = ParseGpsdRequestLine(R"(?WATCH={"device":"a\"}b"};)");
  ASSERT_EQ(escaped.requests.size(), 1u);
  EXPECT_EQ(escaped.requests[0].watch.device, std::optional<std::string>("a\"}b"));
}

TEST(GpsdRequestReader, AnswersARequestAsSoonAsItIsComplete) {
  struct Row {
    const char* what;
    std::vector<std::string_view> reads;
    std::vector<std::vector<std::string>> names;  // completed by each read
  };
  const Row rows[] = {
      {"node-gpsd: ';' but no line end", {R"(?WATCH={"enable":true,"json":true};)"}, {{"?WATCH"}}},
      {"go-gpsd: neither ';' nor a line end",
       {R"(?WATCH={"enable":true,"json":true})"},
       {{"?WATCH"}}},
      {"a bare name at the end of a read", {"?POLL"}, {{"?POLL"}}},
      {"an object in two reads",
       {R"(?WATCH={"enable":)", "true};?VERSION;"},
       {{}, {"?WATCH", "?VERSION"}}},
      {"a name in one read, its object in the next",
       {"?WATCH=", R"({"json":true})"},
       {{}, {"?WATCH"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    GpsdRequestReader reader;
    for (size_t i = 0; i < row.reads.size(); ++i) {
      std::vector<std::string> names;
      for (const GpsdRequest& request : reader.Take(row.reads[i])) {
        EXPECT_EQ(request.error, "");
        names.push_back(request.name);
      }
      EXPECT_EQ(names, row.names[i]) << "read " << i;
    }
    EXPECT_FALSE(reader.garbage() || reader.overlong());
  }
  GpsdRequestReader endless;
  endless.Take("?WATCH={\"device\":\"");
  endless.Take(std::string(GpsdRequestReader::kMaxRequestBytes, 'x'));
  EXPECT_TRUE(endless.overlong());
}

class GpsdClientTest : public ::testing::Test {
 protected:
  // The replies to one line, as the classes of the objects answered.
  std::vector<std::string> Classes(std::string_view line) {
    std::string out;
    EXPECT_TRUE(client.Answer(line, info, reports, "2024-05-01T12:00:00.000Z", out));
    std::vector<std::string> classes;
    for (size_t start = 0, end; (end = out.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
      last = GpsdJson::parse(out.substr(start, end - start));
      classes.push_back(last["class"]);
    }
    return classes;
  }
  GpsdServerInfo info{"1.0", "/dev/ttyUSB0", 9600, 'N', "2024-05-01T11:00:00.000Z", {}};
  GpsdReportMaker reports{"/dev/ttyUSB0"};
  GpsdResponder client;
  GpsdJson last;
};

TEST_F(GpsdClientTest, AWatchIsAnsweredWithTheDevicesAndThePolicyInForce) {
  EXPECT_EQ(GpsdJson::parse(GpsdResponder::Banner(info))["proto_major"], 3);
  EXPECT_FALSE(client.wantsReports());
  EXPECT_EQ(Classes(R"(?WATCH={"enable":true,"nmea":true})"),
            (std::vector<std::string>{"DEVICES", "WATCH"}));
  EXPECT_TRUE(client.wantsSentences());
  EXPECT_FALSE(client.wantsReports());
  EXPECT_EQ(last["nmea"], true);
  Classes(R"(?WATCH={"json":true})");  // "enable" left out enables; nmea stays
  EXPECT_TRUE(client.wantsReports() && client.wantsSentences());
  Classes(R"(?WATCH={"enable":false})");
  EXPECT_FALSE(client.wantsReports() || client.wantsSentences());
  GpsdResponder plain;
  std::string out;
  plain.Answer("?WATCH;", info, reports, "", out);  // enabling without a stream: the reports
  EXPECT_TRUE(plain.wantsReports());
}

TEST_F(GpsdClientTest, AWatchOfAnUnknownDeviceIsAnErrorAndChangesNothing) {
  EXPECT_EQ(Classes(R"(?WATCH={"enable":true,"json":true,"device":"/dev/whatever"})"),
            (std::vector<std::string>{"ERROR"}));
  EXPECT_EQ(last["message"], "No such device as /dev/whatever");
  EXPECT_FALSE(client.wantsReports() || client.askedToWatch());
  EXPECT_EQ(Classes(R"(?WATCH={"enable":true,"json":true,"device":"/dev/ttyUSB0"})"),
            (std::vector<std::string>{"DEVICES", "WATCH"}));
  EXPECT_TRUE(client.wantsReports() && client.askedToWatch());
}

TEST_F(GpsdClientTest, APollGivesTheLastWholeEpoch) {
  EXPECT_EQ(Classes("?POLL;"), (std::vector<std::string>{"POLL"}));
  EXPECT_EQ(last["tpv"][0]["mode"], 0);  // before the first epoch
  EXPECT_EQ(last["sky"].size(), 0u);
  Epoch epoch = WholeEpoch();
  reports.Take({epoch}, {});
  epoch.timeOfDayMs += 1000;
  reports.Take({epoch}, {});
  Classes("?POLL;");
  EXPECT_EQ(last["active"], 1);
  EXPECT_EQ(last["tpv"][0]["time"], "2024-05-01T12:00:02.250Z");
  EXPECT_EQ(last["tpv"][0]["altMSL"], 12.3);
  EXPECT_EQ(last["sky"][0]["satellites"].size(), 2u);
  EXPECT_EQ(Classes("?FOO;?VERSION;"), (std::vector<std::string>{"ERROR", "VERSION"}));
}

TEST_F(GpsdClientTest, WhilePausedItAnswersAsAGpsdWithoutADevice) {
  reports.Take({WholeEpoch()}, {});
  info.paused = "no port is read";
  EXPECT_EQ(Classes("?DEVICES;"), (std::vector<std::string>{"DEVICES"}));
  EXPECT_EQ(last["devices"].size(), 0u);
  Classes("?POLL;");
  EXPECT_EQ(last["active"], 0);
  EXPECT_EQ(last["tpv"].size(), 0u);
  EXPECT_EQ(Classes("?DEVICE;"), (std::vector<std::string>{"ERROR"}));
  EXPECT_EQ(Classes(R"(?WATCH={"json":true})"), (std::vector<std::string>{"DEVICES", "WATCH"}));
}

}  // namespace
}  // namespace vetra::testing
