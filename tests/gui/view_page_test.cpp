// The View page as the receiver conversation's display, fed directly with pass values (the
// window thread is the caller here, as inside a hand-off), or with sentences through the
// conversation from a port.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <atomic>
#include <chrono>
#include <thread>

#include "commands/catalogue.h"
#include "gui_support.h"
#include "ui/chart_style.h"
#include "ui/command_area.h"
#include "ui/main_window.h"
#include "ui/sky_view.h"
#include "ui/texts.h"
#include "ui/widget_text.h"

namespace vetra::ui {
namespace {

// A clock that moves only when the test advances it. Its sleeps let real time pass (a
// millisecond) without moving it, so the conversation's thread waits instead of spinning and its
// deadlines pass exactly when the test says.
// A port that hands out the given bytes once, then nothing.
class BytesPort final : public IPort {
 public:
  explicit BytesPort(std::string bytes) : bytes_(std::move(bytes)) {}
  int rxData(uint8_t* buffer, int maxCount) override {
    const int n = std::min(maxCount, static_cast<int>(bytes_.size() - taken_));
    std::copy_n(bytes_.data() + taken_, n, buffer);
    taken_ += static_cast<size_t>(n);
    return n;
  }
  int txData(const uint8_t*, int count) override { return count; }
  bool Reset(int, int, int, int) override { return true; }
  int baudRate() const override { return 4800; }

 private:
  std::string bytes_;
  size_t taken_ = 0;
};

std::string Sentence(const std::string& body) {
  uint8_t sum = 0;
  for (char c : body) sum ^= static_cast<uint8_t>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

class ViewPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    settings_ = std::make_unique<test::TempSettings>("[Setup]\nEngineer=BRAMBLEX\n");
    TfmTop::Options options;
    options.settingsPath = settings_->path;
    options.scanSerialDevices = false;
    options.messages = &messages_;
    options.clock = &clock_;
    window_ = std::make_unique<TfmTop>(std::move(options));
  }

  template <typename T = QLabel>
  T* Find(const char* name) {
    T* found = window_->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // Labels and line edits alike: the control's "text" property.
  QString Text(const char* name) { return Find<QWidget>(name)->property("text").toString(); }

  static TNavRecord BinaryRecord() {
    TNavRecord r{};
    r.year = 2008;
    r.month = 7;
    r.day = 12;
    r.hour = 15;
    r.minute = 3;
    r.second = 9;
    r.fixMode = 1;
    r.latitudeDeg = 24.5f;
    r.latitudeHemisphere = 'N';
    r.longitudeDeg = 121.25f;
    r.longitudeHemisphere = 'E';
    r.headingDeg = 123;
    r.satellitesInView = 2;
    r.prnList[0] = 3;
    r.prnList[1] = 17;
    r.satellites[2] = {0, 90, 0, 1, 0};
    r.satellites[16] = {0, 0, 90, 0, 1};
    r.channels[0] = TChannel{0x0001, 41, 3, 2000000, -5, -77, 3};
    r.channels[1] = TChannel{0x0100, 22, 17, 2100000, 6, 88, 0};
    r.clockValue = 4321;
    return r;
  }
  static PassValue Navigation(const TNavRecord& record, DisplaySource source) {
    PassValue pass;
    pass.navigation = NavigationUpdate{record, source};
    return pass;
  }
  static PassValue Line(std::string text) {
    PassValue pass;
    pass.lines.push_back({std::move(text), ParserKind::Nmea, 1, {}});
    return pass;
  }
  static PassValue Reply(ReplyKind kind, uint8_t id, ReplyFieldsValue fields = {}) {
    PassValue pass;
    ReplyEvent& reply = pass.replies.emplace_back();
    reply.kind = kind;
    reply.id = id;
    reply.fields = std::move(fields);
    return pass;
  }

  test::ManualClock clock_;
  test::RecordingMessages messages_;
  std::unique_ptr<test::TempSettings> settings_;
  std::unique_ptr<TfmTop> window_;
};

TEST_F(ViewPageTest, PositionUpdateWritesTheTextsAndCharts) {
  window_->viewPage().ShowPass(Navigation(BinaryRecord(), DisplaySource::Nmea));
  EXPECT_EQ(Text("lbTime"), "2008/7/12\n15:03:09 UTC");
  EXPECT_EQ(Text("lbFix"), "2D");
  EXPECT_EQ(Find("lbFix")->palette().color(QPalette::WindowText),
            ReadableTextColour(Find("lbFix"), QColor(0, 128, 0)));
  EXPECT_EQ(Text("lbLat"), "24.500000 N");
  EXPECT_EQ(Text("leDir"), "N 123");
  EXPECT_EQ(Text("lbBigSNR"), "41");
  const auto& points = Find<SkyView>("chSat")->points();
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].x, 0);
  EXPECT_EQ(points[0].colour, kBlue);
  EXPECT_EQ(points[1].x, 90);
  EXPECT_EQ(points[1].colour, kWhite);
  // NMEA data hides the clock and the grid.
  EXPECT_TRUE(Find("lbClkOff")->isHidden());
  EXPECT_TRUE(Find<QTableWidget>("sgMeas")->isHidden());

