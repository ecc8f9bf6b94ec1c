// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/window/PrintPicture.h"

#include "common/Errors.h"
#include "export/Printing.h"
#include "platform/WholeNumber.h"
#include "platform/qt/WaitCursor.h"
#include "shell/view/BitmapImage.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRect>

#include <QPrintDialog>
#include <QPrinter>

#include <climits>
#include <string>

namespace gs {

void DrawFittedPicture(QPainter& painter, const QRect& page, const TBitmap32& picture) {
  TRect dest{};
  const TRect pageRect{page.left(), page.top(), page.left() + page.width(),
                       page.top() + page.height()};
  if (!FitRect(picture.BoundsRect(), pageRect, dest)) return;
  const QImage image = WrappedImage(picture);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter.drawImage(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), image);
  painter.restore();
}


bool TPrintForm::ShowModal() {
  QPrintDialog dialog(&Printer_, QApplication::activeWindow());
  return dialog.exec() == QDialog::Accepted;
}

bool TPrintForm::AnswerScripted(const TFormAnswer& answer) {
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Output File") {
      Printer_.setOutputFormat(QPrinter::PdfFormat);
      Printer_.setOutputFileName(QString::fromStdString(value));
    } else if (name == "Copies") {
      Printer_.setCopyCount(ParseWholeNumber(value, 1, INT_MAX, name));
    } else {
      throw Exception("The Print dialog has no field \"" + name + "\"");
    }
  }
  return answer.Ok;
}

bool RunPrint(QPrinter& printer, const TPrintSource& source) {
  TPrintForm form(printer);
  if (!Dialogs().RunForm(form)) return false;
  if (source.DeselectLayer) source.DeselectLayer();
  TBitmap32 picture(source.Width, source.Height);
  TWaitCursor wait;
  if (source.PaintView) source.PaintView(picture);
  printer.setDocName(QString::fromUtf8(kPrintJobTitle));
  QPainter painter;
  if (!painter.begin(&printer)) throw Exception("The printer could not start the print job");
  // The painter's origin is the printable area's corner, so the page is the device's own size.
  DrawFittedPicture(painter, QRect(0, 0, printer.width(), printer.height()), picture);
  if (!painter.end()) throw Exception("The printer could not finish the print job");
  return true;
}


}  // namespace gs
