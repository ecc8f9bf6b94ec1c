// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/dialogs/InsertTextDialog.h"

#include "common/Errors.h"
#include "shell/dialogs/DialogButtons.h"
#include "platform/Guard.h"
#include "shell/window/ToolsForm.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gs {

TForm1::TForm1(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Insert Text"));
  Edit1 = new QLineEdit(this);
  Edit1->setMinimumWidth(417);
  auto* ok = new QPushButton(QStringLiteral("Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok->setDefault(true);
  btnColor = new TColorSelector(this);
  btnColor->setText(QStringLiteral("Color"));
  btnColor->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QHBoxLayout* buttons = RightAlignedButtons({ok, cancel});
  buttons->insertWidget(0, btnColor);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Edit1);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));
  connect(cancel, &QPushButton::clicked, this, GuardedSlot([this] { Button2Click(); }));
  connect(btnColor, &QToolButton::clicked, this, GuardedSlot([this] { btnColorClick(); }));
  setFixedSize(QSize(446, 130).expandedTo(minimumSizeHint()));
}

TColor TForm1::TextColor() const { return btnColor->Color(); }

void TForm1::Button1Click() { accept(); }

void TForm1::Button2Click() { reject(); }

void TForm1::btnColorClick() {
  const std::optional<TColor> chosen = Dialogs().ChooseColor(TextColor());
  if (chosen) btnColor->SetColor(*chosen);
}

void TForm1::reject() {
  RunGuarded([this] { Edit1->clear(); });
  QDialog::reject();
}

bool TForm1::ShowModal() { return exec() == QDialog::Accepted && !Edit1->text().isEmpty(); }

bool TForm1::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Text") {
      Edit1->setText(QString::fromStdString(value));
    } else if (name == "Color") {
      // A press of the button: the colour itself is the colour dialog's answer.
      if (!value.empty()) throw Exception("Color is a button and takes no value, not \"" + value + "\"");
      btnColorClick();
    } else {
      throw Exception("The Insert Text dialog has no field \"" + name + "\"");
    }
  }
  if (answer.Ok) Button1Click();
  else Button2Click();
  return !Edit1->text().isEmpty();
}

}  // namespace gs
