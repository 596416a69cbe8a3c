// The questions the window asks before work could be lost: unsaved changes
// before the document goes away or is reverted, and a file changed by another
// program before Save overwrites it. The boxes are replaceable so tests answer them.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace app {

namespace msg {
// %1: the file's name without its folder.
inline constexpr const char* SaveChanges = "Save changes to %1?";
inline constexpr const char* DiscardChanges =
    "Discard the changes to %1 and go back to the saved file?";
// The button of the revert question that throws the changes away.
inline constexpr const char* RevertButton = "Revert";
inline constexpr const char* ChangedOnDisk =
    "%1 has changed on disk since it was opened. Overwrite it?";
// The status bar's mark while the palettes differ from the file.
inline constexpr const char* Modified = "Modified";
}  // namespace msg

enum class TSaveAnswer { Save, Discard, Cancel };

// "Save changes to NAME?" with Save (the default), Discard and Cancel; Escape
// and closing the box answer Cancel.
TSaveAnswer AskSaveChangesBox(QWidget* parent, const QString& text);
// "Discard the changes to NAME ...?" with Revert and Cancel (the default);
// Escape and closing the box answer Cancel. True when Revert was chosen.
bool AskDiscardChangesBox(QWidget* parent, const QString& text);
// A Yes/No question whose default, Escape and closing answer No.
bool AskOverwriteBox(QWidget* parent, const QString& text);

// The name the questions give a file: its last path component.
QString ShownFileName(const QString& fileName);

// Whether the document may be let go (closed or replaced by another file).
// Without unsaved changes it may, without asking. Otherwise ask decides:
// Discard lets go, Cancel keeps the document, Save lets go only when save
// reports that it wrote the file. An error save raises is shown as the event
// loop shows errors and keeps the document.
bool MayLetGo(bool modified, const QString& fileName,
              const std::function<TSaveAnswer(const QString& text)>& ask,
              const std::function<bool()>& save);

}  // namespace app
