#include "shell/Studio.h"

#include "codecs/FileIO.h"
#include "common/Errors.h"
#include "platform/Dialogs.h"
#include "shell/AboutBox.h"
#include "shell/BrushLayer.h"
#include "shell/Splash.h"
#include "shell/Icons.h"
#include "shell/ImageSizeDialog.h"
#include "shell/InsertTextDialog.h"
#include "shell/LayerViews.h"
#include "shell/ProgressForm.h"
#include "shell/ToolsForm.h"
#include "plugins/FilterRunner.h"
#include "plugins/qt/FilterMenu.h"
#include "plugins/qt/LoadPluginForm.h"
#include "plugins/qt/QtFilterUi.h"
#include "shell/ImageView.h"
#include "shell/document/Canvas.h"
#include "shell/document/Layers.h"
#include "shell/document/PictureFiles.h"
#include "shell/document/Zoom.h"

#include <QAction>
#include <QPrinter>
#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>

namespace gs {

namespace {
constexpr int kCheckerSquare = 8;
constexpr QRgb kCheckerGrey = 0xFFB0B0B0;
constexpr QRgb kCheckerWhite = 0xFFFFFFFF;
constexpr int kBrushStep = 3;
}  // namespace

TSStudio::TSStudio(QWidget* parent) : QMainWindow(parent) {
  ExceptionHandler = [](const std::string& text) { ShowMessage(text); };
  FormCreate();
}

TSStudio::~TSStudio() = default;

void TSStudio::FormCreate() {
  setWindowTitle(QString::fromLatin1(kAppCaption));
  QApplication::setApplicationDisplayName(QString());
  QApplication::setApplicationName(QString::fromLatin1(kAppCaption));
  StartFolder = QDir::currentPath().toStdString();
  QFont font = this->font();
  font.setPointSize(8);
  setFont(font);
  CreateMenus();
  CreateToolBars();
  CreateView();
  statusBar()->setSizeGripEnabled(true);
  UpdateTimer = new QTimer(this);
  UpdateTimer->setInterval(50);
  connect(UpdateTimer, &QTimer::timeout, this, [this] { Guarded([this] { UpdateTimerTimer(); }); });
  LayterTimer = new QTimer(this);
  LayterTimer->setInterval(50);
  connect(LayterTimer, &QTimer::timeout, this, [this] { Guarded([this] { LayterTimerTimer(); }); });
  fsize = new Tfsize(this);
  Form1 = new TForm1(this);
  ProgressForm = new TProgressForm(this);
  FilterUi_ = std::make_unique<TQtFilterUi<TProgressForm>>(ProgressForm, this);
  Filters_ = std::make_unique<TFilterRunner>(FilterUi_.get());
  LoadPluginForm = new TLoadPluginForm(
      [this](const std::string& folder, bool sub) { BuildFilterMenu(folder, sub); }, this);
  ToolsForm = new TToolsForm(*this, this);
  Form2 = new TForm2(this);
  // There is no "MS Sans Serif" here: the desktop's sans-serif at 8 points stands in for it.
  TextFont.Family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
  TextFont.PointSize = 8;
  Doc.ToolMode = tool::None;
}

QAction* TSStudio::AddCommand(QMenu* menu, const char* caption, void (TSStudio::*handler)()) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  if (handler)
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([=, this] { (this->*handler)(); }); });
  return action;
}

