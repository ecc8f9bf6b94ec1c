#include "shell/window/Studio.h"

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "platform/qt/ProgramFolders.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/FilterMenu.h"
#include "plugins/qt/LoadPluginForm.h"
#include "plugins/qt/QtFilterUi.h"
#include "shell/dialogs/AboutBox.h"
#include "shell/view/BrushLayer.h"
#include "shell/view/Checkerboard.h"
#include "shell/art/Icons.h"
#include "shell/dialogs/ImageSizeDialog.h"
#include "shell/view/ImageView.h"
#include "shell/dialogs/InsertTextDialog.h"
#include "shell/view/LayerViews.h"
#include "shell/dialogs/ProgressForm.h"
#include "shell/dialogs/Splash.h"
#include "shell/window/ToolsForm.h"
#include "document/Canvas.h"
#include "document/Layers.h"
#include "document/PictureFiles.h"
#include "document/Zoom.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

namespace gs {

TSStudio::TSStudio(QWidget* parent) : QMainWindow(parent) {
  FormCreate();
}

TSStudio::~TSStudio() { qApp->removeEventFilter(this); }

void TSStudio::FormCreate() {
  setWindowTitle(QString::fromLatin1(kAppCaption));
  QApplication::setApplicationDisplayName(QString());
  QApplication::setApplicationName(QString::fromLatin1(kAppCaption));
  Folders = ProgramDataFolders();
  QFont font = this->font();
  font.setPointSize(8);
  setFont(font);
  CreateActions();
  CreateMenus();
  CreateToolBars();
  CreateView();
  CreateHistoryDock();
  setAcceptDrops(true);
  statusBar()->setSizeGripEnabled(true);
  UpdateTimer = new QTimer(this);
  UpdateTimer->setInterval(50);
  connect(UpdateTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { UpdateTimerTimer(); }); });
  LayterTimer = new QTimer(this);
  LayterTimer->setInterval(50);
  connect(LayterTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { LayterTimerTimer(); }); });
  fsize = new Tfsize(this);
  Form1 = new TForm1(this);
  ProgressForm = new TProgressForm(this);
  FilterUi_ = std::make_unique<TQtFilterUi<TProgressForm, TImageView>>(ProgressForm, this, DstImg);
  Filters_ = std::make_unique<TFilterRunner>(FilterUi_.get());
  LoadPluginForm = new TLoadPluginForm(
      [this](const std::string& folder, bool sub) { BuildFilterMenu(folder, sub); }, this);
  ToolsForm = new TToolsForm(*this, this);
  Form2 = new TForm2(this);
  // There is no "MS Sans Serif" here: the desktop's sans-serif at 8 points stands in for it.
  TextFont.Family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
  TextFont.PointSize = 8;
  Doc.ToolMode = TToolMode::None;
}

QAction* TSStudio::Command(const char* name, const char* caption, void (TSStudio::*handler)(),
                           std::optional<TIcon> icon, const char* tip) {
  auto* action = new QAction(QString::fromUtf8(caption), this);
  action->setObjectName(QString::fromLatin1(name));
  if (icon) action->setIcon(MakeIcon(*icon));
  if (tip) action->setToolTip(QString::fromUtf8(tip));
  connect(action, &QAction::triggered, this, [this, handler, action] { RunGuarded([=, this] { RunCommand(action, handler); }); });
  return action;
}

void TSStudio::Recorded(QAction* action, TChangeScope scope, const char* step) {
  Recorded_[action] = TRecordedCommand{scope, step};
}

void TSStudio::RunCommand(QAction* action, void (TSStudio::*handler)()) {
  const auto recorded = Recorded_.find(action);
  if (recorded == Recorded_.end()) return (this->*handler)();
  RecordStep(recorded->second.Scope, recorded->second.Step, [this, handler] { (this->*handler)(); });
}

