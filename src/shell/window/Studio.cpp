// SPDX-License-Identifier: GPL-3.0-or-later
// TSStudio's construction: the actions, menus and bars from the command rows, the picture view
// and its mirror, the dialogs kept for the whole run; the end of a tool; the window's life cycle.

#include "shell/window/Studio.h"

#include "faces/finder/FaceFinder.h"
#include "platform/Guard.h"
#include "platform/qt/ProgramFolders.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/LoadPluginForm.h"
#include "plugins/qt/QtFilterUi.h"
#include "shell/dialogs/AboutBox.h"
#include "shell/dialogs/ImageSizeDialog.h"
#include "shell/dialogs/InsertTextDialog.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/dialogs/Splash.h"
#include "shell/view/BrushLayer.h"
#include "shell/view/Checkerboard.h"
#include "shell/view/ImageView.h"
#include "shell/view/LayerViews.h"
#include "shell/window/ToolsForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollArea>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace gs {

TSStudio::TSStudio(QWidget* parent) : QMainWindow(parent), FaceModelPath_(kDefaultFaceModel) {
  FormCreate();
}

TSStudio::~TSStudio() { qApp->removeEventFilter(this); }

void TSStudio::FormCreate() {
  setWindowTitle(QString::fromLatin1(kAppCaption));
  QApplication::setApplicationDisplayName(QString());
  QApplication::setApplicationName(QString::fromLatin1(kAppCaption));
  Folders_ = ProgramDataFolders();
  QFont font = this->font();
  font.setPointSize(8);
  setFont(font);
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateBrushBar();
  CreateView();
  CreateHistoryDock();
  setAcceptDrops(true);
  CreateStatusBar();
  UpdateTimer = new QTimer(this);
  UpdateTimer->setObjectName(QStringLiteral("UpdateTimer"));
  UpdateTimer->setInterval(50);
  connect(UpdateTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { UpdateTimerTimer(); }); });
  LayterTimer = new QTimer(this);
  LayterTimer->setObjectName(QStringLiteral("LayterTimer"));
  LayterTimer->setInterval(50);
  connect(LayterTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { LayterTimerTimer(); }); });
  fsize = new Tfsize(this);
  Form1 = new TForm1(this);
  Form1->setObjectName(QStringLiteral("Form1"));
  ProgressForm = new TProgressForm(this);
  ProgressForm->setObjectName(QStringLiteral("ProgressForm"));
  FilterUi_ = std::make_unique<TQtFilterUi<TProgressForm, TImageView>>(ProgressForm, this, DstImg);
  Filters_ = std::make_unique<TFilterRunner>(FilterUi_.get());
  LoadPluginForm = new TLoadPluginForm(
      [this](const std::string& folder, bool sub) { BuildFilterMenu(folder, sub); }, this);
  ToolsForm = new TToolsForm(*this, Rows_, RowActions_, this);
  ToolsForm->setObjectName(QStringLiteral("ToolsForm"));
  Form2 = new TForm2(this);
  // Ticked or not in the box itself, the Help menu says the same.
  connect(Form2->AtStart, &QCheckBox::toggled, this, [this] { RunGuarded([this] { RefreshCommands(); }); });
  // There is no "MS Sans Serif" here: the desktop's sans-serif at 8 points stands in for it.
  TextFont_.Family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
  TextFont_.PointSize = 8;
  Doc.ToolMode = TToolMode::None;
  RefreshAutoCaricature();
  RefreshCommands();
}