  // An unknown fix mode leaves lbFix as it was.
  TNavRecord odd = BinaryRecord();
  odd.fixMode = 9;
  window_->viewPage().ShowPass(Navigation(odd, DisplaySource::Nmea));
  EXPECT_EQ(Text("lbFix"), "2D");
}

TEST_F(ViewPageTest, MeasurementUpdateFillsTheGridForTheChip) {
  window_->SelectSecondChip(true);
  window_->viewPage().SizeGridForChip(true);
  window_->viewPage().ShowPass(Navigation(BinaryRecord(), DisplaySource::Binary));
  EXPECT_FALSE(Find("lbClkOff")->isHidden());
  EXPECT_EQ(Text("lbClkOff"), "4321");
  auto* grid = Find<QTableWidget>("sgMeas");
  ASSERT_EQ(grid->rowCount(), 17);
  EXPECT_EQ(grid->item(1, 1)->text(), "3");
  EXPECT_EQ(grid->item(1, 2)->text(), "1");
  EXPECT_EQ(grid->item(1, 5)->text(), "-77");
  EXPECT_EQ(grid->item(1, 7)->text(), "90");
  EXPECT_EQ(grid->item(1, 9)->text(), " 3 --WAAS");
  EXPECT_EQ(grid->item(2, 9)->text(), "GOOD");  // code 0 with status word 0x100
  EXPECT_EQ(grid->item(3, 1)->text(), "");      // beyond the satellites in view
  EXPECT_EQ(grid->item(0, 3)->text(), "PR");    // headings stay
  EXPECT_EQ(grid->item(16, 0)->text(), "16");
}

TEST_F(ViewPageTest, SatelliteTableFromNmeaSentences) {
  // Three satellites in view, two of them used in a 3D fix, through the conversation from a port.
  const std::string sentences =
      Sentence("GPGGA,210509.000,4916.9608,N,12307.2023,W,1,02,0.8,70.4,M,-16.9,M,,") +
      Sentence("GPGSA,A,3,05,12,,,,,,,,,,,1.4,0.8,1.1") +
      Sentence("GPGSV,1,1,03,05,45,090,41,12,10,270,32,25,80,000,00");
  window_->conversation().AttachPort(std::make_unique<BytesPort>(sentences));
  window_->conversation().SetActive(true);
  auto* table = Find<QTableWidget>("sgSats");
  ASSERT_TRUE(test::WaitFor([&] { return table->rowCount() == 3; }));
  const char* expected[3][5] = {{"5", "45", "90", "41", "yes"},
                                {"12", "10", "270", "32", "yes"},
                                {"25", "80", "0", "0", "no"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 5; ++c) EXPECT_EQ(table->item(r, c)->text(), expected[r][c]) << r << c;
  }
  EXPECT_EQ(table->horizontalHeaderItem(3)->text(), "C/N0\ndB-Hz");
  EXPECT_EQ(Text("lbTime").section('\n', 1), "21:05:09 UTC");
}

