// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/FilePreview.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>

#include <gtest/gtest.h>

#include <stdexcept>

namespace gs {
namespace {

void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "platform_qt_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

TEST(FilePreview, ThePaneShowsThePictureUnderTheCursorShrunkToFitOrNothing) {
  EnsureApplication();
  QFileDialog dialog;
  AddPreviewPane(dialog, [](const std::string& path) -> std::optional<TBitmap32> {
    if (path == "small.png") return TBitmap32(40, 20, 0xFF00FF00);
    if (path == "wide.png") return TBitmap32(800, 100, 0xFFFF0000);
    if (path == "broken.png") throw std::runtime_error("bad header");
    return std::nullopt;
  });
  auto* pane = dialog.findChild<QLabel*>(QStringLiteral("Preview"));
  ASSERT_NE(pane, nullptr);
  const struct {
    const char* Path;
    QSize Shown;  // 0 x 0: nothing shown
  } cases[] = {
      {"small.png", QSize(40, 20)},  // not enlarged
      {"wide.png", QSize(kPreviewSide, kPreviewSide / 8)},
      {"folder", QSize(0, 0)},
      {"broken.png", QSize(0, 0)},  // and nothing escapes into the event loop
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Path);
    emit dialog.currentChanged(QString::fromLatin1(c.Path));
    EXPECT_EQ(pane->pixmap().size(), c.Shown);
  }
  emit dialog.currentChanged(QStringLiteral("small.png"));
  EXPECT_EQ(pane->pixmap().toImage().pixel(5, 5), 0xFF00FF00u);
}

}  // namespace
}  // namespace gs
