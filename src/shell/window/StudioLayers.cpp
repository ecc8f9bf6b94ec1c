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
#include "shell/window/ToolsForm.h"
#include "shell/view/LayerViews.h"
#include "shell/window/Studio.h"
#include "document/Layers.h"
#include "document/PictureFiles.h"
#include "document/Transparency.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QToolBar>

#include <cmath>
#include <filesystem>

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
      // A text layer keeps its line until merged: drawn again from the dialog, in place.
      {.Name = "EditText1", .Caption = "Edit Text...", .Handler = &TSStudio::EditTextClick, .Menu = {TMenu::Insert, 21},
       .Needs = TNeeds::SelectedLayer, .Also = &TSStudio::SelectedLayerIsText,
       .Step = TRecordedStep{TChangeScope::Layers, "Edit Text"}},
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

namespace {

// Clipart as it would come in, with its transparent colour keyed out; nothing for a file too
// large to decode while the user only looks through the folder.
std::optional<TBitmap32> ClipartPreview(const std::string& path) {
  constexpr uintmax_t kLargestPreviewed = 32u << 20;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::file_size(path, ec) > kLargestPreviewed || ec)
    return std::nullopt;
  const TPictureSource source = ReadPictureSource(path);
  TDecodedPicture decoded = DecodePictureSource(source, path);
  if (decoded.TransparentColor) {
    MakeOpaque(decoded.Bitmap);
    KeyOutTransparent(decoded.Bitmap, *decoded.TransparentColor);
  }
  return std::move(decoded.Bitmap);
}

}  // namespace

void TSStudio::LoadClipart(const std::string& folder, const std::string& fileName) {
  EndTool();
  TFileDialogRequest request{"Open", OpenPictureFilter(), "", folder, false};
  request.Preview = ClipartPreview;
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

namespace {

TLayerText LayerTextOf(const QString& text, const TFontChoice& font, TColor color) {
  return TLayerText{text.toStdString(), font.Family, font.PointSize, font.Bold, font.Italic, font.Underline,
                    font.StrikeOut, color};
}

// The line drawn in its font and ink on a transparent picture just large enough for it.
TBitmap32 DrawText(const TLayerText& source) {
  const QString text = QString::fromStdString(source.Text);
  QFont qfont(QString::fromStdString(source.Family), source.PointSize);
  qfont.setBold(source.Bold);
  qfont.setItalic(source.Italic);
  qfont.setUnderline(source.Underline);
  qfont.setStrikeOut(source.StrikeOut);
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
    painter.setPen(QColor::fromRgb(WinColorToColor32(source.Color)));
    painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop, text);
  }
  image.convertTo(QImage::Format_ARGB32);
  TBitmap32 picture(width, height);
  for (int y = 0; y < height; ++y) {
    const auto* from = reinterpret_cast<const TColor32*>(image.constScanLine(y));
    std::copy(from, from + width, picture.ScanLine(y));
  }
  return picture;
}

}  // namespace

void TSStudio::Text1Click() {
  const std::optional<TFontChoice> font = Dialogs().ChooseFont(TextFont_);
  if (!font) return;
  TextFont_ = *font;
  Form1->Edit1->clear();
  Form1->Edit1->setFont(QFont());
  if (!Dialogs().RunForm(*Form1) || Form1->Edit1->text().isEmpty()) return;
  try {
    const TLayerText source = LayerTextOf(Form1->Edit1->text(), TextFont_, Form1->TextColor());
    CreateLayerFromPicture(DrawText(source));
    Doc.Layers().back()->Text = source;
  } catch (...) {
    EndTool();
    throw;
  }
}

bool TSStudio::SelectedLayerIsText() const {
  const TRotatableLayer* layer = Doc.Selection().Selected();
  return layer && layer->Text.has_value();
}

void TSStudio::EditTextClick() {
  TRotatableLayer* layer = Doc.Selection().Selected();
  if (!layer || !layer->Text) return;
  TLayerText source = *layer->Text;
  // The dialog opens on the layer's line, in its font, with its ink on the colour button.
  Form1->Edit1->setText(QString::fromStdString(source.Text));
  QFont shown(QString::fromStdString(source.Family), source.PointSize);
  shown.setBold(source.Bold);
  shown.setItalic(source.Italic);
  Form1->Edit1->setFont(shown);
  const TColor newTextColor = Form1->TextColor();
  Form1->btnColor->SetColor(source.Color);
  const bool confirmed = Dialogs().RunForm(*Form1) && !Form1->Edit1->text().isEmpty();
  const QString text = Form1->Edit1->text();
  const TColor color = Form1->TextColor();
  // The next new text starts as the last new one did.
  Form1->Edit1->setFont(QFont());
  Form1->btnColor->SetColor(newTextColor);
  if (!confirmed) return;
  source.Text = text.toStdString();
  source.Color = color;
  if (source == *layer->Text) return;
  layer->ReplacePicture(DrawText(source));
  layer->Text = source;
  // The layer's own warp was of the old line's picture: the new one starts unwarped.
  RenewLayerRecord(Doc, IndexOfLayer(Doc, layer));
  RefreshLayers();
}

// A double click on a text layer, where a click selects layers, edits its text.
bool TSStudio::EditTextAt(QPoint view) {
  if (Doc.ToolMode != TToolMode::None && Doc.ToolMode != TToolMode::ArrangeLayers) return false;
  const TPointF at = ViewToPicture(view);
  const int index = LayerAt(Doc, at.X, at.Y);
  if (index < 0 || !Doc.Layers()[size_t(index)]->Text) return false;
  LosePointer();
  SelectLayer(Doc.Layers()[size_t(index)].get());
  RefreshCommands();
  RunCommand(Row("EditText1"));
  return true;
}

void TSStudio::ShowLayerMenu(QPoint view) {
  if (Doc.ToolMode != TToolMode::None && Doc.ToolMode != TToolMode::ArrangeLayers) return;
  const TPointF at = ViewToPicture(view);
  const int index = LayerAt(Doc, at.X, at.Y);
  if (index < 0 || !Doc.Layers()[size_t(index)]->Text) return;
  LosePointer();
  SelectLayer(Doc.Layers()[size_t(index)].get());
  RefreshCommands();
  QMenu menu(this);
  menu.addAction(Action("EditText1"));
  menu.exec(DstImg->mapToGlobal(view));
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
