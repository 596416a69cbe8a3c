// The Adjust Hue, Saturation and Lightness dialog and the colour table
// chooser, driven as the user drives them.
#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/AdjustDialog.h"
#include "app/TableChooser.h"

using app::TAdjustValues;

TEST(AdjustDialog, ReportsEveryChangeInTheUnitsShownAndCancelsOnEscape) {
  app::TAdjustDialog dialog;
  std::vector<TAdjustValues> reported;
  dialog.OnChange = [&](const TAdjustValues& v) { reported.push_back(v); };
  EXPECT_EQ(dialog.sliders[0]->maximum(), 240);
  EXPECT_EQ(dialog.boxes[1]->minimum(), -240);

  dialog.sliders[0]->setValue(30);  // hue by its slider
  dialog.boxes[2]->setValue(-48);   // lightness by its number box
  EXPECT_EQ(dialog.boxes[0]->value(), 30);
  EXPECT_EQ(dialog.sliders[2]->value(), -48);
  dialog.sliders[1]->setValue(999);  // saturation clamped to its range
  ASSERT_EQ(reported.size(), 3u);
  EXPECT_EQ(reported[0], (TAdjustValues{false, 30, 0, 0}));
  EXPECT_EQ(reported[2], (TAdjustValues{false, 30, 240, -48}));

  // Perceptual: degrees and percent, the shifts carried over by their ranges.
  dialog.chkPerceptual->setChecked(true);
  ASSERT_EQ(reported.size(), 4u);
  EXPECT_EQ(reported.back(), (TAdjustValues{true, 45, 100, -20}));
  EXPECT_EQ(dialog.sliders[0]->maximum(), 360);
  EXPECT_EQ(dialog.boxes[2]->minimum(), -100);
  EXPECT_EQ(dialog.boxes[0]->suffix(), QString::fromUtf8("\u00B0"));
  dialog.chkPerceptual->setChecked(false);
  EXPECT_EQ(reported.back(), (TAdjustValues{false, 30, 240, -48}));

  // Escape, and the Cancel button, reject; OK accepts.
  QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  QTimer::singleShot(0, &dialog,
                     [&] { dialog.buttons->button(QDialogButtonBox::Cancel)->click(); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  QTimer::singleShot(0, &dialog, [&] { dialog.buttons->button(QDialogButtonBox::Ok)->click(); });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(reported.size(), 5u);
}

TEST(TableChooser, SearchesStepsAndFindsAFramesTable) {
  std::vector<app::TTableEntry> tables = {{-1, "Global (256 colours)"}};
  for (int f : {0, 1, 11, 111}) tables.push_back({f, QString("Frame %1 (16 colours)").arg(f + 1)});

  EXPECT_EQ(app::SteppedTable(tables, 1, +1), 11);
  EXPECT_EQ(app::SteppedTable(tables, 1, -1), 0);
  EXPECT_EQ(app::SteppedTable(tables, 111, +1), 111);  // stops at the end
  EXPECT_EQ(app::SteppedTable(tables, -1, -1), -1);
  EXPECT_EQ(app::SteppedTable(tables, 7, +1), -1);  // not listed: the first
  EXPECT_EQ(app::SteppedTable({}, 0, 1), std::nullopt);
  EXPECT_EQ(app::TableOfFrame(tables, 11), 11);
  EXPECT_EQ(app::TableOfFrame(tables, 5), -1);  // no table of its own
  EXPECT_EQ(app::TableOfFrame({{3, "Frame 4"}}, 5), std::nullopt);

  app::TTableChooser chooser;
  std::vector<int> chosen;
  chooser.Chosen = [&](int frame) { chosen.push_back(frame); };
  chooser.SetTables(tables, 11);
  EXPECT_EQ(chooser.Current(), 11);
  // "12" matches frames 12 and 112; the frame of that number comes first.
  QTest::keyClicks(&chooser.edtFind, "12");
  EXPECT_EQ(chooser.Listed(), (std::vector<int>{11, 111}));
  EXPECT_EQ(chooser.Current(), 11);
  QTest::keyClick(&chooser.edtFind, Qt::Key_Down);
  EXPECT_EQ(chooser.Current(), 111);
  QTest::keyClick(&chooser.edtFind, Qt::Key_Return);
  EXPECT_EQ(chosen, std::vector<int>{111});
  // A search that leaves nothing picks nothing.
  QTest::keyClicks(&chooser.edtFind, "x");
  EXPECT_EQ(chooser.Listed(), std::vector<int>{});
  QTest::keyClick(&chooser.edtFind, Qt::Key_Return);
  EXPECT_EQ(chosen.size(), 1u);
  // Listing again clears the search.
  chooser.SetTables(tables, -1);
  EXPECT_EQ(chooser.Listed().size(), 5u);
  EXPECT_EQ(chooser.Current(), -1);

  bool follow = false;
  chooser.FollowChanged = [&](bool on) { follow = on; };
  chooser.chkFollow.click();
  EXPECT_TRUE(follow);
}
