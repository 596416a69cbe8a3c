#include "app/StatusProgress.h"

#include <QCoreApplication>
#include <algorithm>

namespace app {

TStatusProgress::TStatusProgress(QStatusBar& statusBar) : bar_(&statusBar) {
  bar_.setRange(0, 100);
  bar_.setTextVisible(false);
  bar_.setFixedSize(120, 13);
  statusBar.addPermanentWidget(&bar_);
  bar_.hide();
}

void TStatusProgress::Notify(gif::TProgressStage stage, int percentDone) {
  bar_.show();
  bar_.setValue(stage == gif::TProgressStage::psStarting ? 0 : std::clamp(percentDone, 0, 100));
  bar_.repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TStatusProgress::TScope::TScope(TStatusProgress& progress, gif::TGraphic& graphic, bool large)
    : progress_(progress), graphic_(graphic), active_(large) {
  if (!active_) return;
  graphic_.OnProgress = [this](gif::TPersistent*, gif::TProgressStage stage, int percentDone, bool,
                               const gif::TRect&,
                               const std::string&) { progress_.Notify(stage, percentDone); };
  progress_.Notify(gif::TProgressStage::psStarting, 0);
}

TStatusProgress::TScope::~TScope() {
  if (!active_) return;
  graphic_.OnProgress = nullptr;
  progress_.bar_.hide();
}

}  // namespace app
