// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/AboutBox.h"

#include "common/Errors.h"
#include "shell/art/Artwork.h"
#include "platform/Guard.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace gs {

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QString::fromUtf8(kAppCaption));
  setFixedSize(kAboutWidth, kAboutHeight);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, kAboutWidth, kAboutHeight);
  Image1->setPixmap(QPixmap::fromImage(AboutArtwork()));

  Image2 = new QWidget(this);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setGeometry(kAboutWidth - 25, 0, 25, 25);
  Image2->setCursor(Qt::PointingHandCursor);
  Image2->installEventFilter(this);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setDefault(true);
  const int bw = 75, bh = 25;
  Button1->setGeometry((kAboutWidth - bw) / 2, kAboutHeight - bh - 10, bw, bh);
  connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));

  // Over the artwork's foot, left of OK: the box may go away for good without a menu to find.
  AtStart = new QCheckBox(QStringLiteral("Show the about box at start"), this);
  AtStart->setObjectName(QStringLiteral("AtStart"));
  AtStart->setChecked(true);
  AtStart->adjustSize();
  AtStart->move(10, kAboutHeight - AtStart->height() - 10 - (bh - AtStart->height()) / 2);
  AtStart->setAutoFillBackground(true);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}

bool TForm2::ShowAtStart() const { return AtStart->isChecked(); }
void TForm2::SetShowAtStart(bool show) { AtStart->setChecked(show); }

void TForm2::Image2Click() { reject(); }

void TForm2::Button1Click() { accept(); }

bool TForm2::ShowModal() {
  exec();
  return true;
}

bool TForm2::AnswerScripted(const TFormAnswer& answer) {
  if (!answer.Fields.empty())
    throw Exception("The About box has no field \"" + answer.Fields.front().first + "\"");
  if (answer.Ok) Button1Click();
  else Image2Click();
  return answer.Ok;
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image2 && event->type() == QEvent::MouseButtonPress) {
    RunGuarded([this] { Image2Click(); });
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ActivateAboutBox(TForm2& about, bool& aboutShown) {
  if (!aboutShown) {
    aboutShown = true;
    if (!about.ShowAtStart()) return;
    about.setModal(false);
    about.show();
  } else if (about.isVisible()) {
    about.close();
  }
}

void ShowAboutBox(TForm2& about) { Dialogs().RunForm(about); }

}  // namespace gs
