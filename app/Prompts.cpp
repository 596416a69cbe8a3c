#include "app/Prompts.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

#include "app/Application.h"
#include "app/Hourglass.h"

namespace app {

TSaveAnswer AskSaveChangesBox(QWidget* parent, const QString& text) {
  TArrowWhileAsking arrow;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(ApplicationTitle), text,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return TSaveAnswer::Save;
    case QMessageBox::Discard:
      return TSaveAnswer::Discard;
    default:
      return TSaveAnswer::Cancel;
  }
}

bool AskDiscardChangesBox(QWidget* parent, const QString& text) {
  TArrowWhileAsking arrow;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(ApplicationTitle), text,
                  QMessageBox::Cancel, parent);
  const QPushButton* revert =
      box.addButton(QString::fromLatin1(msg::RevertButton), QMessageBox::DestructiveRole);
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  box.exec();
  return box.clickedButton() == revert;
}

bool AskOverwriteBox(QWidget* parent, const QString& text) {
  TArrowWhileAsking arrow;
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(ApplicationTitle), text,
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString ShownFileName(const QString& fileName) {
  return QFileInfo(fileName).fileName();
}

bool MayLetGo(bool modified, const QString& fileName,
              const std::function<TSaveAnswer(const QString& text)>& ask,
              const std::function<bool()>& save) {
  if (!modified) return true;
  switch (ask(QString::fromLatin1(msg::SaveChanges).arg(ShownFileName(fileName)))) {
    case TSaveAnswer::Discard:
      return true;
    case TSaveAnswer::Cancel:
      return false;
    case TSaveAnswer::Save:
      break;
  }
  try {
    return save();
  } catch (const std::exception& error) {
    ReportException(error);
    return false;
  }
}

}  // namespace app
