#pragma once

#include <QString>

// Showing a file in the platform's file manager.
namespace FileReveal {

// The button title for the action ("Reveal in Finder" where there is a Finder).
QString actionTitle();
// Shows the file selected in its folder; opens the folder when that is not possible.
void reveal(const QString &path);

} // namespace FileReveal
