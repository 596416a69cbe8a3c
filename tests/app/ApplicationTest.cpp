// The event loop's error box: its text rule and that every route a command's
// exception can take ends in it.
#include "app/Application.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>
#include <stdexcept>
#include "AppTestSupport.h"

#include "gif/Basics.h"

namespace {

struct Box {
  QString title, text;
  int shown = 0;
};

// Records the boxes the application shows while alive.
class BoxRecorder {
 public:
  BoxRecorder() : application_(qobject_cast<app::TApplication*>(qApp)) {
    saved_ = application_->ShowErrorBox;
    application_->ShowErrorBox = [this](const QString& title, const QString& text) {
      box.title = title;
      box.text = text;
      ++box.shown;
    };
  }
  ~BoxRecorder() { application_->ShowErrorBox = saved_; }
  Box box;

 private:
  app::TApplication* application_;
  std::function<void(const QString&, const QString&)> saved_;
};

}  // namespace

TEST(ErrorBoxText, AppendsFullStopOnlyAfterCharactersAbove0x2E) {
  EXPECT_EQ(app::ErrorBoxText("Premature end of data"), "Premature end of data.");
  EXPECT_EQ(app::ErrorBoxText("Loading..."), "Loading...");
  EXPECT_EQ(app::ErrorBoxText("Cannot open file \"x\""), "Cannot open file \"x\"");  // 0x22
  EXPECT_EQ(app::ErrorBoxText("code (7)"), "code (7)");                              // 0x29
  EXPECT_EQ(app::ErrorBoxText("ends in a comma,"), "ends in a comma,");              // 0x2C
  EXPECT_EQ(app::ErrorBoxText("ends in a minus-"), "ends in a minus-");              // 0x2D
  EXPECT_EQ(app::ErrorBoxText("a path /"), "a path /.");                             // 0x2F
  EXPECT_EQ(app::ErrorBoxText("count 0"), "count 0.");
  EXPECT_EQ(app::ErrorBoxText(QString::fromUtf8("caf\xc3\xa9")), QString::fromUtf8("caf\xc3\xa9."));
  EXPECT_EQ(app::ErrorBoxText(""), "");
}

TEST(TApplication, GuardedHandlerShowsTheMessageTitledTintwell) {
  BoxRecorder recorder;
  bool after = false;
  auto handler = app::Guarded([&](int value) {
    if (value > 0) throw gif::GIFException("Invalid GIF signature");
    after = true;
  });
  handler(1);
  EXPECT_EQ(recorder.box.shown, 1);
  EXPECT_EQ(recorder.box.title, "Tintwell");
  EXPECT_EQ(recorder.box.text, "Invalid GIF signature.");
  EXPECT_FALSE(after);
  handler(0);
  EXPECT_EQ(recorder.box.shown, 1);
  EXPECT_TRUE(after);
}

TEST(TApplication, ExceptionLeavingAnEventHandlerIsShownAndTheLoopGoesOn) {
  // A widget whose handler throws, reached through real event delivery.
  class Throwing : public QWidget {
   protected:
    bool event(QEvent* e) override {
      if (e->type() == QEvent::User) throw std::runtime_error("Stream read error");
      return QWidget::event(e);
    }
  };
  BoxRecorder recorder;
  Throwing widget;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&widget, &event);
  EXPECT_EQ(recorder.box.shown, 1);
  EXPECT_EQ(recorder.box.text, "Stream read error.");

  bool ranLater = false;
  QTimer::singleShot(0, [&] { ranLater = true; });
  QCoreApplication::processEvents();
  EXPECT_TRUE(ranLater);
}
