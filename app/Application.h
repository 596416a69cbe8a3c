// The application object: its title, and the one place that shows what a
// command threw, so no exception crosses Qt's event loop.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

namespace app {

inline constexpr const char* ApplicationTitle = "Tintwell";

// The text the error box shows for a message: a full stop is appended when the
// last character's code is above that of the full stop (0x2E), so sentences end
// with one while texts that already end in ".", "!" or a quote stay as they are.
QString ErrorBoxText(const QString& message);

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);

  // Qt's event delivery; whatever a handler lets escape is shown here instead
  // of ending the program.
  bool notify(QObject* receiver, QEvent* event) override;

  // Shows the error box for an exception a command raised.
  void HandleException(const std::exception& error);

  // The modal box: title, error icon, a single OK button. Tests replace it.
  std::function<void(const QString& title, const QString& text)> ShowErrorBox;
};

// Hands an exception to the running TApplication, or shows a plain box when the
// application object is some other QApplication.
void ReportException(const std::exception& error);

// Wraps a handler so that an exception it raises ends only that command and is
// shown as the event loop shows errors.
template <typename Handler>
auto Guarded(Handler handler) {
  return [handler](auto&&... args) {
    try {
      handler(std::forward<decltype(args)>(args)...);
    } catch (const std::exception& error) {
      ReportException(error);
    }
  };
}

}  // namespace app
