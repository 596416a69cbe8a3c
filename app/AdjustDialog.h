// Palette > Adjust Hue, Saturation and Lightness: a slider and a number box
// for each of the three, in the 0..240 HLS units or, with Perceptual, in the
// OKLCh units of the adjust operation. The dialog only holds the numbers; the
// window applies them on every change and keeps or undoes the result.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <array>
#include <functional>

namespace app {

namespace msg {
inline constexpr const char* AdjustTitle = "Adjust Hue, Saturation and Lightness";
inline constexpr const char* AdjustHue = "&Hue:";
inline constexpr const char* AdjustSaturation = "&Saturation:";
inline constexpr const char* AdjustLightness = "&Lightness:";
inline constexpr const char* AdjustPerceptual = "&Perceptual";
}  // namespace msg

// The three shifts as the dialog shows them. HLS: each -240..240 on the 0..240
// scale. Perceptual: hue in degrees -360..360, lightness in points of OKLab L
// -100..100, saturation as a change of chroma in percent -100..100.
struct TAdjustValues {
  bool Perceptual = false;
  int Hue = 0, Saturation = 0, Lightness = 0;
  bool IsNone() const { return Hue == 0 && Saturation == 0 && Lightness == 0; }
  bool operator==(const TAdjustValues&) const = default;
};

// The range of each shift in the given units: hue, saturation, lightness.
struct TAdjustRange {
  int Hue, Saturation, Lightness;
};
TAdjustRange AdjustRange(bool perceptual);
// The same shifts in the other units, scaled by the ranges and rounded, so a
// switch keeps about the same change.
TAdjustValues ConvertAdjustValues(const TAdjustValues& values, bool perceptual);

class TAdjustDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TAdjustDialog(QWidget* parent = nullptr);

  const TAdjustValues& Values() const { return values_; }
  // Shows these values; reports them when they differ from the shown ones.
  void SetValues(const TAdjustValues& values);

  // Runs on every change of a value or of the units, with the new values, so
  // the window can show the result while the dialog is open.
  std::function<void(const TAdjustValues&)> OnChange;

  // One row per shift: hue, saturation, lightness.
  std::array<QLabel*, 3> labels{};
  std::array<QSlider*, 3> sliders{};
  std::array<QSpinBox*, 3> boxes{};
  QCheckBox* chkPerceptual = nullptr;
  QDialogButtonBox* buttons = nullptr;

 private:
  // Sets the controls' ranges and values from values_ without reporting.
  void ShowValues();
  void ValueChanged(int row, int value);

  TAdjustValues values_;
};

}  // namespace app
