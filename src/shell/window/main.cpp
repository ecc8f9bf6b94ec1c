// SPDX-License-Identifier: GPL-3.0-or-later
// Grimacer Studio: start-up, the command line, the batch mode and the start-up measurement.

#include "platform/Guard.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/TerminationSignals.h"
#include "shell/batch/Batch.h"
#include "shell/window/StartupProbe.h"
#include "shell/window/Studio.h"

#include <QApplication>
#include <QScreen>
#include <QSessionManager>
#include <QSettings>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

int main(int argc, char* argv[]) {
  const bool batch = argc >= 2 && std::strcmp(argv[1], "--batch") == 0;
  if (batch) {
    if (argc != 3) {
      std::fprintf(stderr, "usage: grimacer --batch SCRIPT\n");
      return 2;
    }
    // Nothing is shown in batch mode, so no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  if (batch) return gs::RunBatchFile(argv[2]);

  gs::TQtDialogs dialogs;
  gs::SetDialogs(&dialogs);
  gs::TSStudio studio;
  dialogs.SetOwner(&studio);
  gs::TTerminationSignals ending([&studio](int) { gs::RunGuarded([&studio] { studio.EndSessionKeepingWork(); }); });
  // A logout asks for the work first; whatever it does next, a copy of it is on disk.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &studio, [&studio](QSessionManager&) {
    gs::RunGuarded([&studio] {
      if (studio.Document().ImageLoaded() && studio.Document().History.Modified()) studio.WriteRecoveryNow();
    });
  });
  const bool probe = argc >= 2 && std::strcmp(argv[1], "--startup-probe") == 0;
  if (probe) {
    studio.SetSplashMinimumMs(0);
    // A question about a crashed session's copy would wait for a person before the first paint.
    studio.SetRecoveryAtStart(false);
    gs::QuitAfterFirstPaint(studio);
  }
  // Without a window manager "maximised" means nothing; start at the screen's size anyway.
  studio.resize(studio.screen()->availableGeometry().size());
  // The measurement starts as a first run does, with nothing remembered.
  if (!probe)
    studio.UseSettings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                   QStringLiteral("grimacer-studio"),
                                                   QStringLiteral("grimacer")));
  studio.showMaximized();
  if (argc >= 2 && !probe) {
    // Once the window has its final size, so that the picture is fitted to it.
    const std::string file = argv[1];
    QTimer::singleShot(0, &studio, [&studio, file] { gs::RunGuarded([&] { studio.OpenFile(file); }); });
  }
  return app.exec();
}
