// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/HelpWindow.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace gs {

namespace {

QToolButton* Button(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap icon) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setText(text);
  button->setToolTip(text);
  button->setIcon(parent->style()->standardIcon(icon));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setEnabled(false);
  return button;
}

}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Grimacer Studio Help"));
  resize(820, 640);
  Browser = new QTextBrowser(this);
  Browser->setObjectName(QStringLiteral("HelpBrowser"));
  // Pages of the manual open here; addresses on the web go to whatever the desktop has.
  Browser->setOpenExternalLinks(true);
  BackButton = Button(this, "HelpBack", QStringLiteral("Back"), QStyle::SP_ArrowBack);
  ForwardButton = Button(this, "HelpForward", QStringLiteral("Forward"), QStyle::SP_ArrowForward);
  HomeButton = Button(this, "HelpHome", QStringLiteral("Contents"), QStyle::SP_DirHomeIcon);
  connect(BackButton, &QToolButton::clicked, Browser, &QTextBrowser::backward);
  connect(ForwardButton, &QToolButton::clicked, Browser, &QTextBrowser::forward);
  connect(HomeButton, &QToolButton::clicked, Browser, &QTextBrowser::home);
  connect(Browser, &QTextBrowser::backwardAvailable, BackButton, &QToolButton::setEnabled);
  connect(Browser, &QTextBrowser::forwardAvailable, ForwardButton, &QToolButton::setEnabled);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BackButton);
  buttons->addWidget(ForwardButton);
  buttons->addWidget(HomeButton);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(Browser);
}

void THelpWindow::ShowPage(const std::string& path) {
  // Contents goes back to the page asked for, not to whichever was asked for first.
  Browser->clearHistory();
  Browser->setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
  HomeButton->setEnabled(true);
  show();
  raise();
  activateWindow();
}

}  // namespace gs