void TSStudio::CreateActions() {
  mOpenImage = Command("mOpenImage", "&Open", &TSStudio::mOpenImageClick, TIcon::Open, "Open");
  mPrint = Command("mPrint", "&Print", &TSStudio::ToolButton13Click, TIcon::Print, "Print");
  mSaveImage = Command("mSaveImage", "&Save", &TSStudio::mSaveImageClick, TIcon::Save, "Save");
  saveas1 = Command("saveas1", "&Save As...", &TSStudio::saveas1Click);
  mLoadFilters = Command("mLoadFilters", "&Load Filter Plug-Ins...", &TSStudio::LoadFilterPlugIns1Click);
  mExit = Command("mExit", "&Exit", &TSStudio::mExitClick);

  Undo1 = Command("Undo1", "Undo", &TSStudio::ToolButton1Click, TIcon::Undo, "Undo");
  Restore1 = Command("Restore1", "Restore", &TSStudio::ToolButton18Click, TIcon::Restore, "Restore");
  ImageSize1 = Command("ImageSize1", "Image Size", &TSStudio::ResizeImage1Click);
  Rotate180 = Command("Rotate180", "180", &TSStudio::N1801Click);
  Rotate90CW = Command("Rotate90CW", "90 CW", &TSStudio::N90CW1Click);
  Rotate90CCW = Command("Rotate90CCW", "90 CCW", &TSStudio::N90CCW1Click);

  Putty1 = Command("Putty1", "Putty", &TSStudio::Putty1Click, TIcon::Putty, "Putty Grimacer Effect");
  Warp1 = Command("Warp1", "Warp", &TSStudio::Warp1Click, TIcon::Warp, "Warp Grimacer Effect");
  wirl1 = Command("wirl1", "Twirl", &TSStudio::wirl1Click, TIcon::Twirl, "Twirl Grimacer Effect");
  Reconstruct1 = Command("Reconstruct1", "Reconstruct", &TSStudio::Reconstruct1Click, TIcon::Reconstruct,
                         "Reconstruct Grimacer Effect");
  ResetWarp1 = Command("ResetWarp1", "Reset Warp", &TSStudio::ResetWarp1Click);
  AutoCaricature1 = Command("AutoCaricature1", "Auto Caricature...", &TSStudio::AutoCaricature1Click,
                            TIcon::AutoCaricature);
  // Not a command: its tool bar button shows the photo while pressed (CreateToolBars).
  Before1 = new QAction(MakeIcon(TIcon::Before), QStringLiteral("Before"), this);
  Before1->setObjectName(QStringLiteral("Before1"));
  Before1->setToolTip(QStringLiteral("Before: hold to see the photo as it was opened (\\)"));
  Comicfilter1 = Command("Comicfilter1", "Comic filter", &TSStudio::Comicfilter1Click, TIcon::ComicFilter,
                         "Comic Filter");
  Comicfilter1->setIconText(QStringLiteral("..."));

  Original1 = Command("Original1", "Original", &TSStudio::Original1Click, TIcon::ViewOriginalSize,
                      "View Original Size");
  ZoomIn1 = Command("ZoomIn1", "Zoom In", &TSStudio::ZoomIn1Click, TIcon::ZoomIn, "Zoom In");
  ZoomOut1 = Command("ZoomOut1", "Zoom Out", &TSStudio::ZoomOut1Click, TIcon::ZoomOut, "Zoom Out");
  miFitToWindow = Command("miFitToWindow", "Fit To Window", &TSStudio::miFitToWindowClick);

  Clipart1 = Command("Clipart1", "Clipart", &TSStudio::Clipart1Click, TIcon::InsertClipart, "Insert Clipart");
  TalkBubble1 = Command("TalkBubble1", "Talk Bubble", &TSStudio::TalkBubble1Click);
  Text1 = Command("Text1", "Text", &TSStudio::Text1Click, TIcon::TextTool, "Text Tool");

  LastFilter1 = Command("LastFilter1", "LastFilter", &TSStudio::miLastFilterClickClick);
  LastFilter1->setEnabled(false);

  GrimacerAnimator1 = Command("GrimacerAnimator1", "Grimacer Animator", &TSStudio::GrimacerAnimator1Click);
  Chromakey1 = Command("Chromakey1", "Chromakey...", &TSStudio::Chromakey1Click, TIcon::Chromakey,
                       "Chromakey Tool");
  ChangeBackground1 = Command("ChangeBackground1", "Change background...", &TSStudio::ChangeBackground1Click,
                              TIcon::ChangeBackground, "Change Background");
  mAnimateCaricature = Command("mAnimateCaricature", "Animate Caricature...", &TSStudio::mAnimateCaricatureClick,
                               TIcon::AnimateCaricature, "Animate Caricature");

  GrimacerStudioHelp1 = Command("GrimacerStudioHelp1", "Grimacer Studio Help", &TSStudio::GifMakerHelp1Click);
  VideoTutorial1 = Command("VideoTutorial1", "Video Tutorial", &TSStudio::VideoTutorial1Click);
  About1 = Command("About1", "About", &TSStudio::About1Click);
  Tutorial1 = Command("Tutorial1", "Tutorial", &TSStudio::ToolButton19Click, TIcon::Tutorial, "Tutorial");

  SelectionTool1 = Command("SelectionTool1", "Selection Tool", &TSStudio::SelectionToolClick,
                           TIcon::SelectionTool, "Selection Tool");
  DeleteLayer1 = Command("DeleteLayer1", "Delete", &TSStudio::DeleteSelectedLayer, TIcon::Delete, "Delete");
  Crop1 = Command("Crop1", "Crop", &TSStudio::CropToolClick, TIcon::Crop, "Crop");
  Eraser1 = Command("Eraser1", "Eraser Tool", &TSStudio::EraserToolClick, TIcon::Eraser, "Eraser Tool");
  Paintbrush1 = Command("Paintbrush1", "Paintbrush Tool", &TSStudio::PaintbrushToolClick, TIcon::Paintbrush,
                        "Paintbrush Tool");
  Eyedropper1 = Command("Eyedropper1", "Eyedropper Tool", &TSStudio::EyedropperToolClick, TIcon::Eyedropper,
                        "Eyedropper Tool");
  RotateLayer1 = Command("RotateLayer1", "Rotate Layer", &TSStudio::RotateLayerTool, TIcon::RotateLayer,
                         "Rotate Layer");

  ClearRecent1 = Command("ClearRecent1", "Clear list", &TSStudio::ClearRecentClick);
  StepBackward1 = Command("StepBackward1", "Step Backward", &TSStudio::StepBackwardClick);
  StepForward1 = Command("StepForward1", "Step Forward", &TSStudio::StepForwardClick);
  SmallerBrush1 = Command("SmallerBrush1", "Smaller Brush", &TSStudio::SmallerBrushClick);
  LargerBrush1 = Command("LargerBrush1", "Larger Brush", &TSStudio::LargerBrushClick);

  // The commands that change the document, each a step of the history.
  Recorded(mSaveImage, TChangeScope::Picture, "Save");
  Recorded(saveas1, TChangeScope::Picture, "Save As");
  Recorded(Undo1, TChangeScope::Picture, "Undo");
  Recorded(Restore1, TChangeScope::Picture, "Restore");
  Recorded(ImageSize1, TChangeScope::Picture, "Image Size");
  Recorded(Rotate180, TChangeScope::Picture, "Rotate 180");
  Recorded(Rotate90CW, TChangeScope::Picture, "Rotate 90 CW");
  Recorded(Rotate90CCW, TChangeScope::Picture, "Rotate 90 CCW");
  Recorded(ChangeBackground1, TChangeScope::Picture, "Change background");
  Recorded(Clipart1, TChangeScope::Layers, "Clipart");
  Recorded(TalkBubble1, TChangeScope::Layers, "Talk Bubble");
  Recorded(Text1, TChangeScope::Layers, "Text");
  Recorded(DeleteLayer1, TChangeScope::Layers, "Delete Layer");
  Recorded(ResetWarp1, TChangeScope::Picture, "Reset Warp");

  // Nothing to save, key, animate or compare before a picture is loaded.
  for (QAction* action : {mSaveImage, saveas1, Chromakey1, ChangeBackground1, mAnimateCaricature, Before1})
    action->setEnabled(false);
  RefreshAutoCaricature();
  AssignShortcuts();
}

