// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The print command: the picture as shown (image and visible layers) on one page, as large as
// the printable area allows, aspect kept, centred.

#include "common/Bitmap32.h"
#include "platform/Dialogs.h"

#include <functional>

class QPainter;
class QRect;

class QPrinter;

namespace gs {

// Draws the whole of `picture`, stretched with linear sampling, into the part of `page` that
// fits its shape. An empty picture draws nothing.
void DrawFittedPicture(QPainter& painter, const QRect& page, const TBitmap32& picture);

// The print dialog as one of the program's forms, so scripts can answer it. Scripted fields:
// "Output File" (print into this PDF file instead of a printer) and "Copies".
class TPrintForm : public TModalForm {
public:
  explicit TPrintForm(QPrinter& printer) : Printer_(printer) {}
  std::string FormName() const override { return "Print"; }
  bool ShowModal() override;
  bool AnswerScripted(const TFormAnswer& answer) override;

private:
  QPrinter& Printer_;
};

// What the print command needs from the window.
struct TPrintSource {
  int Width = 0;   // the displayed image's size
  int Height = 0;
  std::function<void()> DeselectLayer;            // so no selection frame is printed
  std::function<void(TBitmap32&)> PaintView;      // image and layers over (0, 0, Width, Height)
};

// Asks the print dialog; on OK prints one page titled with the program's caption. The wait
// cursor shows while it works and is restored on errors too, which then reach the caller.
// False when the user cancelled.
bool RunPrint(QPrinter& printer, const TPrintSource& source);

}  // namespace gs