void TSStudio::CreateMenus() {
  QMenuBar* bar = menuBar();
  FileMenu = bar->addMenu(QStringLiteral("File"));
  mOpenImage = AddCommand(FileMenu, "&Open", &TSStudio::mOpenImageClick);
  mOpenImage->setIcon(MakeIcon(TIcon::Open));
  mPrint = AddCommand(FileMenu, "&Print", &TSStudio::ToolButton13Click);
  mSaveImage = AddCommand(FileMenu, "&Save", &TSStudio::mSaveImageClick);
  mSaveImage->setEnabled(false);
  saveas1 = AddCommand(FileMenu, "&Save As...", &TSStudio::saveas1Click);
  saveas1->setEnabled(false);
  mLoadFilters = AddCommand(FileMenu, "&Load Filter Plug-Ins...", &TSStudio::LoadFilterPlugIns1Click);
  mExit = AddCommand(FileMenu, "&Exit", &TSStudio::mExitClick);

  EditMenu = bar->addMenu(QStringLiteral("Edit"));
  Undo1 = AddCommand(EditMenu, "Undo", &TSStudio::ToolButton1Click);
  Restore1 = AddCommand(EditMenu, "Restore", &TSStudio::ToolButton18Click);
  ImageSize1 = AddCommand(EditMenu, "Image Size", &TSStudio::ResizeImage1Click);
  QMenu* rotate = EditMenu->addMenu(QStringLiteral("Rotate Canvas"));
  Rotate180 = AddCommand(rotate, "180", &TSStudio::N1801Click);
  Rotate90CW = AddCommand(rotate, "90 CW", &TSStudio::N90CW1Click);
  Rotate90CCW = AddCommand(rotate, "90 CCW", &TSStudio::N90CCW1Click);

  GrimacerMenu = bar->addMenu(QStringLiteral("Grimacer"));
  Putty1 = AddCommand(GrimacerMenu, "Putty", &TSStudio::Putty1Click);
  Putty1->setIcon(MakeIcon(TIcon::Putty));
  Warp1 = AddCommand(GrimacerMenu, "Warp", &TSStudio::Warp1Click);
  Warp1->setIcon(MakeIcon(TIcon::Warp));
  wirl1 = AddCommand(GrimacerMenu, "Twirl", &TSStudio::wirl1Click);
  wirl1->setIcon(MakeIcon(TIcon::Twirl));
  GrimacerMenu->addSeparator();
  Comicfilter1 = AddCommand(GrimacerMenu, "Comic filter", &TSStudio::Comicfilter1Click);
  Comicfilter1->setVisible(false);

  ViewMenu = bar->addMenu(QStringLiteral("View"));
  Original1 = AddCommand(ViewMenu, "Original", &TSStudio::Original1Click);
  ZoomIn1 = AddCommand(ViewMenu, "Zoom In", &TSStudio::ZoomIn1Click);
  ZoomOut1 = AddCommand(ViewMenu, "Zoom Out", &TSStudio::ZoomOut1Click);
  miFitToWindow = AddCommand(ViewMenu, "Fit To Window", &TSStudio::miFitToWindowClick);

  InsertMenu = bar->addMenu(QStringLiteral("Insert"));
  Clipart1 = AddCommand(InsertMenu, "Clipart", &TSStudio::Clipart1Click);
  TalkBubble1 = AddCommand(InsertMenu, "Talk Bubble", &TSStudio::TalkBubble1Click);
  InsertMenu->addSeparator();
  Text1 = AddCommand(InsertMenu, "Text", &TSStudio::Text1Click);

  FiltersMenu = bar->addMenu(QStringLiteral("Filters "));
  LastFilter1 = AddCommand(FiltersMenu, "LastFilter", &TSStudio::miLastFilterClickClick);
  LastFilter1->setEnabled(false);
  FiltersMenu->addSeparator();

  ToolsMenu = bar->addMenu(QStringLiteral("Tools"));
  GrimacerAnimator1 = AddCommand(ToolsMenu, "Grimacer Animator", &TSStudio::GrimacerAnimator1Click);
  Chromakey1 = AddCommand(ToolsMenu, "Chromakey...", &TSStudio::Chromakey1Click);
  Chromakey1->setEnabled(false);
  ChangeBackground1 = AddCommand(ToolsMenu, "Change background...", &TSStudio::ChangeBackground1Click);
  ChangeBackground1->setEnabled(false);
  mAnimateCaricature = AddCommand(ToolsMenu, "Animate Caricature...", &TSStudio::mAnimateCaricatureClick);
  mAnimateCaricature->setIcon(MakeIcon(TIcon::AnimateCaricature));
  mAnimateCaricature->setEnabled(false);

  HelpMenu = bar->addMenu(QStringLiteral("Help"));
  GrimacerStudioHelp1 = AddCommand(HelpMenu, "Grimacer Studio Help", &TSStudio::GifMakerHelp1Click);
  VideoTutorial1 = AddCommand(HelpMenu, "Video Tutorial", &TSStudio::VideoTutorial1Click);
  About1 = AddCommand(HelpMenu, "About", &TSStudio::About1Click);

  for (QMenu* menu : {EditMenu, GrimacerMenu, ViewMenu, InsertMenu, FiltersMenu})
    menu->menuAction()->setEnabled(false);
}

