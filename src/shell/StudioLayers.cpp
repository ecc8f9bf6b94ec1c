// Picture layers in the main window: inserting clipart, talk bubbles and text, selecting,
// moving, resizing, rotating, warping, deleting and merging them.

#include "codecs/DecodeByExtension.h"
#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "platform/Dialogs.h"
#include "shell/BrushLayer.h"
#include "shell/Icons.h"
#include "shell/ImageView.h"
#include "shell/InsertTextDialog.h"
#include "shell/LayerViews.h"
#include "shell/Studio.h"
#include "shell/document/Layers.h"
#include "shell/document/PictureFiles.h"
#include "shell/document/Transparency.h"

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

#include <cmath>

namespace gs {

namespace {
constexpr float kRotateStep = 5.0f;

bool IsLayerBrush(int mode) { return mode >= tool::LayerPutty && mode <= tool::LayerTwirl; }
}  // namespace

int TSStudio::PictureLayerCount() const { return int(Doc.Layers.size()); }

void TSStudio::RefreshLayers() {
  if (SelectionFrame->Child) SelectionFrame->Location = SelectionFrame->Child->Location;
  DstImg->update();
}

QPointF TSStudio::ViewportCenterInDocument() const {
  // The part of the view the scroll box shows, in view pixels.
  QWidget* port = sbxDstImg->viewport();
  const QRect viewport(DstImg->mapFromGlobal(port->mapToGlobal(QPoint(0, 0))), port->size());
  const QRect visible = viewport.intersected(DstImg->rect());
  const QRect area = visible.isEmpty() ? DstImg->rect() : visible;
  const QPoint c((area.left() + area.right() + 1) / 2, (area.top() + area.bottom() + 1) / 2);
  return DstImg->WidgetToPicture(QPointF(c));
}

void TSStudio::SelectLayer(TRotatableLayer* layer) {
  if (layer == Doc.SelectedLayer) return;
  if (Doc.ToolMode > tool::Putty && Doc.ToolMode != tool::ArrangeLayers) return;
  SelectionFrame->SetChild(nullptr);
  SelectionFrame->Visible = false;
  Doc.SelectedLayer = layer;
  if (!layer) {
    DstImg->update();
    return;
  }
  SelectionFrame->SetChild(layer);
  SelectionFrame->Visible = true;
  DstImg->update();
}

void TSStudio::CreateLayerFromPicture(const TBitmap32& picture) {
  const QPointF c = ViewportCenterInDocument();
  const int index = AddPictureLayer(Doc, picture, c.x(), c.y());
  SelectLayer(Doc.Layers[size_t(index)].get());
  Doc.SelectedLayerIndex = index;
  DstImg->update();
}

void TSStudio::Clipart1Click() { LoadClipart(StartFolder + "/Clipart/", ""); }

void TSStudio::TalkBubble1Click() { LoadClipart(StartFolder + "/Clipart/Talk Bubbles/", "*"); }

void TSStudio::LoadClipart(const std::string& folder, const std::string& fileName) {
  EndTool();
  TFileDialogRequest request{"Open", kOpenPictureFilter, "", folder, false};
  if (!fileName.empty()) request.InitialDir = folder + fileName;
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  const TPictureSource source = ReadPictureSource(*file);
  const bool mayBeTransparent = source.Extension == ".gif" || source.Extension == ".png";
  const bool keyOut = mayBeTransparent && Dialogs().AskYesNo("Transparent Image?");
  TDecodedPicture decoded = DecodePicture(source.Extension, source.Bytes);
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
  const std::optional<TFontChoice> font = Dialogs().ChooseFont(TextFont);
  if (!font) return;
  TextFont = *font;
  Form1->Edit1->clear();
  if (!Dialogs().RunForm(*Form1) || Form1->Edit1->text().isEmpty()) return;
  const QString text = Form1->Edit1->text();
  try {
    QFont qfont(QString::fromStdString(TextFont.Family), TextFont.PointSize);
    qfont.setBold(TextFont.Bold);
    qfont.setItalic(TextFont.Italic);
    qfont.setUnderline(TextFont.Underline);
    qfont.setStrikeOut(TextFont.StrikeOut);
    const QFontMetrics metrics(qfont);
    // Room below and to the right keeps descenders and slanted glyphs inside the picture.
    const int height = metrics.height() + 5;
    const int width = metrics.horizontalAdvance(text) + 15;
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      painter.setFont(qfont);
      painter.setPen(QColor::fromRgb(WinColorToColor32(TextFont.Color)));
      painter.drawText(QRect(0, 0, width, height), Qt::AlignLeft | Qt::AlignTop, text);
    }
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
  for (auto& layer : Doc.Layers) layer->Visible = visible;
  if (!SelectionFrame->Child) SelectionFrame->Visible = false;
  SelectLayer(nullptr);
  DstImg->update();
}

void TSStudio::FlattenLayers() {
  SelectionFrame->SetChild(nullptr);
  SelectionFrame->Visible = false;
  if (gs::FlattenLayers(Doc)) RefreshView();
}

void TSStudio::DeleteSelectedLayer() {
  Doc.SelectedLayerIndex = -1;
  if (Doc.SelectedLayer) {
    const int index = IndexOfLayer(Doc, Doc.SelectedLayer);
    SelectLayer(nullptr);
    DeleteLayer(Doc, index);
    SelectionFrame->Visible = false;
  }
  EndTool();
  activateWindow();
  ShowAllLayers(true);
  ShowBrushOutline(false);
  DstImg->update();
}

void TSStudio::RotateLayerTool() {
  if (!Doc.ImageLoaded || Doc.Layers.empty()) return;
  if (Doc.ToolMode != tool::None && Doc.ToolMode != tool::ArrangeLayers) {
    if (Doc.ToolMode > tool::Eraser - 1) {
      EndTool();
    } else {
      Doc.MirrorBitmap = Doc.ViewBitmap;
      DstImg1->hide();
    }
    ShowAllLayers(true);
    ToolBar2->hide();
    ShowBrushOutline(false);
  }
  UpdateTimer->stop();
  LayterTimer->stop();
  Doc.ToolMode = tool::ArrangeLayers;
  DstImg->setCursor(MakeToolCursor(9));
  activateWindow();
  DstImg->update();
}

// ---- Mouse ----

bool TSStudio::LayerMouseDown(Qt::MouseButtons held, Qt::KeyboardModifiers, int x, int y) {
  if (!Doc.ImageLoaded) return false;
  const QPointF viewPos(x, y);
  const QPointF docPos = DstImg->WidgetToPicture(viewPos);
  int index = -1;
  // A brush on the selected layer warps it wherever the press lands on it.
  if (IsLayerBrush(Doc.ToolMode)) {
    if (!Doc.SelectedLayer) return false;
    const TFloatRect& l = Doc.SelectedLayer->Location;
    if (!(docPos.x() > l.Left && docPos.x() < l.Right && docPos.y() > l.Top && docPos.y() < l.Bottom))
      return false;
    index = IndexOfLayer(Doc, Doc.SelectedLayer);
    BeginLayerStroke(Doc, index, docPos.x(), docPos.y());
    SelectStampByButton(held);
    Doc.Brushes.LayerStroke.StrokePoint = LayerStampPoint(Doc, docPos.x(), docPos.y());
    Doc.Brushes.LayerBrushDown = true;
    LayerTookClick_ = true;
    return true;
  }
  if (Doc.ToolMode != tool::None && Doc.ToolMode != tool::Putty && Doc.ToolMode != tool::ArrangeLayers)
    return false;
  // The rotate tool turns the layer under the pointer; the frame's handles do not resize then.
  const TFrameDrag handle =
      Doc.ToolMode == tool::ArrangeLayers ? TFrameDrag::None : SelectionFrame->HitTest(viewPos);
  if (handle != TFrameDrag::None && handle != TFrameDrag::Move) {
    SelectionFrame->BeginDrag(handle, viewPos);
    LayerTookClick_ = true;
    return true;
  }
  index = LayerAt(Doc, docPos.x(), docPos.y());
  if (index < 0) return false;
  TRotatableLayer* layer = Doc.Layers[size_t(index)].get();
  if (Doc.ToolMode == tool::ArrangeLayers) {
    SelectLayer(nullptr);
    const double halfWidth = (layer->Location.Right - layer->Location.Left) / 2;
    const double offset = docPos.x() - layer->Location.Left;
    layer->Rotate(halfWidth >= offset ? -kRotateStep : kRotateStep);
    SelectLayer(layer);
    RenewLayerRecord(Doc, index);
    RefreshLayers();
  } else {
    SelectLayer(layer);
    SelectionFrame->BeginDrag(TFrameDrag::Move, viewPos);
  }
  BeginLayerStroke(Doc, index, docPos.x(), docPos.y());
  LayerTookClick_ = true;
  return true;
}

bool TSStudio::LayerMouseMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y) {
  if (SelectionFrame->Dragging()) {
    SelectionFrame->DragTo(QPointF(x, y), modifiers & Qt::ControlModifier);
    return true;
  }
  if (!IsLayerBrush(Doc.ToolMode) || !Doc.Brushes.LayerBrushDown || Doc.SelectedLayerIndex < 0 ||
      Doc.SelectedLayerIndex >= int(Doc.Layers.size()))
    return false;
  BrushOutline->SetCenter(QPoint(x, y));
  if (!SelectStampByButton(held)) return true;
  const QPointF docPos = DstImg->WidgetToPicture(QPointF(x, y));
  const TFloatRect& l = Doc.Layers[size_t(Doc.SelectedLayerIndex)]->Location;
  if (docPos.x() > l.Left && docPos.x() < l.Right && docPos.y() > l.Top && docPos.y() < l.Bottom) {
    ApplyLayerBrush(Doc, LayerStampPoint(Doc, docPos.x(), docPos.y()));
    DstImg->update();
  }
  return true;
}

void TSStudio::LayerMouseUp() {
  if (SelectionFrame->Dragging()) {
    SelectionFrame->EndDrag();
    RefreshLayers();
  }
  Doc.Brushes.LayerBrushDown = false;
}

void TSStudio::LayterTimerTimer() {
  if (!Doc.Brushes.LayerBrushDown) return;
  ApplyLayerBrush(Doc, Doc.Brushes.LayerStroke.StrokePoint);
  DstImg->update();
}

}  // namespace gs