void TSStudio::AssignShortcuts() {
  const auto keys = [](QAction* action, std::initializer_list<QKeySequence> sequences) {
    action->setShortcuts(QList<QKeySequence>(sequences));
  };
  keys(mOpenImage, {QKeySequence::Open});
  keys(mSaveImage, {QKeySequence::Save});
  keys(saveas1, {QKeySequence::SaveAs});
  keys(mPrint, {QKeySequence::Print});
  keys(mExit, {QKeySequence::Quit});
  keys(Undo1, {QKeySequence::Undo});
  keys(StepBackward1, {QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)});
  keys(StepForward1, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  // Ctrl+= is the same key as Ctrl++ without Shift on most keyboards.
  keys(ZoomIn1, {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  keys(ZoomOut1, {QKeySequence::ZoomOut});
  keys(Original1, {QKeySequence(Qt::CTRL | Qt::Key_0)});
  // Ctrl+9 leaves Ctrl+1.. free for zoom levels.
  keys(miFitToWindow, {QKeySequence(Qt::CTRL | Qt::Key_9)});
  keys(GrimacerStudioHelp1, {QKeySequence::HelpContents});
  keys(Putty1, {QKeySequence(Qt::Key_P)});
  keys(Warp1, {QKeySequence(Qt::Key_W)});
  keys(wirl1, {QKeySequence(Qt::Key_T)});
  keys(Reconstruct1, {QKeySequence(Qt::Key_R)});
  keys(AutoCaricature1, {QKeySequence(Qt::Key_A)});
  keys(Eraser1, {QKeySequence(Qt::Key_E)});
  keys(Paintbrush1, {QKeySequence(Qt::Key_B)});
  keys(Eyedropper1, {QKeySequence(Qt::Key_I)});
  keys(Crop1, {QKeySequence(Qt::Key_C)});
  keys(SelectionTool1, {QKeySequence(Qt::Key_V)});
  keys(SmallerBrush1, {QKeySequence(Qt::Key_BracketLeft)});
  keys(LargerBrush1, {QKeySequence(Qt::Key_BracketRight)});
  // The palette's own tools are in no menu: the window carries them so their keys work.
  addActions({SelectionTool1, DeleteLayer1, Crop1, Eraser1, Paintbrush1, Eyedropper1, RotateLayer1});
}

void TSStudio::CreateMenus() {
  QMenuBar* bar = menuBar();
  FileMenu = bar->addMenu(QStringLiteral("File"));
  FileMenu->addAction(mOpenImage);
  RecentMenu = FileMenu->addMenu(QStringLiteral("Open &Recent"));
  RecentMenu->setObjectName(QStringLiteral("RecentMenu"));
  FileMenu->addActions({mPrint, mSaveImage, saveas1, mLoadFilters, mExit});

  EditMenu = bar->addMenu(QStringLiteral("Edit"));
  EditMenu->addActions({Undo1, StepBackward1, StepForward1, Restore1, ImageSize1});
  QMenu* rotate = EditMenu->addMenu(QStringLiteral("Rotate Canvas"));
  rotate->addActions({Rotate180, Rotate90CW, Rotate90CCW});

  GrimacerMenu = bar->addMenu(QStringLiteral("Grimacer"));
  GrimacerMenu->addActions({Putty1, Warp1, wirl1, Reconstruct1});
  GrimacerMenu->addSeparator();
  GrimacerMenu->addAction(AutoCaricature1);
  GrimacerMenu->addSeparator();
  GrimacerMenu->addAction(ResetWarp1);
  GrimacerMenu->addSeparator();
  GrimacerMenu->addActions({SmallerBrush1, LargerBrush1});
  GrimacerMenu->addSeparator();
  GrimacerMenu->addAction(Comicfilter1);
  Comicfilter1->setVisible(false);

  ViewMenu = bar->addMenu(QStringLiteral("View"));
  ViewMenu->addActions({Original1, ZoomIn1, ZoomOut1, miFitToWindow});
  ViewMenu->addSeparator();

  InsertMenu = bar->addMenu(QStringLiteral("Insert"));
  InsertMenu->addActions({Clipart1, TalkBubble1});
  InsertMenu->addSeparator();
  InsertMenu->addAction(Text1);

  FiltersMenu = bar->addMenu(QStringLiteral("Filters "));
  FiltersMenu->addAction(LastFilter1);
  FiltersMenu->addSeparator();

  ToolsMenu = bar->addMenu(QStringLiteral("Tools"));
  ToolsMenu->addActions({GrimacerAnimator1, Chromakey1, ChangeBackground1, mAnimateCaricature});

  HelpMenu = bar->addMenu(QStringLiteral("Help"));
  HelpMenu->addActions({GrimacerStudioHelp1, VideoTutorial1, About1});

  for (QMenu* menu : {EditMenu, GrimacerMenu, ViewMenu, InsertMenu, FiltersMenu})
    menu->menuAction()->setEnabled(false);
  RebuildRecentMenu();
}

void TSStudio::CreateToolBars() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(24, 24));
  ToolBar1->addActions({mOpenImage, mSaveImage, mPrint});
  ToolBar1->addSeparator();
  ToolBar1->addActions({Restore1, Undo1});
  ToolBar1->addSeparator();
  ToolBar1->addAction(Before1);
  auto* before = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(Before1));
  connect(before, &QToolButton::pressed, this,
          [this] { RunGuarded([this] { HoldBefore(TBeforeHold::Button, true); }); });
  connect(before, &QToolButton::released, this,
          [this] { RunGuarded([this] { HoldBefore(TBeforeHold::Button, false); }); });
  ToolBar1->addSeparator();
  ToolBar1->addAction(Tutorial1);

  ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
  ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
  ToolBar2->setMovable(false);
  ToolBar2->addWidget(new QLabel(QStringLiteral(" Size "), ToolBar2));
  SizeBar = new QSlider(Qt::Horizontal, ToolBar2);
  SizeBar->setRange(TBrushTool::kMinSize, TBrushTool::kMaxSize);
  SizeBar->setValue(Doc.Brushes.Size());
  SizeBar->setFixedWidth(160);
  ToolBar2->addWidget(SizeBar);
  ToolBar2->addWidget(new QLabel(QStringLiteral(" Effect "), ToolBar2));
  PinchBar = new QSlider(Qt::Horizontal, ToolBar2);
  PinchBar->setRange(TBrushTool::kMinEffect, TBrushTool::kMaxEffect);
  PinchBar->setValue(Doc.Brushes.Effect());
  PinchBar->setFixedWidth(160);
  ToolBar2->addWidget(PinchBar);
  ToolBar2->hide();
  connect(SizeBar, &QSlider::valueChanged, this, [this] { RunGuarded([this] { SizeBarChange(); }); });
  connect(PinchBar, &QSlider::valueChanged, this, [this] { RunGuarded([this] { PinchBarChange(); }); });
}

