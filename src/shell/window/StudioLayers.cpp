// SPDX-License-Identifier: GPL-3.0-or-later
// Picture layers in the main window: inserting clipart, talk bubbles and text, selecting,
// moving, resizing, rotating, warping, deleting and merging them.

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "platform/Dialogs.h"
#include "shell/view/BrushLayer.h"
#include "shell/art/Icons.h"
#include "shell/view/ImageView.h"
#include "shell/dialogs/InsertTextDialog.h"
#include "shell/view/LayerViews.h"
#include "shell/window/Studio.h"
#include "document/Layers.h"
#include "document/PictureFiles.h"
#include "document/Transparency.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>

#include <cmath>

namespace gs {

TCommandRows TSStudio::LayerCommands() {
  static const TCommandRow rows[] = {
      {.Name = "Clipart1", .Caption = "Clipart", .Handler = &TSStudio::Clipart1Click, .Icon = TIcon::InsertClipart,
       .Tip = "Insert Clipart", .Menu = {TMenu::Insert, 10}, .Palette = {1, 6, "SpeedButton14"},
       .Step = TRecordedStep{TChangeScope::Layers, "Clipart"}},
      {.Name = "TalkBubble1", .Caption = "Talk Bubble", .Handler = &TSStudio::TalkBubble1Click,
       .Menu = {TMenu::Insert, 11}, .Step = TRecordedStep{TChangeScope::Layers, "Talk Bubble"}},
      {.Name = "Text1", .Caption = "Text", .Handler = &TSStudio::Text1Click, .Icon = TIcon::TextTool,
       .Tip = "Text Tool", .Menu = {TMenu::Insert, 20}, .Palette = {0, 6, "SpeedButton13"},
       .Step = TRecordedStep{TChangeScope::Layers, "Text"}},
      {.Name = "DeleteLayer1", .Caption = "Delete", .Handler = &TSStudio::DeleteSelectedLayer, .Icon = TIcon::Delete,
       .Tip = "Delete", .Keys = {Key(QKeySequence::Delete)}, .Palette = {1, 0, "SpeedButton8"}, .Step = TRecordedStep{TChangeScope::Layers, "Delete Layer"},
       .Batch = "tool deletelayer"},
      {.Name = "RotateLayer1", .Caption = "Rotate Layer", .Handler = &TSStudio::RotateLayerTool,
       .Icon = TIcon::RotateLayer, .Tip = "Rotate Layer", .Palette = {0, 8, "sbtnRotateLayer"},
       .Needs = TNeeds::Layers, .Batch = "tool rotatelayer"},
  };
  return rows;
}

void TSStudio::RefreshLayers() {
  Doc.Frame.FollowChild();
  DstImg->update();
}

TPointF TSStudio::ViewportCenterInDocument() const {
  // The part of the view the scroll box shows, in view pixels.
  QWidget* port = sbxDstImg->viewport();
  const QRect viewport(DstImg->mapFromGlobal(port->mapToGlobal(QPoint(0, 0))), port->size());
  const QRect visible = viewport.intersected(DstImg->rect());
  const QRect area = visible.isEmpty() ? DstImg->rect() : visible;
  const QPoint c((area.left() + area.right() + 1) / 2, (area.top() + area.bottom() + 1) / 2);
  return ViewToPicture(c);
}

void TSStudio::SelectLayer(TRotatableLayer* layer) {
  gs::SelectLayer(Doc, layer);
  DstImg->update();
}

void TSStudio::CreateLayerFromPicture(const TBitmap32& picture) {
  const TPointF c = ViewportCenterInDocument();
  const int index = AddPictureLayer(Doc, picture, c.X, c.Y);
  SelectLayer(Doc.Layers()[size_t(index)].get());
  DstImg->update();
}

void TSStudio::Clipart1Click() { LoadClipart(FindDataItem(Folders_, kClipartFolder) + "/", ""); }

void TSStudio::TalkBubble1Click() { LoadClipart(FindDataItem(Folders_, kTalkBubblesFolder) + "/", "*"); }

void TSStudio::LoadClipart(const std::string& folder, const std::string& fileName) {
  EndTool();
  TFileDialogRequest request{"Open", OpenPictureFilter(), "", folder, false};
  if (!fileName.empty()) request.InitialDir = folder + fileName;
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  const TPictureSource source = ReadPictureSource(*file);
  const bool mayBeTransparent = AsksTransparentImage(source.Extension);
  const bool keyOut = mayBeTransparent && Dialogs().AskYesNo("Transparent Image?");
  TDecodedPicture decoded = DecodePictureSource(source, *file);
  TBitmap32 picture = std::move(decoded.Bitmap);
  // A picture with a transparent colour is keyed out on Yes and an opaque rectangle on No.
  if (decoded.TransparentColor) {
    MakeOpaque(picture);
    if (keyOut) KeyOutTransparent(picture, *decoded.TransparentColor);
  }
  const TColor32 outer = RgbOf(WinColorToColor32(Doc.TransparentColor));
  Doc.SourceBitmap.OuterColor = outer;
  picture.OuterColor = outer;
  CreateLayerFromPicture(picture);
}

void TSStudio::Text1Click() {
  const std::optional<TFontChoice> font = Dialogs().ChooseFont(TextFont_);
  if (!font) return;
  TextFont_ = *font;
  Form1->Edit1->clear();
  if (!Dialogs().RunForm(*Form1) || Form1->Edit1->text().isEmpty()) return;
  const QString text = Form1->Edit1->text();
  try {
    QFont qfont(QString::fromStdString(TextFont_.Family), TextFont_.PointSize);
    qfont.setBold(TextFont_.Bold);
    qfont.setItalic(TextFont_.Italic);
    qfont.setUnderline(TextFont_.Underline);
    qfont.setStrikeOut(TextFont_.StrikeOut);
    const QFontMetrics metrics(qfont);
    // Room below and to the right keeps descenders and slanted glyphs inside the picture.
    const int height = metrics.height() + 5;
    const int width = metrics.horizontalAdvance(text) + 15;
    // Qt's glyph blending leaves premultiplied values even in a straight-alpha image, which
    // darkens the edges of coloured text; painting premultiplied and converting once is exact.
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.setFont(qfont);
      painter.setPen(QColor::fromRgb(WinColorToColor32(Form1->TextColor())));
      painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop, text);
    }
    image.convertTo(QImage::Format_ARGB32);
    TBitmap32 picture(width, height);
    for (int y = 0; y < height; ++y) {
      const auto* from = reinterpret_cast<const TColor32*>(image.constScanLine(y));
      std::copy(from, from + width, picture.ScanLine(y));
    }
    CreateLayerFromPicture(picture);
  } catch (...) {
    EndTool();
    throw;
  }
}