TEST_F(ViewPageTest, BinaryRecordsBesideNmeaKeepTheGridShownAndFilled) {
  ViewPage& page = window_->viewPage();
  TNavRecord nmea = BinaryRecord();
  nmea.clockValue = 0;
  PassValue both = Navigation(nmea, DisplaySource::Nmea);
  both.binaryNavigation = NavigationUpdate{BinaryRecord(), DisplaySource::Binary};
  both.seconds = 1000;
  page.ShowPass(both);
  EXPECT_TRUE(page.measurementShown());
  EXPECT_EQ(Text("lbClkOff"), "4321");
  // NMEA alone right after: the binary stream is still live, the clock and grid stay.
  PassValue nmeaOnly = Navigation(nmea, DisplaySource::Nmea);
  nmeaOnly.seconds = 1001;
  page.ShowPass(nmeaOnly);
  EXPECT_TRUE(page.measurementShown());
  EXPECT_EQ(Text("lbClkOff"), "4321");
  nmeaOnly.seconds = 1003;  // binary quiet for 3 s: NMEA alone hides them again
  page.ShowPass(nmeaOnly);
  EXPECT_FALSE(page.measurementShown());
}

TEST_F(ViewPageTest, EchoShowsFramesAsHexAndHasFilterPauseAndClear) {
  ViewPage& page = window_->viewPage();
  for (int i = 0; i < ViewPage::kNmeaEchoLines + 100; ++i) {
    page.ShowPass(Line("$GPGGA," + std::to_string(i) + std::string(200, ',')));
  }
  auto* echo = Find<QPlainTextEdit>("moNMEA");
  EXPECT_EQ(echo->blockCount(), ViewPage::kNmeaEchoLines);
  EXPECT_EQ(echo->horizontalScrollBar()->value(), 0);  // where the lines begin
  PassValue frame;
  frame.lines.push_back(
      {"%%\xf2\x82\x12\x34", ParserKind::Binary, 1, std::string("%%\xf2\x82\x12\x34\x56\r\n", 9)});
  page.ShowPass(frame);
  const QString hex = "%% F2 82 clock offset, 9 bytes: 25 25 F2 82 12 34 56 0D 0A";
  EXPECT_TRUE(echo->toPlainText().endsWith(hex));

  // Binary only: the frame alone; all: the sentences again.
  auto* filter = Find<QComboBox>("cbEchoFilter");
  filter->setCurrentIndex(static_cast<int>(EchoFilter::Binary));
  EXPECT_EQ(echo->toPlainText(), hex);
  filter->setCurrentIndex(static_cast<int>(EchoFilter::All));
  EXPECT_EQ(echo->blockCount(), ViewPage::kNmeaEchoLines);

  // Paused, the view holds still; released, it shows what came meanwhile.
  auto* pause = Find<QPushButton>("btEchoPause");
  pause->click();
  page.ShowPass(Line("$GPRMC,late"));
  EXPECT_TRUE(echo->toPlainText().endsWith(hex));
  pause->click();
  EXPECT_TRUE(echo->toPlainText().endsWith("$GPRMC,late"));

  Find<QPushButton>("btEchoClear")->click();
  EXPECT_TRUE(echo->toPlainText().isEmpty());
  page.ShowPass(Line("$GPGGA,next"));
  EXPECT_EQ(echo->toPlainText(), "$GPGGA,next");
}