void TSStudio::CreateView() {
  sbxDstImg = new QScrollArea(this);
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
  BrushOutlineOwner_ = std::make_unique<TBrushLayer>(*DstImg);
  BrushOutline = BrushOutlineOwner_.get();
  BrushOutline->Visible = false;
  BrushOutline->OverInstead = true;  // it stands for the hidden pointer, also over the photo
  BrushOutline->SetRadius(Doc.Brushes.Size() / 2);
  LayersView_ = std::make_unique<TPictureLayersView>(Doc.Layers());
  FrameView_ = std::make_unique<TRubberbandLayer>(Doc.Frame);
  // Picture layers, then the selection frame, then the brush outline on top.
  DstImg->Layers = {LayersView_.get(), FrameView_.get(), BrushOutline};
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

// ---- Commands ----

void TSStudio::mOpenImageClick() {
  TFileDialogRequest request{"Open", kOpenPictureFilter, "", LastFolder_, false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  RememberFolder(*file);
  OpenFile(*file);
}

void TSStudio::OpenFile(const std::string& path) {
  // A file that cannot be opened leaves everything as it was: it throws before any change.
  LoadImageFile(path, TPictureEntry::Open);
  RememberFile(path);
  EndTool();
  UpdateCaption();
  RefreshHistory();
}

void TSStudio::LoadImageFile(const std::string& fileName, TPictureEntry entry) {
  try {
    Doc.Open(ReadPictureFile(fileName), entry);
  } catch (...) {
    RefreshView();
    throw;
  }
  EnableDocumentCommands();
  DstImg->show();
  RefreshView();
  FitToWindow();
}

void TSStudio::EnableDocumentCommands() {
  for (QMenu* menu : {EditMenu, GrimacerMenu, ViewMenu, InsertMenu, FiltersMenu})
    menu->menuAction()->setEnabled(true);
  for (QAction* action : {mSaveImage, saveas1, Chromakey1, ChangeBackground1, mAnimateCaricature, Before1})
    action->setEnabled(true);
  RefreshAutoCaricature();
}

void TSStudio::PrepareSave(const std::string& target) {
  // Merging the layers, or the GIF's colour reduction, bakes the warp into the picture: keep
  // what an animation of the caricature needs.
  const bool bakes = !Doc.Layers().empty() || LowerCase(ExtractFileExt(target)) == ".gif";
  const TAnimationScene scene = SceneOf(Doc);
  if (bakes && !IsPixelTool(Doc.ToolMode) && SceneHasWarp(scene)) Doc.SceneBeforeSave.emplace(scene);
  Doc.GeometryChanged = false;
  EndTool();
  ShowBrushOutline(false);
  FlattenLayers();
}

void TSStudio::mSaveImageClick() {
  PrepareSave(Doc.DocumentFileName());
  Doc.WritePicture(Doc.DocumentFileName());
  RefreshView();
}

void TSStudio::saveas1Click() {
  TFileDialogRequest request{"Save As", kSavePictureFilter, kSavePictureDefaultExt, LastFolder_, true};
  const std::optional<std::string> file = Dialogs().SaveFile(request);
  if (!file) return;
  RememberFolder(*file);
  PrepareSave(*file);
  Doc.SetDocumentFileName(*file);
  UpdateCaption();
  Doc.WritePicture(*file);
  RefreshView();
  // The user goes on with the picture as the GIF's colour reduction left it.
  if (LowerCase(ExtractFileExt(*file)) == ".gif") LoadImageFile(Doc.DocumentFileName(), TPictureEntry::SavedCopy);
}

void TSStudio::mExitClick() { close(); }

void TSStudio::UpdateCaption() {
  QString caption = QString::fromLatin1(kAppCaption);
  if (!Doc.DocumentFileName().empty())
    caption += QStringLiteral("  \"") + QString::fromStdString(ExtractFileName(Doc.DocumentFileName())) +
               QLatin1Char('"');
  setWindowTitle(caption);
}

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

// ---- Zoom ----

void TSStudio::ApplyZoom() {
  const int w = ZoomedSide(Doc.ImageWidth(), Doc.ZoomPercent);
  const int h = ZoomedSide(Doc.ImageHeight(), Doc.ZoomPercent);
  DstImg->setGeometry(0, 0, w, h);
  DstImg1->setGeometry(0, 0, w, h);
  ViewHost_->resize(w, h);
}

void TSStudio::Original1Click() {
  Doc.ZoomPercent = 100;
  ApplyZoom();
}

void TSStudio::ZoomIn1Click() {
  Doc.ZoomPercent = ZoomInStep(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::ZoomOut1Click() {
  Doc.ZoomPercent = ZoomOutStep(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::miFitToWindowClick() { FitToWindow(); }

void TSStudio::FitToWindow() {
  const QSize client = sbxDstImg->viewport()->size();
  Doc.ZoomPercent = FitZoom(client.width(), client.height(), Doc.ImageWidth(), Doc.ImageHeight());
  ApplyZoom();
}

void TSStudio::FormMouseWheelUp() {
  if (IsBrush(Doc.ToolMode)) {
    SizeBar->setValue(SizeBar->value() - TBrushTool::kStep);
    return;
  }
  Doc.ZoomPercent = WheelUpZoom(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::FormMouseWheelDown() {
  if (IsBrush(Doc.ToolMode)) {
    SizeBar->setValue(SizeBar->value() + TBrushTool::kStep);
    return;
  }
  Doc.ZoomPercent = WheelDownZoom(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::WMKeyDown(int key) {
  const bool pictureBrush = IsPictureBrush(Doc.ToolMode);
  switch (key) {
    case Qt::Key_Up:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() + TBrushTool::kStep);
      } else {
        Doc.ZoomPercent = ArrowUpZoom(Doc.ZoomPercent);
        ApplyZoom();
      }
      break;
    case Qt::Key_Down:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() - TBrushTool::kStep);
      } else if (Doc.ZoomPercent > kMinZoom) {
        Doc.ZoomPercent = ArrowDownZoom(Doc.ZoomPercent);
        ApplyZoom();
      }
      break;
    case Qt::Key_Left:
      if (pictureBrush) PinchBar->setValue(PinchBar->value() - TBrushTool::kStep);
      break;
    case Qt::Key_Right:
      if (pictureBrush) PinchBar->setValue(PinchBar->value() + TBrushTool::kStep);
      break;
    default:
      break;
  }
}

namespace {
constexpr int kWheelNotch = 120;

// A control of this window where typing means text: the keys are its own.
bool TakesText(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
         qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

bool IsArrow(int key) { return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right; }
}  // namespace

void TSStudio::WheelTurned(int angleDelta) {
  // A notched wheel sends 120 a notch; a fine wheel or a touchpad sends small parts of it, which
  // count only once they add up to a notch.
  WheelAngle_ += angleDelta;
  for (; WheelAngle_ >= kWheelNotch; WheelAngle_ -= kWheelNotch) RunGuarded([this] { FormMouseWheelUp(); });
  for (; WheelAngle_ <= -kWheelNotch; WheelAngle_ += kWheelNotch) RunGuarded([this] { FormMouseWheelDown(); });
}

bool TSStudio::eventFilter(QObject* watched, QEvent* event) {
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return QMainWindow::eventFilter(watched, event);
  if (event->type() == QEvent::Wheel) {
    WheelTurned(static_cast<QWheelEvent*>(event)->angleDelta().y());
    return true;
  }
  if (event->type() == QEvent::KeyPress && !TakesText(widget)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (IsArrow(key)) {
      RunGuarded([this, key] { WMKeyDown(key); });
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
    // Backslash shows the photo for as long as it is held: the key's own repeats change nothing,
    // and a text field types it unless it was pressed for the photo.
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool press = event->type() == QEvent::KeyPress;
    const bool ours = press ? !TakesText(widget) : (BeforeHolds_ & int(TBeforeHold::Key)) != 0;
    if (key->key() == Qt::Key_Backslash && ours) {
      if (!key->isAutoRepeat()) RunGuarded([this, press] { HoldBefore(TBeforeHold::Key, press); });
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TSStudio::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

void TSStudio::dropEvent(QDropEvent* event) {
  const std::string file = DroppedFile(event->mimeData());
  if (file.empty()) return;
  event->acceptProposedAction();
  RunGuarded([this, file] { OpenFile(file); });
}

std::string TSStudio::DroppedFile(const QMimeData* data) {
  // Several pictures dropped at once: the first is opened, as the open dialog takes one.
  if (!data || !data->hasUrls()) return {};
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile().toStdString();
  return {};
}

QMenu* TSStudio::createPopupMenu() {
  // The main window's own menu would let a right click hide the tool bars with no way back.
  return nullptr;
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
  if (BatchMode) {
    BuildFilterMenu(PluginFolders(Folders), true);
    return;
  }
  // The splash stays at least 1.5 s and goes away even when the scan fails.
  ShowSplashWhile([this] { BuildFilterMenu(PluginFolders(Folders), true); }, SplashMinimumMs);
  ToolsForm->show();
}

void TSStudio::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RunGuarded([this] { FormActivate(); });
  // A key let go in another window never comes here: the photo must not stay up.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow())
    RunGuarded([this] { HoldBefore(TBeforeHold::Key, false); });
}

void TSStudio::FormActivate() {
  if (BatchMode) {
    AboutShown = true;
    return;
  }
  ActivateAboutBox(*Form2, AboutShown);
}

}  // namespace gs
