// The status bar's progress bar follows the library's notifications during a
// large load and is gone afterwards, failure or not.
#include "app/StatusProgress.h"

#include <gtest/gtest.h>
#include <QStatusBar>
#include <vector>

#include "../gif/GifBytes.h"
#include "AppTestSupport.h"
#include "gif/Document.h"

namespace {

TEST(StatusProgress, FollowsALargeLoadFrameByFrameAndLeavesNoSubscriptionBehind) {
  using namespace giftest;
  const Bytes frames = Concat({Header(4, 4), PlainImage(2, 2), PlainImage(2, 2), PlainImage(2, 2),
                               PlainImage(2, 2), Bytes{0x3B}});
  const QString file = apptest::WriteTempFile("frames.gif", frames);
  const std::string name = file.toStdString();
  QStatusBar status;
  app::TStatusProgress progress(status);
  std::vector<int> values;
  bool shownWhileRunning = true;
  QObject::connect(&progress.Bar(), &QProgressBar::valueChanged, [&](int value) {
    values.push_back(value);
    shownWhileRunning = shownWhileRunning && !progress.Bar().isHidden();
  });

  gif::TGIFImage image;
  {
    app::TStatusProgress::TScope scope(progress, image, false);
    image.LoadFile(name);
  }
  EXPECT_TRUE(values.empty());  // a small file shows nothing
  EXPECT_FALSE(static_cast<bool>(image.OnProgress));

  {
    app::TStatusProgress::TScope scope(progress, image, true);
    image.LoadFile(name);
    EXPECT_FALSE(progress.Bar().isHidden());
  }
  EXPECT_TRUE(progress.Bar().isHidden());
  EXPECT_FALSE(static_cast<bool>(image.OnProgress));
  EXPECT_TRUE(shownWhileRunning);
  // From the start, one step per frame, never backwards, to the end.
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(values.front(), 0);
  for (std::size_t i = 1; i < values.size(); ++i) EXPECT_LT(values[i - 1], values[i]);
  EXPECT_EQ(values.back(), 100);

  // A load that fails part-way still ends the subscription and hides the bar.
  const QString broken =
      apptest::WriteTempFile("broken-frames.gif", Bytes(frames.begin(), frames.end() - 12));
  values.clear();
  {
    app::TStatusProgress::TScope scope(progress, image, true);
    EXPECT_ANY_THROW(image.LoadFile(broken.toStdString()));
  }
  EXPECT_FALSE(values.empty());
  EXPECT_TRUE(progress.Bar().isHidden());
  EXPECT_FALSE(static_cast<bool>(image.OnProgress));
}

}  // namespace