void TSStudio::CreateToolBars() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(24, 24));
  auto button = [this](TIcon icon, const char* hint, QAction* command) {
    QAction* action = ToolBar1->addAction(MakeIcon(icon), QString::fromLatin1(hint));
    action->setToolTip(QString::fromLatin1(hint));
    connect(action, &QAction::triggered, command, &QAction::trigger);
    return action;
  };
  button(TIcon::Open, "Open", mOpenImage);
  tbSave = button(TIcon::Save, "Save", mSaveImage);
  tbSave->setEnabled(false);
  button(TIcon::Print, "Print", mPrint);
  ToolBar1->addSeparator();
  button(TIcon::Restore, "Restore", Restore1);
  button(TIcon::Undo, "Undo", Undo1);
  ToolBar1->addSeparator();
  QAction* tutorial = ToolBar1->addAction(MakeIcon(TIcon::Tutorial), QStringLiteral("Tutorial"));
  tutorial->setToolTip(QStringLiteral("Tutorial"));
  connect(tutorial, &QAction::triggered, this, [this] { Guarded([this] { ToolButton19Click(); }); });

  ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
  ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
  ToolBar2->setMovable(false);
  ToolBar2->addWidget(new QLabel(QStringLiteral(" Size "), ToolBar2));
  SizeBar = new QSlider(Qt::Horizontal, ToolBar2);
  SizeBar->setRange(5, 500);
  SizeBar->setValue(100);
  SizeBar->setFixedWidth(160);
  ToolBar2->addWidget(SizeBar);
  ToolBar2->addWidget(new QLabel(QStringLiteral(" Effect "), ToolBar2));
  PinchBar = new QSlider(Qt::Horizontal, ToolBar2);
  PinchBar->setRange(-100, 100);
  PinchBar->setValue(0);
  PinchBar->setFixedWidth(160);
  ToolBar2->addWidget(PinchBar);
  ToolBar2->hide();
  connect(SizeBar, &QSlider::valueChanged, this, [this] { Guarded([this] { SizeBarChange(); }); });
  connect(PinchBar, &QSlider::valueChanged, this, [this] { Guarded([this] { PinchBarChange(); }); });
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
  BrushOutline->SetRadius(SizeBar->value() / 2);
  LayersView_ = std::make_unique<TPictureLayersView>(Doc.Layers);
  FrameOwner_ = std::make_unique<TRubberbandLayer>(*DstImg);
  SelectionFrame = FrameOwner_.get();
  // Picture layers, then the selection frame, then the brush outline on top.
  DstImg->Layers = {LayersView_.get(), SelectionFrame, BrushOutline};
  connect(DstImg, &TImageView::MouseDown, this, [this](QMouseEvent* e) {
    const int x = int(e->position().x()), y = int(e->position().y());
    const auto held = e->buttons();
    const auto modifiers = e->modifiers();
    Guarded([=, this] {
      LayerMouseDown(held, modifiers, x, y);
      DstImgMouseDown(held, x, y);
    });
  });
  connect(DstImg, &TImageView::MouseMove, this, [this](QMouseEvent* e) {
    const int x = int(e->position().x()), y = int(e->position().y());
    const auto held = e->buttons();
    const auto modifiers = e->modifiers();
    Guarded([=, this] {
      if (!LayerMouseMove(held, modifiers, x, y)) DstImgMouseMove(held, x, y);
    });
  });
  connect(DstImg, &TImageView::MouseUp, this, [this](QMouseEvent*) {
    Guarded([this] {
      LayerMouseUp();
      DstImgMouseUp();
    });
  });
  connect(DstImg1, &TImageView::MouseDown, this, [this](QMouseEvent* e) {
    const int x = int(e->position().x()), y = int(e->position().y());
    const auto held = e->buttons();
    Guarded([=, this] { DstImg1MouseDown(held, x, y); });
  });
  connect(DstImg1, &TImageView::MouseMove, this, [this](QMouseEvent* e) {
    const int x = int(e->position().x()), y = int(e->position().y());
    const auto held = e->buttons();
    Guarded([=, this] { DstImg1MouseMove(held, x, y); });
  });
  connect(DstImg1, &TImageView::MouseUp, this, [this](QMouseEvent*) { Guarded([this] { DstImg1MouseUp(); }); });
  ViewHost_->resize(0, 0);
  sbxDstImg->setWidget(ViewHost_);
  setCentralWidget(sbxDstImg);
  // The window sees the wheel and the arrow keys before the scroll box does.
  sbxDstImg->viewport()->installEventFilter(this);
  sbxDstImg->installEventFilter(this);
  installEventFilter(this);
}

