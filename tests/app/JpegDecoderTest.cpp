// The About logo and what the decoder does with bytes that are not a picture.
#include "app/JpegDecoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <vector>
#include "AppTestSupport.h"

#include "app/AboutUnit.h"

namespace {

std::vector<uint8_t> LogoBytes() {
  QFile file(QStringLiteral(":/logo.jpg"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray data = file.readAll();
  return std::vector<uint8_t>(data.begin(), data.end());
}

}  // namespace

TEST(JpegDecoder, CompiledInLogoIs75By75WithColour) {
  const QImage logo = app::AboutLogo();
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.size(), QSize(75, 75));
  // The corners are white, the grid's first cell is red: decoding produced
  // the picture and not a grey fill.
  EXPECT_GT(qGray(logo.pixel(0, 0)), 240);
  const QColor cell = logo.pixelColor(14, 21);
  EXPECT_GT(cell.red(), 200);
  EXPECT_LT(cell.green(), 100);
}

TEST(JpegDecoder, BytesThatAreNotAJpegGiveANullPictureAndAMessage) {
  const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
  QString error;
  EXPECT_TRUE(app::DecodeJpeg(gif.data(), gif.size(), &error).isNull());
  EXPECT_FALSE(error.isEmpty());

  error.clear();
  EXPECT_TRUE(app::DecodeJpeg(nullptr, 0, &error).isNull());
  EXPECT_FALSE(error.isEmpty());
}

TEST(JpegDecoder, DamagedLogoNeverEndsTheProgram) {
  const std::vector<uint8_t> logo = LogoBytes();
  ASSERT_GT(logo.size(), 200u);
  // Cut short: libjpeg warns and pads; either outcome is fine as long as we
  // come back here.
  for (std::size_t keep : {std::size_t{2}, std::size_t{20}, std::size_t{200}, logo.size() / 2}) {
    const QImage cut = app::DecodeJpeg(logo.data(), keep);
    if (!cut.isNull()) {
      EXPECT_EQ(cut.size(), QSize(75, 75));
    }
  }
  // A frame header claiming a bad precision is fatal to libjpeg.
  std::vector<uint8_t> bad = logo;
  for (std::size_t i = 0; i + 4 < bad.size(); ++i) {
    if (bad[i] == 0xFF && bad[i + 1] == 0xC0) {
      bad[i + 4] = 3;  // sample precision
      break;
    }
  }
  QString error;
  EXPECT_TRUE(app::DecodeJpeg(bad.data(), bad.size(), &error).isNull());
  EXPECT_FALSE(error.isEmpty());
  // Scrambled entropy data still decodes to some picture of the right size.
  std::vector<uint8_t> noisy = logo;
  for (std::size_t i = noisy.size() / 2; i < noisy.size() - 2; i += 7) noisy[i] ^= 0x5A;
  const QImage scrambled = app::DecodeJpeg(noisy.data(), noisy.size());
  if (!scrambled.isNull()) {
    EXPECT_EQ(scrambled.size(), QSize(75, 75));
  }
}
