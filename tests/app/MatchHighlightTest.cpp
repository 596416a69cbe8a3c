// The grid outlines the swatches Start would change and the status bar counts
// them, while the From, To and tolerance fields change.
#include <gtest/gtest.h>
#include <QTest>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/MainUnit.h"

using apptest::Rgb;

namespace {

// Colours whose hue, lightness and saturation are exact: red, dark red, green,
// blue, grey, white, black, pink.
const std::vector<Rgb> Colours = {{255, 0, 0},     {128, 0, 0},     {0, 255, 0}, {0, 0, 255},
                                  {128, 128, 128}, {255, 255, 255}, {0, 0, 0},   {255, 128, 128}};

class MatchHighlight : public apptest::TWindowDriver {
 protected:
  void SetUp() override {
    TWindowDriver::SetUp();
    Open(apptest::WriteTempFile("match.gif", apptest::SinglePixelGif(Colours)));
    ASSERT_TRUE(frm.Loaded());
  }
  void TearDown() override {
    TWindowDriver::TearDown();
    EXPECT_TRUE(cancelBoxes.isEmpty());
  }

  // The indices whose swatch carries the black and white rings; an unmarked
  // swatch has its own colour up to the edge.
  std::vector<int> Outlined() {
    std::vector<int> marked;
    const QImage& picture = frm.imgColorMap.Picture();
    for (int i = 0; i < static_cast<int>(Colours.size()); ++i) {
      const int left = (i % 16) * 18, top = (i / 16) * 18;
      const QColor own(Colours[i].r, Colours[i].g, Colours[i].b);
      const QColor outer = picture.pixelColor(left, top + 8);
      const QColor inner = picture.pixelColor(left + 15 - 1, top + 8);
      if (outer == Qt::black && inner == Qt::white)
        marked.push_back(i);
      else
        EXPECT_TRUE(outer == own && inner == own) << "swatch " << i;
    }
    return marked;
  }

  // Start changes the document's entries at exactly these indices; Undo then
  // puts the palette back for the next case.
  void ExpectStartChangesExactly(const std::vector<int>& indices) {
    QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
    std::vector<int> changed;
    gif::TGIFColorMap& map = frm.Document().GlobalMap();
    for (int i = 0; i < map.EntryCount(); ++i)
      if (map.ReadEntry(i) != apptest::ToTColor(Colours[i])) changed.push_back(i);
    EXPECT_EQ(changed, indices);
    frm.actUndo.trigger();
  }
};

}  // namespace

TEST_F(MatchHighlight, OutlinesAndCountsWhatEachPassWouldChange) {
  // Nothing is counted before a pass is defined.
  EXPECT_EQ(Outlined(), std::vector<int>{});
  EXPECT_EQ(frm.MatchText(), "");

  Fields("0", "80", "", "", "", "");
  EXPECT_EQ(Outlined(), (std::vector<int>{0, 1, 7}));
  EXPECT_EQ(frm.MatchText(), "3 of 8 entries will change");

  // White and black match hue 160 too, but a new hue leaves them as they
  // are; the grey's lightness does not survive the round trip, so it changes.
  Fields("160", "0", "", "", "", "");
  EXPECT_EQ(Outlined(), (std::vector<int>{3, 4}));
  ExpectStartChangesExactly({3, 4});

  // Saturating the grey colours it; white stays.
  Fields("", "", "0", "240", "", "");
  EXPECT_EQ(Outlined(), (std::vector<int>{4, 6}));
  EXPECT_EQ(frm.MatchText(), "2 of 8 entries will change");
  ExpectStartChangesExactly({4, 6});

  Fields("", "", "", "", "120", "60");
  EXPECT_EQ(Outlined(), (std::vector<int>{0, 2, 3}));
  ExpectStartChangesExactly({0, 2, 3});

  // The tolerance widens the window; the passes run one after another, so the
  // lightness pass sees the colours the hue pass made.
  Fields("10", "80", "", "", "", "", 9);
  EXPECT_EQ(Outlined(), std::vector<int>{});
  frm.udTolerance.SetPosition(10);
  EXPECT_EQ(Outlined(), (std::vector<int>{0, 1, 7}));
  EXPECT_EQ(frm.MatchText(), "3 of 8 entries will change");
  ExpectStartChangesExactly({0, 1, 7});
}

TEST_F(MatchHighlight, NothingIsOutlinedWhenStartWouldRefuse) {
  Fields("0", "", "", "", "", "");
  EXPECT_EQ(Outlined(), std::vector<int>{});
  EXPECT_EQ(frm.MatchText(), "");
  Fields("0", "241", "", "", "", "");
  EXPECT_EQ(Outlined(), std::vector<int>{});
  EXPECT_EQ(frm.MatchText(), "");
  // A later pass's refusal stops Start after the earlier pass has run, so
  // the earlier pass's changes are what it will make.
  Fields("0", "80", "0", "300", "", "");
  EXPECT_EQ(Outlined(), (std::vector<int>{0, 1, 7}));
  EXPECT_EQ(frm.MatchText(), "3 of 8 entries will change");

  // Once the fields are fixed the outline returns, and it follows Start.
  Fields("0", "80", "", "", "", "");
  EXPECT_EQ(Outlined().size(), 3u);
  QTest::mouseClick(&frm.btnStart, Qt::LeftButton);
  EXPECT_EQ(frm.MatchText(), "0 of 8 entries will change");
  frm.actUndo.trigger();
  EXPECT_EQ(frm.MatchText(), "3 of 8 entries will change");
}

TEST_F(MatchHighlight, ClickingASwatchThenTypingOneToValueShowsWhatStartWillChange) {
  // The click fills all three From fields; no To value yet, nothing shown.
  QTest::mouseClick(&frm.imgColorMap, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
  EXPECT_EQ(frm.edtFromH.text(), "0");
  EXPECT_EQ(frm.edtFromS.text(), "240");
  EXPECT_EQ(Outlined(), std::vector<int>{});
  EXPECT_EQ(frm.MatchText(), "");

  // Typing only the To hue: Start runs the hue pass and shows a box for each
  // of the other two, so the outline shows the hue pass's changes.
  frm.edtToH.setFocus();
  QTest::keyClicks(&frm.edtToH, "80");
  EXPECT_EQ(Outlined(), (std::vector<int>{0, 1, 7}));
  EXPECT_EQ(frm.MatchText(), "3 of 8 entries will change");
  ExpectStartChangesExactly({0, 1, 7});
  EXPECT_EQ(cancelBoxes, QStringList({"Please enter new Saturation", "Please enter new Light"}));
  cancelBoxes.clear();
}
