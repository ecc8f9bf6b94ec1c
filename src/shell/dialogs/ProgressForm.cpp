// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/ProgressForm.h"

#include <QApplication>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace gs {

TProgressForm::TProgressForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("ProgressForm"));
  lblProgress = new QLabel(this);
  lblProgress->setObjectName(QStringLiteral("lblProgress"));
  lblProgress->setAlignment(Qt::AlignCenter);
  ProgressBar = new QProgressBar(this);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setFixedSize(246, 12);
  ProgressBar->setTextVisible(false);
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addWidget(lblProgress);
  layout->addWidget(ProgressBar);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TProgressForm::Start(const QString& label) {
  lblProgress->setText(label);
  adjustSize();
  if (QWidget* owner = parentWidget()) {
    const QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - QPoint(width() / 2, height() / 2));
  }
  show();
  raise();
  activateWindow();
  lblProgress->repaint();
  setFocus();
}

void TProgressForm::SetProgress(int position, int maximum) {
  // A range of 0..0 would turn the bar into a busy indicator; a total of 0 shows an empty bar.
  if (maximum <= 0) {
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);
  } else {
    ProgressBar->setRange(0, maximum);
    ProgressBar->setValue(std::clamp(position, 0, maximum));
  }
  PaintOnlyPump();
}

void TProgressForm::PaintOnlyPump() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

TProgressShown::TProgressShown(TProgressForm& form, const QString& label)
    : Form_(form), Window_(QApplication::activeWindow()), Focus_(QApplication::focusWidget()) {
  Form_.Start(label);
}

TProgressShown::~TProgressShown() {
  Form_.hide();
  if (Window_ && Window_->isVisible()) {
    Window_->activateWindow();
    if (Focus_) Focus_->setFocus();
  }
}

}  // namespace gs
