// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The row of buttons at the foot of the program's dialogs: pushed to the right, in the order
// given (Ok before Cancel).

#include <QHBoxLayout>
#include <QWidget>

#include <initializer_list>

namespace gs {

inline QHBoxLayout* RightAlignedButtons(std::initializer_list<QWidget*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QWidget* button : buttons) row->addWidget(button);
  return row;
}

}  // namespace gs
