// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window remembers from one run to the next: the folder its file dialogs last showed,
// the frame delay and the loop choice. They live in whichever QSettings store the caller hands
// over, so that tests can use a scratch one; the command line keeps nothing.

#include <QString>

class QSettings;

namespace gifloom {

// The names main gives the application; QSettings derives the store's place from them
// (~/.config/Grimacer Studio/Gifloom.conf on Linux).
inline constexpr const char* kOrganisationName = "Grimacer Studio";
inline constexpr const char* kProgramName = "Gifloom";

struct TAnimatorChoices {
  QString Folder;  // empty: none remembered
  int DelayCentiseconds = 0;
  bool Loop = true;
};

// Values missing from the store, or unusable (a delay outside 0 to 65535, say, after a hand
// edit), keep their defaults.
TAnimatorChoices LoadAnimatorChoices(const QSettings& settings);
void StoreFolder(QSettings& settings, const QString& folder);
void StoreDelay(QSettings& settings, int centiseconds);
void StoreLoop(QSettings& settings, bool loop);

}  // namespace gifloom
