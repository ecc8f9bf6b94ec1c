#include "shell/InsertTextDialog.h"

#include "common/Errors.h"
#include "shell/DialogButtons.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gs {

TForm1::TForm1(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Insert Text"));
  resize(446, 130);
  Edit1 = new QLineEdit(this);
  Edit1->setMinimumWidth(417);
  auto* ok = new QPushButton(QStringLiteral("Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok->setDefault(true);
  QHBoxLayout* buttons = RightAlignedButtons({ok, cancel});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Edit1);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(cancel, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TForm1::Button1Click() { accept(); }

void TForm1::Button2Click() {
  Edit1->clear();
  reject();
}

bool TForm1::ShowModal() {
  exec();
  return !Edit1->text().isEmpty();
}

bool TForm1::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name != "Text") throw Exception("The Insert Text dialog has no field \"" + name + "\"");
    Edit1->setText(QString::fromStdString(value));
  }
  if (answer.Ok) Button1Click();
  else Button2Click();
  return !Edit1->text().isEmpty();
}

}  // namespace gs