void TSStudio::CreateView() {
  sbxDstImg = new QScrollArea(this);
  sbxDstImg->setObjectName(QStringLiteral("sbxDstImg"));
  sbxDstImg->setFrameShape(QFrame::NoFrame);
  sbxDstImg->setAlignment(Qt::AlignCenter);
  sbxDstImg->setWidgetResizable(false);
  sbxDstImg->setBackgroundRole(QPalette::Dark);
  ViewHost_ = new QWidget;
  DstImg = new TImageView(ViewHost_);
  DstImg->setObjectName(QStringLiteral("DstImg"));
  DstImg->SetBitmap(&Doc.ViewBitmap);
  DstImg->PaintStage = [this](QPainter& p, const QRect& r) { DstImgPaintStage(p, r); };
  DstImg->hide();
  DstImg1 = new TImageView(ViewHost_);
  DstImg1->setObjectName(QStringLiteral("DstImg1"));
  DstImg1->SetBitmap(&Doc.MirrorBitmap);
  DstImg1->PaintStage = [this](QPainter& p, const QRect& r) { DstImgPaintStage(p, r); };
  DstImg1->hide();
  BrushOutline_ = std::make_unique<TBrushLayer>(*DstImg);
  BrushOutline_->Visible = false;
  BrushOutline_->OverInstead = true;  // it stands for the hidden pointer, also over the photo
  BrushOutline_->SetRadius(Doc.Brushes.Size() / 2);
  LayersView_ = std::make_unique<TPictureLayersView>(Doc.Layers());
  FrameView_ = std::make_unique<TRubberbandLayer>(Doc.Frame);
  // Picture layers, then the selection frame, then the brush outline on top.
  DstImg->Layers = {LayersView_.get(), FrameView_.get(), BrushOutline_.get()};
  const auto position = [](QMouseEvent* e) { return QPoint(int(e->position().x()), int(e->position().y())); };
  connect(DstImg, &TImageView::MouseDown, this, [=, this](QMouseEvent* e) {
    const QPoint at = position(e);
    const auto held = e->buttons();
    const auto modifiers = e->modifiers();
    RunGuarded([=, this] { DstImgMouseDown(held, modifiers, at.x(), at.y()); });
  });
  connect(DstImg, &TImageView::MouseMove, this, [=, this](QMouseEvent* e) {
    const QPoint at = position(e);
    const auto held = e->buttons();
    const auto modifiers = e->modifiers();
    RunGuarded([=, this] { DstImgMouseMove(held, modifiers, at.x(), at.y()); });
  });
  connect(DstImg, &TImageView::MouseUp, this, [this](QMouseEvent*) { RunGuarded([this] { DstImgMouseUp(); }); });
  // Text layers open for editing from a double click and their context menu.
  connect(DstImg, &TImageView::DoubleClicked, this, [this](QPoint at) { RunGuarded([this, at] { EditTextAt(at); }); });
  connect(DstImg, &TImageView::ContextMenuAsked, this,
          [this](QPoint at) { RunGuarded([this, at] { ShowLayerMenu(at); }); });
  // The outline stands for the pointer: it goes with it.
  connect(DstImg, &TImageView::PointerLeft, this, [this] { RunGuarded([this] { ShowBrushOutline(false); }); });
  connect(DstImg1, &TImageView::MouseDown, this, [=, this](QMouseEvent* e) {
    const QPoint at = position(e);
    const auto held = e->buttons();
    RunGuarded([=, this] { DstImg1MouseDown(held, at.x(), at.y()); });
  });
  connect(DstImg1, &TImageView::MouseMove, this, [=, this](QMouseEvent* e) {
    const QPoint at = position(e);
    const auto held = e->buttons();
    RunGuarded([=, this] { DstImg1MouseMove(held, at.x(), at.y()); });
  });
  connect(DstImg1, &TImageView::MouseUp, this, [this](QMouseEvent*) { RunGuarded([this] { DstImg1MouseUp(); }); });
  ViewHost_->resize(0, 0);
  sbxDstImg->setWidget(ViewHost_);
  setCentralWidget(sbxDstImg);
  // The window sees the wheel and the arrow keys before any of its controls does (a slider
  // that kept the focus after a drag would take them otherwise).
  qApp->installEventFilter(this);
}

// ---- The view and the tools ----

void TSStudio::EndTool() {
  // A pixel tool painted into the source, which took the warped picture when the tool began:
  // the mesh starts again from it. The layer tools leave the picture and its mesh alone, so
  // the strokes on the face outlive them.
  if (IsPixelTool(Doc.ToolMode)) {
    Doc.ReplacePicture(Doc.SourceBitmap);
    DstImg1->hide();
  }
  Doc.Brushes.ButtonDown = false;
  ToolBar2->hide();
  ShowBrushOutline(false);
  Doc.ToolMode = TToolMode::None;
  ShowToolCursor();
  SyncRepeatTimers();
  ShowAllLayers(true);
  RefreshView();
}

void TSStudio::RefreshView() {
  DstImg->Changed();
  DstImg1->Changed();
}

void TSStudio::Repaint(const TRect& changed) {
  if (!changed.IsEmpty()) DstImg->Changed(changed);
}

void TSStudio::SyncRepeatTimers() {
  const bool repeats = RepeatsWhileHeld(Doc.ToolMode);
  const bool onPicture = repeats && IsPictureBrush(Doc.ToolMode);
  const bool onLayer = repeats && IsLayerBrush(Doc.ToolMode);
  if (onPicture != UpdateTimer->isActive()) onPicture ? UpdateTimer->start() : UpdateTimer->stop();
  if (onLayer != LayterTimer->isActive()) onLayer ? LayterTimer->start() : LayterTimer->stop();
}

// ---- Painting ----

void TSStudio::DstImgPaintStage(QPainter& painter, const QRect& exposed) {
  if (!Doc.ImageLoaded()) return;
  PaintCheckerboard(painter, exposed);
}

// ---- Life cycle ----

void TSStudio::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown_) return;
  Shown_ = true;
  RunGuarded([this] { FormShow(); });
}

void TSStudio::FormShow() {
  if (BatchMode_) {
    BuildFilterMenu(PluginFolders(Folders_), true);
    return;
  }
  // The splash stays at least 1.5 s and goes away even when the scan fails.
  ShowSplashWhile([this] { BuildFilterMenu(PluginFolders(Folders_), true); }, SplashMinimumMs_);
  ToolsForm->show();
  StartRecovery();
}

void TSStudio::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RunGuarded([this] { FormActivate(); });
  // A key or a button let go in another window never comes here: the photo must not stay up,
  // nor the brush keep working.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow())
    RunGuarded([this] {
      HoldBefore(TBeforeHold::Key, false);
      HoldSpace(false);
      LosePointer();
    });
}

void TSStudio::FormActivate() {
  if (BatchMode_) {
    AboutShown = true;
    return;
  }
  ActivateAboutBox(*Form2, AboutShown);
}

}  // namespace gs
