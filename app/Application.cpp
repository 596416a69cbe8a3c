#include "app/Application.h"

#include <QMessageBox>
#include <stdexcept>

namespace app {

QString ErrorBoxText(const QString& message) {
  if (!message.isEmpty() && message.back().unicode() > 0x2E) return message + QLatin1Char('.');
  return message;
}

namespace {

void ShowCriticalOk(const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok);
  box.exec();
}

}  // namespace

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv), ShowErrorBox(ShowCriticalOk) {
  // Only the name: a display name would be appended to every window title.
  setApplicationName(QString::fromLatin1(ApplicationTitle));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    HandleException(error);
  } catch (...) {
    HandleException(std::runtime_error("Unknown error"));
  }
  return false;
}

void TApplication::HandleException(const std::exception& error) {
  const QString text = ErrorBoxText(QString::fromUtf8(error.what()));
  if (ShowErrorBox) ShowErrorBox(QString::fromLatin1(ApplicationTitle), text);
}

void ReportException(const std::exception& error) {
  if (auto* application = qobject_cast<TApplication*>(QCoreApplication::instance())) {
    application->HandleException(error);
    return;
  }
  ShowCriticalOk(QString::fromLatin1(ApplicationTitle),
                 ErrorBoxText(QString::fromUtf8(error.what())));
}

}  // namespace app
