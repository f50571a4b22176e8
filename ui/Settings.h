#pragma once
// What the window remembers between runs, per user: the folders, the dialogs' choices and
// the window's layout. QSettings under the organisation "Vorn" and the program's name, in
// the user's configuration folder; tests and tools point them at a folder of their own.

#include <QString>

class QAbstractButton;
class QByteArray;
class QComboBox;

namespace vorn::ui {

struct TRememberedFolders;

// Every later QSettings of this process reads and writes below folder.
void RedirectSettings(const QString& folder);

TRememberedFolders LoadFolders();
void SaveFolders(const TRememberedFolders& folders);

// A box's choice is kept by its text: profile names outlive their place in the list. An
// editable box gets the text back as typed; another selects the item with that text, and
// keeps its choice when the text is no longer offered.
void SaveChoice(const QString& key, const QComboBox& box);
void RestoreChoice(const QString& key, QComboBox& box);

// The output profile, size and bits boxes of a dialog, under group. The profile is restored
// first, since choosing it resets the other two.
void SaveOutputChoice(const QString& group, const QComboBox& profile, const QComboBox& size,
                      const QComboBox& bits);
void RestoreOutputChoice(const QString& group, QComboBox& profile, QComboBox& size,
                         QComboBox& bits);

void SaveChecked(const QString& key, const QAbstractButton& button);
void RestoreChecked(const QString& key, QAbstractButton& button);

// A number, 0 when none is kept.
void SaveNumber(const QString& key, double number);
double LoadNumber(const QString& key);

// Opaque layout states (window geometry, splitter, list header); empty when none is kept.
void SaveState(const QString& key, const QByteArray& state);
QByteArray LoadState(const QString& key);

}  // namespace vorn::ui
