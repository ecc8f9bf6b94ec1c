// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/AnimatorIcons.h"

#include <QPainter>
#include <QPixmap>

namespace gifloom {

namespace {

constexpr int kIconSize = 32;

QPixmap BlankPixmap() {
  QPixmap pixmap(kIconSize, kIconSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon AnimatorIcon() {
  QPixmap pixmap = BlankPixmap();
  QPainter painter(&pixmap);
  painter.fillRect(4, 2, 24, 28, QColor(40, 40, 48));
  for (int y = 4; y < 30; y += 5) {
    painter.fillRect(6, y, 3, 3, Qt::white);
    painter.fillRect(23, y, 3, 3, Qt::white);
  }
  painter.fillRect(11, 4, 10, 11, QColor(250, 190, 60));
  painter.fillRect(11, 17, 10, 11, QColor(90, 170, 240));
  return QIcon(pixmap);
}

QIcon HelpIcon() {
  QPixmap pixmap = BlankPixmap();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(QColor(50, 110, 200));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(2, 2, 28, 28);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(22);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("?"));
  return QIcon(pixmap);
}

}  // namespace gifloom
