// Times one step of the adjust dialog's slider in the real window: a
// 100-frame 1280x720 animation with a table of its own per frame, Recolour
// Every Table on, nothing selected (so every entry of every table follows the
// slider), the preview open. A step is what a drag does at each slider value:
// the adjustment of every table from the colours the dialog opened with, the
// grid and read-outs refreshed, the preview's frame composed again, and the
// paint events that follow. Reports the median, the time nine steps in ten
// stay within and the slowest of the steps, with the preview on its first and
// on its last frame.
//
//   QT_QPA_PLATFORM=offscreen tintwell_sliderbench [--steps N]

#include <QApplication>
#include <QFile>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "bench/Timing.h"
#include "gif/GIFImage.h"

namespace {

constexpr int kFrames = 100, kWidth = 1280, kHeight = 720;

// Smooth pixels, so the file is quick to write and read; random colours in
// each frame's table, as in the palette benchmarks.
void WriteAnimation(const QString& path) {
  gif::TGIFImage doc;
  std::mt19937 random(20261209u);
  doc.Header().Screen.ScreenWidth = kWidth;
  doc.Header().Screen.ScreenHeight = kHeight;
  for (int f = 0; f < kFrames; ++f) {
    auto frame = std::make_unique<gif::TGIFSubImage>(&doc);
    frame->Descriptor = gif::TImageDescriptor{0x2C, 0, 0, kWidth, kHeight, 0};
    frame->AllocatePixels();
    uint8_t* pixels = frame->PixelData();
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = uint8_t(x / 5 + y / 3 + f);
    for (int i = 0; i < 256; ++i) frame->LocalMap().AppendEntry(random() & 0xFFFFFF);
    doc.Frames().Append(std::move(frame));
  }
  doc.SaveFile(QFile::encodeName(path).toStdString());
}

struct TStepTimes {
  double Median = 0, Tenth = 0, Slowest = 0;  // Tenth: nine steps in ten take at most this
};

// Drags one slider of the open dialog over steps values and times each.
TStepTimes Drag(QSlider& slider, int steps) {
  std::vector<double> times;
  for (int i = 1; i <= steps; ++i) {
    const int value = (i % 2 == 0 ? 1 : -1) * (i * 7 % slider.maximum() + 1);
    times.push_back(bench::Seconds([&] {
      slider.setValue(value);
      QCoreApplication::processEvents();
    }));
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times[times.size() * 9 / 10], times.back()};
}

}  // namespace

int main(int argc, char** argv) {
  int steps = 60;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--steps") == 0) steps = std::max(5, std::atoi(argv[i + 1]));
  app::TApplication application(argc, argv);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("long.gif"));
  WriteAnimation(path);

  app::TfrmMain frm;
  frm.ShowOpenDialog = [&](const app::TFileDialog&) { return path; };
  frm.show();
  if (!QTest::qWaitForWindowExposed(&frm)) return 1;
  frm.actOpen.trigger();
  frm.actRecolourAll.setChecked(true);
  frm.actPreview.trigger();
  app::TfrmPreview& preview = *frm.Preview();
  if (!QTest::qWaitForWindowExposed(&preview)) return 1;

  std::printf(
      "adjust slider step, %d frames of %dx%d, a 256-colour table each, every table\n"
      "(median / nine in ten / slowest of %d steps a slider)\n",
      kFrames, kWidth, kHeight, steps);
  app::TAdjustDialog& dialog = frm.AdjustCommands().Dialog();
  for (const bool perceptual : {false, true}) {
    for (const int frame : {0, kFrames - 1}) {
      preview.ShowFrame(frame);
      TStepTimes hue, lightness;
      frm.ShowModal = [&](QDialog&) {
        dialog.chkPerceptual->setChecked(perceptual);
        hue = Drag(*dialog.sliders[0], steps);
        lightness = Drag(*dialog.sliders[2], steps);
        return int(QDialog::Rejected);
      };
      frm.AdjustCommands().actAdjust.trigger();
      std::printf(
          "  %-10s preview on frame %3d: hue %5.1f / %5.1f / %5.1f ms, "
          "lightness %5.1f / %5.1f / %5.1f ms\n",
          perceptual ? "perceptual" : "HLS", frame + 1, hue.Median * 1e3, hue.Tenth * 1e3,
          hue.Slowest * 1e3, lightness.Median * 1e3, lightness.Tenth * 1e3,
          lightness.Slowest * 1e3);
    }
  }
  // Keeping the result and taking it back: one undo step recorded, then
  // undone and redone, each with the window brought up to date.
  std::vector<double> keep, undo, redo;
  for (int round = 0; round < 5; ++round) {
    frm.ShowModal = [&](QDialog&) {
      dialog.sliders[0]->setValue(20 + round);
      return int(QDialog::Accepted);
    };
    keep.push_back(bench::Seconds([&] { frm.AdjustCommands().actAdjust.trigger(); }));
    undo.push_back(bench::Seconds([&] { frm.actUndo.trigger(); }));
    redo.push_back(bench::Seconds([&] { frm.actRedo.trigger(); }));
    frm.actUndo.trigger();
  }
  std::printf("  OK (one slider step and the undo step) %.1f ms, Undo %.1f ms, Redo %.1f ms\n",
              bench::Median(keep) * 1e3, bench::Median(undo) * 1e3, bench::Median(redo) * 1e3);
  return 0;
}
