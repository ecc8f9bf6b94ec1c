// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/QtDesktopServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace gifloom {

QStringList TQtDesktopServices::AskOpenFileNames(const TOpenFilesRequest& request) {
  QFileDialog dialog(Owner_, request.Title, request.Folder);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilter(request.NameFilter);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

std::optional<QString> TQtDesktopServices::AskSaveFileName(const TSaveFileRequest& request) {
  QFileDialog dialog(Owner_, request.Title, request.Folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(request.NameFilter);
  dialog.setDefaultSuffix(request.DefaultSuffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

void TQtDesktopServices::ShowMessage(TMessageIcon icon, const QString& title, const QString& text) {
  const QMessageBox::Icon boxIcon =
      icon == TMessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
  QMessageBox box(boxIcon, title, text, QMessageBox::Ok, Owner_);
  box.exec();
}

TSaveChanges TQtDesktopServices::AskSaveChanges(const QString& title, const QString& text) {
  switch (QMessageBox::warning(Owner_, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                               QMessageBox::Save)) {
    case QMessageBox::Save: return TSaveChanges::Save;
    case QMessageBox::Discard: return TSaveChanges::Discard;
    default: return TSaveChanges::Cancel;  // Escape and the box's close button too
  }
}

bool TQtDesktopServices::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

}  // namespace gifloom
