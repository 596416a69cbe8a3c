#include "app/AdjustDialog.h"

#include <QGridLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace app {

namespace {

int& Field(TAdjustValues& values, int row) {
  return row == 0 ? values.Hue : row == 1 ? values.Saturation : values.Lightness;
}

int Limit(const TAdjustRange& range, int row) {
  return row == 0 ? range.Hue : row == 1 ? range.Saturation : range.Lightness;
}

}  // namespace

TAdjustRange AdjustRange(bool perceptual) {
  return perceptual ? TAdjustRange{360, 100, 100} : TAdjustRange{240, 240, 240};
}

TAdjustValues ConvertAdjustValues(const TAdjustValues& values, bool perceptual) {
  if (values.Perceptual == perceptual) return values;
  const TAdjustRange from = AdjustRange(values.Perceptual), to = AdjustRange(perceptual);
  TAdjustValues converted = values;
  converted.Perceptual = perceptual;
  for (int row = 0; row < 3; ++row) {
    const double scaled = Field(converted, row) * double(Limit(to, row)) / Limit(from, row);
    Field(converted, row) = static_cast<int>(std::lround(scaled));
  }
  return converted;
}

TAdjustDialog::TAdjustDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromLatin1(msg::AdjustTitle));
  auto* grid = new QGridLayout;  // owned by the outer layout
  const char* captions[] = {msg::AdjustHue, msg::AdjustSaturation, msg::AdjustLightness};
  for (int row = 0; row < 3; ++row) {
    labels[row] = new QLabel(QString::fromLatin1(captions[row]), this);
    sliders[row] = new QSlider(Qt::Horizontal, this);
    sliders[row]->setMinimumWidth(240);
    boxes[row] = new QSpinBox(this);
    labels[row]->setBuddy(boxes[row]);
    grid->addWidget(labels[row], row, 0);
    grid->addWidget(sliders[row], row, 1);
    grid->addWidget(boxes[row], row, 2);
    connect(sliders[row], &QSlider::valueChanged, this,
            [this, row](int value) { ValueChanged(row, value); });
    connect(boxes[row], &QSpinBox::valueChanged, this,
            [this, row](int value) { ValueChanged(row, value); });
  }
  chkPerceptual = new QCheckBox(QString::fromLatin1(msg::AdjustPerceptual), this);
  connect(chkPerceptual, &QCheckBox::toggled, this,
          [this](bool perceptual) { SetValues(ConvertAdjustValues(values_, perceptual)); });
  buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);  // owned by the dialog
  layout->addLayout(grid);
  layout->addWidget(chkPerceptual);
  layout->addWidget(buttons);
  ShowValues();
}

void TAdjustDialog::SetValues(const TAdjustValues& values) {
  const TAdjustRange range = AdjustRange(values.Perceptual);
  TAdjustValues clamped = values;
  for (int row = 0; row < 3; ++row)
    Field(clamped, row) = std::clamp(Field(clamped, row), -Limit(range, row), Limit(range, row));
  if (clamped == values_) return;
  values_ = clamped;
  ShowValues();
  if (OnChange) OnChange(values_);
}

void TAdjustDialog::ShowValues() {
  const TAdjustRange range = AdjustRange(values_.Perceptual);
  // The perceptual hue is in degrees, its other two in percent.
  const char* suffixes[] = {"\u00B0", "%", "%"};
  for (int row = 0; row < 3; ++row) {
    const QSignalBlocker quietSlider(sliders[row]);
    const QSignalBlocker quietBox(boxes[row]);
    sliders[row]->setRange(-Limit(range, row), Limit(range, row));
    boxes[row]->setRange(-Limit(range, row), Limit(range, row));
    boxes[row]->setSuffix(values_.Perceptual ? QString::fromUtf8(suffixes[row]) : QString());
    sliders[row]->setValue(Field(values_, row));
    boxes[row]->setValue(Field(values_, row));
  }
  const QSignalBlocker quiet(chkPerceptual);
  chkPerceptual->setChecked(values_.Perceptual);
}

void TAdjustDialog::ValueChanged(int row, int value) {
  TAdjustValues changed = values_;
  Field(changed, row) = value;
  SetValues(changed);
}

}  // namespace app
