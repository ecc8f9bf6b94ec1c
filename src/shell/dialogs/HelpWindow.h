// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// THelpWindow: the manual shown by the editor itself, for a desktop that has no browser to hand
// it to. Pages, their pictures and the links between them come from the HTML files of help/.

#include <QWidget>

#include <string>

class QTextBrowser;
class QToolButton;

namespace gs {

class THelpWindow : public QWidget {
  Q_OBJECT

public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the page at `path` (an HTML file), raises the window and gives it the focus.
  void ShowPage(const std::string& path);

  QTextBrowser* Browser = nullptr;
  QToolButton* BackButton = nullptr;
  QToolButton* ForwardButton = nullptr;
  QToolButton* HomeButton = nullptr;
};

}  // namespace gs
