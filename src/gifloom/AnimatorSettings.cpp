// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/AnimatorSettings.h"

#include <QSettings>

namespace gifloom {

namespace {

const QString kFolderKey = QStringLiteral("LastFolder");
const QString kDelayKey = QStringLiteral("FrameDelay");
const QString kLoopKey = QStringLiteral("Loop");
constexpr int kMaxDelay = 65535;

}  // namespace

TAnimatorChoices LoadAnimatorChoices(const QSettings& settings) {
  TAnimatorChoices choices;
  choices.Folder = settings.value(kFolderKey).toString();
  bool isNumber = false;
  const int delay = settings.value(kDelayKey).toInt(&isNumber);
  if (isNumber && delay >= 0 && delay <= kMaxDelay) choices.DelayCentiseconds = delay;
  const QVariant loop = settings.value(kLoopKey);
  if (loop.canConvert<bool>()) choices.Loop = loop.toBool();
  return choices;
}

void StoreFolder(QSettings& settings, const QString& folder) {
  settings.setValue(kFolderKey, folder);
}

void StoreDelay(QSettings& settings, int centiseconds) {
  settings.setValue(kDelayKey, centiseconds);
}

void StoreLoop(QSettings& settings, bool loop) { settings.setValue(kLoopKey, loop); }

}  // namespace gifloom
