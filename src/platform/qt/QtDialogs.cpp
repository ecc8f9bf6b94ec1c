// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtDialogs.h"

#include "platform/Guard.h"
#include "platform/qt/FilePreview.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace gs {

namespace {

QStringList SplitFilter(const std::string& filter) {
  return QString::fromStdString(filter).split(QLatin1Char('|'));
}

// The extension of the first pattern of a "*.ext" list, for the dialog's default suffix.
QString FirstExtension(const QString& nameFilter) {
  const int open = nameFilter.lastIndexOf(QLatin1Char('('));
  const QString first = nameFilter.mid(open + 1).chopped(1).section(QLatin1Char(' '), 0, 0);
  if (!first.startsWith(QLatin1String("*."))) return {};
  const QString ext = first.mid(2);
  return ext.contains(QLatin1Char('*')) ? QString() : ext;
}

std::optional<std::string> RunFileDialog(QWidget* owner, const TFileDialogRequest& request,
                                         bool save) {
  QFileDialog dialog(owner, QString::fromStdString(request.Title),
                     QString::fromStdString(request.InitialDir));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (request.Preview && !save) AddPreviewPane(dialog, request.Preview);
  const QStringList filters = QtNameFilters(request.Filter).split(QLatin1String(";;"));
  dialog.setNameFilters(filters);
  if (!request.OverwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (save) {
    dialog.setDefaultSuffix(QString::fromStdString(request.DefaultExt));
    // A name typed without an extension takes the kind chosen in the filter list.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      RunGuarded([&dialog, &f] {
        const QString ext = FirstExtension(f);
        if (!ext.isEmpty()) dialog.setDefaultSuffix(ext);
      });
    });
  }
  if (request.FilterIndex >= 0 && request.FilterIndex < filters.size()) {
    dialog.selectNameFilter(filters[request.FilterIndex]);
    // A name offered with its kind: a name typed over it without an extension keeps that kind.
    const QString ext = FirstExtension(filters[request.FilterIndex]);
    if (save && !request.FileName.empty() && !ext.isEmpty()) dialog.setDefaultSuffix(ext);
  }
  if (!request.FileName.empty()) dialog.selectFile(QString::fromStdString(request.FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

QString QtNameFilters(const std::string& filter) {
  const QStringList parts = SplitFilter(filter);
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const int open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')')))
      description = description.left(open).trimmed();
    // The desktop's own dialogs may match names in their letter case: PHOTO.JPG from a camera
    // must show under "*.jpg" too.
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& pattern : QStringList(patterns))
      if (pattern.toUpper() != pattern && !patterns.contains(pattern.toUpper())) patterns << pattern.toUpper();
    filters << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QLatin1String(";;"));
}

std::optional<std::string> TQtDialogs::OpenFile(const TFileDialogRequest& request) {
  return RunFileDialog(Owner_, request, false);
}

std::optional<std::string> TQtDialogs::SaveFile(const TFileDialogRequest& request) {
  return RunFileDialog(Owner_, request, true);
}

void TQtDialogs::ShowMessage(const std::string& text) {
  QMessageBox::information(Owner_, QString::fromLatin1(kAppCaption), QString::fromStdString(text),
                           QMessageBox::Ok);
}

bool TQtDialogs::AskYesNo(const std::string& text) {
  return QMessageBox::question(Owner_, QString::fromLatin1(kAppCaption),
                               QString::fromStdString(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

TSaveChanges TQtDialogs::AskSaveChanges(const std::string& text) {
  switch (QMessageBox::warning(Owner_, QString::fromLatin1(kAppCaption), QString::fromStdString(text),
                               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                               QMessageBox::Save)) {
    case QMessageBox::Save: return TSaveChanges::Save;
    case QMessageBox::Discard: return TSaveChanges::Discard;
    default: return TSaveChanges::Cancel;  // Escape and the window's close button too
  }
}

TRecoverChoice TQtDialogs::AskRecover(const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kAppCaption), QString::fromStdString(text),
                  QMessageBox::NoButton, Owner_);
  QPushButton* recover = box.addButton(QStringLiteral("Recover"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::DestructiveRole);
  box.setDefaultButton(recover);
  box.exec();
  // Escape and the close button recover: only Discard pressed deletes the work.
  return box.clickedButton() == discard ? TRecoverChoice::Discard : TRecoverChoice::Recover;
}

std::optional<TColor> TQtDialogs::ChooseColor(TColor initial) {
  const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
  const QColor chosen = QColorDialog::getColor(start, Owner_);
  if (!chosen.isValid()) return std::nullopt;
  return TColor(chosen.red()) | (TColor(chosen.green()) << 8) | (TColor(chosen.blue()) << 16);
}

std::optional<std::string> TQtDialogs::SelectFolder(const std::string& caption) {
  const QString folder = QFileDialog::getExistingDirectory(Owner_, QString::fromStdString(caption));
  if (folder.isEmpty()) return std::nullopt;
  return folder.toStdString();
}

std::optional<TFontChoice> TQtDialogs::ChooseFont(const TFontChoice& initial) {
  QFont start(QString::fromStdString(initial.Family), initial.PointSize);
  start.setBold(initial.Bold);
  start.setItalic(initial.Italic);
  start.setUnderline(initial.Underline);
  start.setStrikeOut(initial.StrikeOut);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, start, Owner_);
  if (!ok) return std::nullopt;
  TFontChoice result = initial;
  result.Family = chosen.family().toStdString();
  result.PointSize = chosen.pointSize() > 0 ? chosen.pointSize() : initial.PointSize;
  result.Bold = chosen.bold();
  result.Italic = chosen.italic();
  result.Underline = chosen.underline();
  result.StrikeOut = chosen.strikeOut();
  return result;
}

}  // namespace gs
