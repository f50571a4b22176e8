#pragma once
// The output controls the ICC and merge dialogs share: the bit-depth list, the size box
// with its "Default" text and its keys, and the save filter of an output profile.

#include <QString>
#include <string>

#include "core/LUTFormat.h"

class QComboBox;
class QKeyEvent;

namespace vorn::ui {

inline const QString kDefaultSize = QStringLiteral("Default");

// "Default", "8 bit", ... "16 bit", the first selected.
void FillBitsBox(QComboBox& box);
// -1 for "Default", else 8, 10, 12, 14 or 16.
int SelectedBitsOf(const QComboBox& box);

// The keys of an editable size box: a "Default" text is emptied before typing or on Delete;
// only digits (at most 5) and Backspace are accepted. Answers true when the key is
// swallowed.
bool FilterSizeBoxKey(QComboBox& box, QKeyEvent& key);

// The profile's name, "|*." and its extension.
std::string SaveFilterOf(const TLutOutputProfile& profile);

// "The PATH file is already exist. Are you sure want you to overwrite it?"
std::string OverwriteQuestion(const std::string& path);

}  // namespace vorn::ui