void TSStudio::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ExceptionHandler(e.what());
  }
}

// ---- Commands ----

void TSStudio::mOpenImageClick() {
  TFileDialogRequest request{"Open", kOpenPictureFilter, "", "", false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  OpenFile(*file);
}

void TSStudio::OpenFile(const std::string& path) {
  Doc.ZoomPercent = 100;
  LoadImageFile(path);
  SelectLayer(nullptr);
  SelectionFrame->SetChild(nullptr);
  SelectionFrame->Visible = false;
  Doc.Layers.clear();
  Doc.LayerRecords.clear();
  Doc.SelectedLayer = nullptr;
  Doc.SelectedLayerIndex = -1;
  Doc.DocumentFileName = Doc.SourceFileName;
  EndTool();
  UpdateCaption();
}

void TSStudio::LoadImageFile(const std::string& fileName) {
  try {
    Doc.LoadImageFile(fileName);
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
  for (QAction* action : {tbSave, mSaveImage, saveas1, Chromakey1, ChangeBackground1, mAnimateCaricature})
    action->setEnabled(true);
}

void TSStudio::PrepareSave() {
  Doc.GeometryChanged = false;
  EndTool();
  ShowBrushOutline(false);
  FlattenLayers();
}

void TSStudio::mSaveImageClick() {
  PrepareSave();
  Doc.WritePicture(Doc.DocumentFileName);
  RefreshView();
}

void TSStudio::saveas1Click() {
  TFileDialogRequest request{"Save As", kSavePictureFilter, kSavePictureDefaultExt, "", true};
  const std::optional<std::string> file = Dialogs().SaveFile(request);
  if (!file) return;
  PrepareSave();
  Doc.DocumentFileName = *file;
  UpdateCaption();
  Doc.WritePicture(*file);
  RefreshView();
  // The user goes on with the picture as the GIF's colour reduction left it.
  if (LowerCase(ExtractFileExt(*file)) == ".gif") LoadImageFile(Doc.DocumentFileName);
}

void TSStudio::mExitClick() { close(); }

void TSStudio::UpdateCaption() {
  QString caption = QString::fromLatin1(kAppCaption);
  if (!Doc.DocumentFileName.empty())
    caption += QStringLiteral("  \"") + QString::fromStdString(ExtractFileName(Doc.DocumentFileName)) +
               QLatin1Char('"');
  setWindowTitle(caption);
}

void TSStudio::EndTool() {
  // A pixel tool painted into the source, which took the warped picture when the tool began:
  // the mesh starts again from it. The layer tools leave the picture and its mesh alone, so
  // the strokes on the face outlive them.
  if (Doc.ToolMode >= tool::Eraser && Doc.ToolMode <= tool::ChromaPick) {
    Doc.ReplacePicture(Doc.SourceBitmap);
    DstImg1->hide();
  }
  Doc.Brushes.ButtonDown = false;
  UpdateTimer->stop();
  LayterTimer->stop();
  DstImg->unsetCursor();
  ToolBar2->hide();
  ShowBrushOutline(false);
  Doc.ToolMode = tool::None;
  ShowAllLayers(true);
  RefreshView();
}

void TSStudio::RefreshView() {
  DstImg->Changed();
  DstImg1->Changed();
}

// ---- Zoom ----

void TSStudio::ApplyZoom() {
  const int w = ZoomedSide(Doc.ImageWidth, Doc.ZoomPercent);
  const int h = ZoomedSide(Doc.ImageHeight, Doc.ZoomPercent);
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
  Doc.ZoomPercent = FitZoom(client.width(), client.height(), Doc.ImageWidth, Doc.ImageHeight);
  ApplyZoom();
}

bool TSStudio::BrushActive() const {
  const int mode = Doc.ToolMode;
  return (mode >= tool::Putty && mode <= tool::Twirl) ||
         (mode >= tool::LayerPutty && mode <= tool::LayerTwirl);
}

void TSStudio::FormMouseWheelUp() {
  if (BrushActive()) {
    SizeBar->setValue(SizeBar->value() - kBrushStep);
    return;
  }
  Doc.ZoomPercent = WheelUpZoom(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::FormMouseWheelDown() {
  if (BrushActive()) {
    SizeBar->setValue(SizeBar->value() + kBrushStep);
    return;
  }
  Doc.ZoomPercent = WheelDownZoom(Doc.ZoomPercent);
  ApplyZoom();
}

void TSStudio::WMKeyDown(int key) {
  const bool pictureBrush = Doc.ToolMode >= tool::Putty && Doc.ToolMode <= tool::Twirl;
  switch (key) {
    case Qt::Key_Up:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() + kBrushStep);
      } else {
        Doc.ZoomPercent = ArrowUpZoom(Doc.ZoomPercent);
        ApplyZoom();
      }
      break;
    case Qt::Key_Down:
      if (pictureBrush) {
        SizeBar->setValue(SizeBar->value() - kBrushStep);
      } else if (Doc.ZoomPercent > kMinZoom) {
        Doc.ZoomPercent = ArrowDownZoom(Doc.ZoomPercent);
        ApplyZoom();
      }
      break;
    case Qt::Key_Left:
      if (pictureBrush) PinchBar->setValue(PinchBar->value() - kBrushStep);
      break;
    case Qt::Key_Right:
      if (pictureBrush) PinchBar->setValue(PinchBar->value() + kBrushStep);
      break;
    default:
      break;
  }
}

bool TSStudio::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    const int delta = wheel->angleDelta().y();
    if (delta > 0) Guarded([this] { FormMouseWheelUp(); });
    if (delta < 0) Guarded([this] { FormMouseWheelDown(); });
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right) {
      Guarded([this, key] { WMKeyDown(key); });
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// ---- Painting ----

void TSStudio::DstImgPaintStage(QPainter& painter, const QRect& exposed) {
  if (!Doc.ImageLoaded) return;
  // Squares counted from the view's top-left corner; the top-left one is grey.
  const int c0 = exposed.left() / kCheckerSquare;
  const int r0 = exposed.top() / kCheckerSquare;
  const int c1 = exposed.right() / kCheckerSquare;
  const int r1 = exposed.bottom() / kCheckerSquare;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      painter.fillRect(c * kCheckerSquare, r * kCheckerSquare, kCheckerSquare, kCheckerSquare,
                       QColor::fromRgba((c + r) % 2 == 0 ? kCheckerGrey : kCheckerWhite));
}

// ---- Life cycle ----

void TSStudio::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (Shown_) return;
  Shown_ = true;
  Guarded([this] { FormShow(); });
}

void TSStudio::FormShow() {
  if (BatchMode) {
    BuildFilterMenu(StartFolder + "/plugins", true);
    return;
  }
  // The splash stays at least 1.5 s and goes away even when the scan fails.
  ShowSplashWhile([this] { BuildFilterMenu(StartFolder + "/plugins", true); }, SplashMinimumMs);
  ToolsForm->show();
}

void TSStudio::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Guarded([this] { FormActivate(); });
}

void TSStudio::FormActivate() {
  if (BatchMode) {
    AboutShown = true;
    return;
  }
  ActivateAboutBox(*Form2, AboutShown);
}

}  // namespace gs
