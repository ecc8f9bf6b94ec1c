// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the plug-in host tests share: where the modules are, scratch folders, pictures, a Qt
// application and the scripted dialog service.

#include "common/Bitmap32.h"
#include "platform/ScriptedDialogs.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace gs::test {

inline std::string TestModule(const std::string& name) { return std::string(GS_TEST_MODULES_DIR) + "/" + name; }
inline std::string ShippedFilters() { return GS_SHIPPED_FILTERS_DIR; }

inline void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "plugins_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: tearing Qt down after main has returned crashes in its input devices.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

// Declared as a fixture's first member, so that widget members find their application.
struct TQtFirst {
  TQtFirst() { EnsureQtApplication(); }
};

// A fresh folder, removed with everything in it at the end of the test.
class TScratchFolder {
public:
  TScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gs-plugins-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Path_ = pattern;
  }
  ~TScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Path_, ec);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return Path_; }
  std::string operator/(const std::string& name) const { return (Path_ / name).string(); }

private:
  std::filesystem::path Path_;
};

// Installs a scripted dialog service for one test; questions nobody answered fail the test.
class TDialogScope {
public:
  TDialogScope() : Previous_(SetDialogs(&Dialogs)) {}
  ~TDialogScope() { SetDialogs(Previous_); }
  TDialogScope(const TDialogScope&) = delete;
  TDialogScope& operator=(const TDialogScope&) = delete;
  TScriptedDialogs Dialogs;

private:
  TDialogs* Previous_;
};

// Stands in for the progress window: remembers what it was told.
struct TFakeProgressForm {
  bool Visible = false;
  QString Label;
  int Shown = 0;
  int Position = -1;
  int Maximum = -1;
  std::function<void()> OnStart;
  bool isVisible() const { return Visible; }
  void hide() { Visible = false; }
  void Start(const QString& label) {
    Label = label;
    Visible = true;
    ++Shown;
    if (OnStart) OnStart();
  }
  void SetProgress(int position, int maximum) {
    Position = position;
    Maximum = maximum;
  }
};

// Every pixel different: red, green and blue follow x, y and both; alpha varies too.
inline TBitmap32 Pattern(int width, int height) {
  TBitmap32 b(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      b.SetPixel(x, y, Color32(uint8_t(x * 7 + 3), uint8_t(y * 11 + 5), uint8_t(x * 3 + y * 5), uint8_t(200 + (x + y) % 50)));
  return b;
}

inline TBitmap32 LoadPicture(const std::string& path) {
  const QImage image = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) throw std::runtime_error("cannot read " + path);
  TBitmap32 b(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(b.ScanLine(y), image.constScanLine(y), size_t(image.width()) * 4);
  return b;
}

}  // namespace gs::test
