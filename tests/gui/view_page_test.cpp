// The View page as the receiver conversation's display, fed directly with pass values (the
// window thread is the caller here, as inside a hand-off).

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include "commands/catalogue.h"
#include "gui_support.h"
#include "ui/command_area.h"
#include "ui/main_window.h"
#include "ui/sky_view.h"

namespace vetra::ui {
namespace {

class ViewPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    settings_ = std::make_unique<test::TempSettings>("[Setup]\nEngineer=BRAMBLEX\n");
    TfmTop::Options options;
    options.settingsPath = settings_->path;
    options.scanSerialDevices = false;
    options.messages = &messages_;
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
    pass.lines.push_back({std::move(text), ParserKind::Nmea, 1});
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

  test::RecordingMessages messages_;
  std::unique_ptr<test::TempSettings> settings_;
  std::unique_ptr<TfmTop> window_;
};

TEST_F(ViewPageTest, PositionUpdateWritesTheTextsAndCharts) {
  window_->viewPage().ShowPass(Navigation(BinaryRecord(), DisplaySource::Nmea));
  EXPECT_EQ(Text("lbTime"), "2008/7/12\n15:3:9");
  EXPECT_EQ(Text("lbFix"), "2D");
  EXPECT_EQ(Find("lbFix")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
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

TEST_F(ViewPageTest, EchoKeepsTheNewestLinesAndShowsControlBytesAsDots) {
  ViewPage& page = window_->viewPage();
  for (int i = 0; i < ViewPage::kNmeaEchoLines + 100; ++i) {
    page.ShowPass(Line("$GPGGA," + std::to_string(i)));
  }
  auto* echo = Find<QPlainTextEdit>("moNMEA");
  EXPECT_EQ(echo->blockCount(), ViewPage::kNmeaEchoLines);
  EXPECT_TRUE(
      echo->toPlainText().endsWith("$GPGGA," + QString::number(ViewPage::kNmeaEchoLines + 99)));
  page.ShowPass(Line(std::string("%%\xf2\x01\x0d\x0a!", 7)));
  EXPECT_TRUE(echo->toPlainText().endsWith(QString::fromLatin1("%%\xf2...!")));
}

TEST_F(ViewPageTest, AcknowledgementsAndSendClearing) {
  ViewPage& page = window_->viewPage();
  auto* ack = Find<QRadioButton>("rbACK");
  auto* nack = Find<QRadioButton>("rbNACK");
  page.ShowPass(Reply(ReplyKind::Nack, 0x02));
  EXPECT_TRUE(nack->isChecked());
  EXPECT_FALSE(ack->isChecked());
  QTest::mouseClick(Find<QPushButton>("btSend"), Qt::LeftButton);
  EXPECT_FALSE(ack->isChecked());
  EXPECT_FALSE(nack->isChecked());
  page.ShowPass(Reply(ReplyKind::Ack, 0x02));
  EXPECT_TRUE(ack->isChecked());
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
