// The worksheet session: runs on its worker, the published plot page, the
// stop request and includes answered by the front end.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/macroman.h"
#include "fake_host.h"
#include "plot/draw.h"
#include "plot/recording_surface.h"
#include "session/worksheet_session.h"

namespace orv {
namespace {

std::string drawingOf(const PlotPage& page) {
  RecordingSurface surface;
  drawPage(page, surface);
  return surface.log();
}

TEST(WorksheetSession, RunsHandBackTextEditsStatusAndFaultPlace) {
  test::FakeHost host;
  WorksheetSession session(host);
  session.document().text = u"x = 3\nx * 2 =\n";
  RunResult ok = session.run();
  ASSERT_TRUE(ok.completed) << ok.error;
  EXPECT_EQ(session.document().text, u"x = 3\nx * 2 :6.00\n");
  EXPECT_EQ(ok.status, "\u221A");
  ASSERT_FALSE(ok.edits.empty());

  session.document().text = u"a = 1\n\nb = )\nc = 2\n";
  RunResult failed = session.run();
  ASSERT_TRUE(failed.completed);
  EXPECT_FALSE(failed.outcome.ok);
  EXPECT_EQ(failed.line, 3u);
  EXPECT_FALSE(failed.status.empty());
  EXPECT_NE(failed.status[0], ' ');
}

TEST(WorksheetSession, EachRunStartsWithTheStopRequestCleared) {
  test::FakeHost host;
  WorksheetSession session(host);
  session.document().text = u"1 + 1 =\n";
  session.requestStop();
  RunResult result = session.run();
  EXPECT_EQ(result.status, "\u221A");
  EXPECT_FALSE(result.stopped);
}

TEST(WorksheetSession, StopEndsALongRunAndTheSessionRunsAgain) {
  test::FakeHost host;
  WorksheetSession session(host);
  session.document().text = u"i := 0 ,, (i := i + 1) while i >= 0\n";
  ASSERT_TRUE(session.start());
  EXPECT_FALSE(session.start());  // one run at a time
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const auto asked = std::chrono::steady_clock::now();
  session.requestStop();
  session.wait();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
  session.document().text = u"2 * 2 =\n";
  EXPECT_EQ(session.run().status, "\u221A");
  EXPECT_EQ(session.document().text, u"2 * 2 :4.00\n");
}

TEST(WorksheetSession, IncludeTakesAnOpenDocumentBeforeTheFile) {
  test::FakeHost host;
  host.openDocuments["/nowhere/units.ov"] = u"inch = 25.4\n";
  WorksheetSession session(host);
  session.setDocumentPath("/nowhere/sheet.ov");
  session.document().text = u"include \"units.ov\"\n2 * inch =\n";
  RunResult result = session.run();
  EXPECT_EQ(result.status, "\u221A");
  EXPECT_EQ(session.document().text, u"include \"units.ov\"\n2 * inch :50.80\n");
}

// A window repaints the last page while the next run of the same document
// builds another one: the published page never changes under it.
TEST(WorksheetSession, ThePublishedPageDrawsTheSameWhileTheNextRunGoesOn) {
  test::FakeHost host;
  WorksheetSession session(host);
  session.document().text =
      u"Xmin = 0; Xmax = 10\nplot sin(X)\nm[i, j] = i * j dim[9, 9]\nimage m\n";
  ASSERT_TRUE(session.run().outcome.plot);
  std::shared_ptr<const PlotPage> first = session.plotPage();
  ASSERT_TRUE(first);
  EXPECT_TRUE(first->ctab.valid);
  const std::string before = drawingOf(*first);

  // The next run plots something else, then keeps going until stopped.
  session.document().text =
      u"Xmin = -5; Xmax = 5\nplot X^3\nNsteps = 30000\nplot cos(X)\n"
      u"i := 0 ,, (i := i + 1) while i >= 0\n";
  ASSERT_TRUE(session.start());
  for (int k = 0; k < 20; ++k) EXPECT_EQ(drawingOf(*first), before);
  EXPECT_EQ(session.plotPage(), first);
  session.requestStop();
  session.wait();
  std::shared_ptr<const PlotPage> second = session.plotPage();
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  EXPECT_NE(drawingOf(*second), before);
  EXPECT_EQ(drawingOf(*first), before);
}

TEST(WorksheetSession, LabelsAndSettingsGoBackIntoTheDocument) {
  test::FakeHost host;
  WorksheetSession session(host);
  DocSettings s;
  s.format = NumberFormat::kSci;
  s.places = 3;
  session.setSettings(s);
  session.document().slabels = {{0.25, 0.5}};
  session.document().text = u"plot X\nslabel \"peak\"\n1/3 =\n";
  RunResult result = session.run();
  ASSERT_EQ(result.status, "\u221A");
  ASSERT_EQ(session.document().slabels.size(), 1u);
  EXPECT_DOUBLE_EQ(session.document().slabels[0].x, 0.25);
  EXPECT_DOUBLE_EQ(session.document().slabels[0].y, 0.5);
  EXPECT_EQ(session.document().prefs.numfmt, 0);
  EXPECT_EQ(session.document().prefs.places, 3);
  EXPECT_NE(session.fileBytes(DocForm::kRtf).find("sci 3"), std::string::npos);
}

}  // namespace
}  // namespace orv