void TSStudio::ShowAllLayers(bool visible) {
  gs::ShowAllLayers(Doc, visible);
  DstImg->update();
}

void TSStudio::FlattenLayers() {
  if (gs::FlattenLayers(Doc)) RefreshView();
  else DstImg->update();
}

void TSStudio::DeleteSelectedLayer() {
  DeleteLayer(Doc, Doc.Selection().Index());
  EndTool();
  activateWindow();
  ShowAllLayers(true);
  ShowBrushOutline(false);
  DstImg->update();
}

void TSStudio::RotateLayerTool() {
  if (!Doc.ImageLoaded() || Doc.Layers().empty()) return;
  const TToolMode mode = Doc.ToolMode;
  if (IsPictureBrush(mode)) {
    // The strokes stay in the mesh; only the brush's bar and outline go.
    Doc.MirrorBitmap = Doc.ViewBitmap;
    HideMirror();
    ShowAllLayers(true);
    ToolBar2->hide();
    ShowBrushOutline(false);
  } else if (mode != TToolMode::None && mode != TToolMode::ArrangeLayers) {
    EndTool();
  }
  Doc.ToolMode = TToolMode::ArrangeLayers;
  SyncRepeatTimers();
  ShowToolCursor();
  activateWindow();
  DstImg->update();
}

}  // namespace gs