TEST_F(ViewPageTest, AcknowledgementIndicatorsFollowTheSendAndTheReceiversAnswer) {
  ViewPage& page = window_->viewPage();
  auto* ack = Find<QRadioButton>("rbACK");
  auto* nack = Find<QRadioButton>("rbNACK");
  auto* state = Find<QLabel>("lbAckState");
  // Nothing looks acknowledged before anything was sent.
  EXPECT_FALSE(ack->isChecked());
  EXPECT_FALSE(nack->isChecked());
  EXPECT_EQ(state->text(), "");

  // A receiver that never answers: waiting until the reply time has passed on the clock.
  auto silent = std::make_unique<test::WriteRecordingPort>();
  const test::WriteRecordingPort& port = *silent;
  window_->conversation().AttachPort(std::move(silent));
  window_->conversation().SetActive(true);
  ASSERT_TRUE(page.commandArea().SelectCommand(kCmdQueryRevision));
  page.commandArea().SendClick();
  EXPECT_EQ(state->text(), kAckWaitingText);
  ASSERT_TRUE(test::WaitFor([&] { return !port.writes().empty(); }));
  clock_.advanceMs(kAnswerTimeoutMs - 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(state->text(), kAckWaitingText);
  clock_.advanceMs(1);
  ASSERT_TRUE(test::WaitFor([&] { return state->text() == "no answer in 3 s"; }));
  EXPECT_EQ(state->palette().color(QPalette::WindowText),
            ReadableTextColour(state, ToQColor(kAmber)));

  // Each ACK or NACK frame marks its indicator, in colour; a late one (here for another
  // command) takes back the "no answer".
  page.ShowPass(Reply(ReplyKind::Ack, 0x05));
  EXPECT_TRUE(ack->isChecked());
  EXPECT_FALSE(nack->isChecked());
  EXPECT_EQ(state->text(), "");
  EXPECT_EQ(ack->palette().color(QPalette::WindowText), ReadableTextColour(ack, ToQColor(kGreen)));
  page.ShowPass(Reply(ReplyKind::Nack, 0x05));
  EXPECT_TRUE(nack->isChecked());
  EXPECT_FALSE(ack->isChecked());
  EXPECT_EQ(nack->palette().color(QPalette::WindowText), ReadableTextColour(nack, ToQColor(kRed)));
  EXPECT_EQ(ack->palette().color(QPalette::WindowText),
            QApplication::palette(ack).color(QPalette::WindowText));

  // The next Send clears the mark and waits again; the earlier exchange has no say any more.
  QTest::mouseClick(Find<QPushButton>("btSend"), Qt::LeftButton);
  EXPECT_FALSE(ack->isChecked());
  EXPECT_FALSE(nack->isChecked());
  EXPECT_EQ(state->text(), kAckWaitingText);
}

TEST_F(ViewPageTest, RepliesAreShownInTheirFields) {
  ViewPage& page = window_->viewPage();
  RevisionBlock revision;
  revision.date = 0x00120708;  // bytes 08 07 12 00
  revision.time = 0x00153045;
  revision.crc = 0xBEEF;
  page.ShowPass(Reply(ReplyKind::Revision, 0x80, revision));
  EXPECT_EQ(Text("lbRevDate"), "12/07/08");
  EXPECT_EQ(Text("lbRevTime"), "15:30:45");
  EXPECT_EQ(Text("lbCRC"), "beef");
  // The send path's clear, with a port to send to.
  window_->conversation().AttachPort(std::make_unique<test::WriteRecordingPort>());
  ASSERT_TRUE(page.commandArea().SelectCommand(kCmdQueryRevision));
  page.commandArea().SendClick();
  EXPECT_EQ(Text("lbRevDate"), "");

  page.ShowPass(Reply(ReplyKind::ClockOffset, 0x82, ClockOffsetValue{0}));
  EXPECT_EQ(Text("lbClockOffSet"), "");

  const std::vector<uint8_t> nav = {1, 7, 0, 0, 0, 5, 7, 1, 2, 5, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
  page.ShowPass(Reply(ReplyKind::NavSettings, 0x86, ReplyPayload{nav}));
  const QString report = Find<QWidget>("moShowText")->property("plainText").toString();
  EXPECT_TRUE(report.contains("DGPS= Unknown"));
  EXPECT_TRUE(report.contains("Pulse Width= 100 us"));
  EXPECT_TRUE(report.contains("Power save = sleep"));

  PassValue beat;
  beat.heartbeat = 'X';
  page.ShowPass(beat);
  EXPECT_EQ(Text("sbStatusPanel0"), "X");
}

}  // namespace
}  // namespace vetra::ui
