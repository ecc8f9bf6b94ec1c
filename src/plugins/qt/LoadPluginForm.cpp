// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugins/qt/LoadPluginForm.h"

#include "common/Errors.h"
#include "platform/Guard.h"
#include "platform/qt/WaitCursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gs {

TLoadPluginForm::TLoadPluginForm(std::function<void(const std::string&, bool)> buildFilterMenu, QWidget* parent)
    : QDialog(parent), BuildFilterMenu_(std::move(buildFilterMenu)) {
  setWindowTitle(QStringLiteral("Load Filters"));
  auto* group = new QGroupBox(QStringLiteral("Plug-In Directory"), this);
  Edit1 = new QLineEdit(group);
  Edit1->setMinimumWidth(280);
  Button3 = new QPushButton(QStringLiteral("..."), group);
  QFont bold = Button3->font();
  bold.setBold(true);
  Button3->setFont(bold);
  Button3->setFixedWidth(Button3->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
  auto* row = new QHBoxLayout(group);
  row->addWidget(Edit1);
  row->addWidget(Button3);
  chkInclude = new QCheckBox(QStringLiteral("Include sub-directories"), this);
  chkInclude->setChecked(true);
  Button1 = new QPushButton(QStringLiteral("&Load"), this);
  Button2 = new QPushButton(QStringLiteral("&Cancel"), this);
  Button1->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(chkInclude);
  layout->addLayout(buttons);
  connect(Button3, &QPushButton::clicked, this, GuardedSlot([this] { Button3Click(); }));
  connect(Button1, &QPushButton::clicked, this, GuardedSlot([this] { Button1Click(); }));
  connect(Button2, &QPushButton::clicked, this, GuardedSlot([this] { Button2Click(); }));
}

void TLoadPluginForm::Button3Click() {
  const std::optional<std::string> folder = Dialogs().SelectFolder("Select your PS plugin directory");
  if (folder) Edit1->setText(QString::fromStdString(*folder));
}

void TLoadPluginForm::Button1Click() {
  const QString folder = Edit1->text();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
    TWaitCursor wait;
    BuildFilterMenu_(folder.toStdString(), chkInclude->isChecked());
  }
  accept();
}

void TLoadPluginForm::Button2Click() { reject(); }

bool TLoadPluginForm::ShowModal() { return exec() == QDialog::Accepted; }

bool TLoadPluginForm::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Plug-In Directory") {
      Edit1->setText(QString::fromStdString(value));
    } else if (name == "Include sub-directories") {
      if (value == "on" || value == "true" || value == "1") chkInclude->setChecked(true);
      else if (value == "off" || value == "false" || value == "0") chkInclude->setChecked(false);
      else throw Exception("Include sub-directories takes on or off, not \"" + value + "\"");
    } else if (name == "...") {
      Button3Click();
    } else {
      throw Exception("The Load Filters dialog has no field \"" + name + "\"");
    }
  }
  if (answer.Ok) Button1Click();
  else Button2Click();
  return result() == QDialog::Accepted;
}

}  // namespace gs
