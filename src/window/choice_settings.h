#pragma once

#include <memory>

#include "window/conversion_choices.h"

class QSettings;

namespace marvek {

// The settings the window keeps between runs: the user's own file of the program, in the
// desktop's configuration folder (~/.config/marvek/marvek.conf).
std::unique_ptr<QSettings> OpenWindowSettings();

// The choices kept in `settings`. What is missing, or cannot be used as it stands (a file edited
// by hand, or written by another version), reads as the choice the window starts with.
ConversionChoices LoadChoices(QSettings& settings);

// Keeps `choices` in `settings`, written to disk before this returns.
void SaveChoices(const ConversionChoices& choices, QSettings& settings);

}  // namespace marvek
