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
#include "faces/Face.h"
#include "faces/FaceFinder.h"
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

namespace {
// The menu bar's menus in their order, and the sub-menus with the menu and place they sit in.
struct TMenuTitle {
  TMenu Menu;
  const char* Title;
  const char* Name;
};
constexpr TMenuTitle kMenuBar[] = {
    {TMenu::File, "File", "FileMenu"},           {TMenu::Edit, "Edit", "EditMenu"},
    {TMenu::Grimacer, "Grimacer", "GrimacerMenu"}, {TMenu::View, "View", "ViewMenu"},
    {TMenu::Insert, "Insert", "InsertMenu"},     {TMenu::Filters, "Filters ", "FiltersMenu"},
    {TMenu::Tools, "Tools", "ToolsMenu"},        {TMenu::Help, "Help", "HelpMenu"},
};
struct TSubMenu {
  TMenuTitle Title;
  TPlace Place;
};
constexpr TSubMenu kSubMenus[] = {
    {{TMenu::OpenRecent, "Open &Recent", "RecentMenu"}, {TMenu::File, 11}},
    {{TMenu::RotateCanvas, "Rotate Canvas", "RotateCanvasMenu"}, {TMenu::Edit, 15}},
};
// The menus that hold nothing to do before a picture is open.
constexpr TMenu kPictureMenus[] = {TMenu::Edit, TMenu::Grimacer, TMenu::View, TMenu::Insert, TMenu::Filters};

// One entry of a menu or bar being laid out: a row's action or a sub-menu, at its order.
struct TEntry {
  int Order;
  QAction* Action;
};

// Adds the entries in their order, with a separator between different tens.
template <class Target>
void Lay(Target& target, std::vector<TEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.Order < b.Order; });
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i > 0 && entries[i].Order / 10 != entries[i - 1].Order / 10) target.addSeparator();
    target.addAction(entries[i].Action);
  }
}
}  // namespace

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
  CreateView();
  CreateHistoryDock();
  setAcceptDrops(true);
  statusBar()->setSizeGripEnabled(true);
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
  // There is no "MS Sans Serif" here: the desktop's sans-serif at 8 points stands in for it.
  TextFont_.Family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
  TextFont_.PointSize = 8;
  Doc.ToolMode = TToolMode::None;
  RefreshAutoCaricature();
  RefreshCommands();
}

std::vector<TCommandRow> TSStudio::CommandRows() {
  std::vector<TCommandRow> rows;
  for (TCommandRows topic : {FileCommands(), CanvasCommands(), HistoryCommands(), ViewCommands(), BrushCommands(),
                             AutoCaricatureCommands(), LayerCommands(), PixelToolCommands(), AdjustCommands(),
                             AnimateCommands(), FilterCommands(), HelpCommands(), SettingsCommands()})
    rows.insert(rows.end(), topic.begin(), topic.end());
  return rows;
}

QAction* TSStudio::MakeAction(const TCommandRow& row) {
  auto* action = new QAction(QString::fromUtf8(row.Caption), this);
  action->setObjectName(QString::fromLatin1(row.Name));
  if (row.Icon) action->setIcon(MakeIcon(*row.Icon));
  if (row.Tip) action->setToolTip(QString::fromUtf8(row.Tip));
  if (row.IconText) action->setIconText(QString::fromUtf8(row.IconText));
  QList<QKeySequence> keys;
  for (const TKey& key : row.Keys) {
    if (key.Standard != QKeySequence::UnknownKey) keys.append(QKeySequence::keyBindings(key.Standard));
    else if (key.Combination.key() != Qt::Key(0)) keys.append(QKeySequence(key.Combination));
  }
  action->setShortcuts(keys);
  if (row.Handler)
    connect(action, &QAction::triggered, this, [this, &row] { RunGuarded([this, &row] { RunCommand(row); }); });
  return action;
}

void TSStudio::RunCommand(const TCommandRow& row) {
  // Whatever the command did or failed at, the greyed-out commands follow the document.
  struct TRefresh {
    TSStudio& Studio;
    ~TRefresh() { Studio.RefreshCommands(); }
  } refresh{*this};
  if (!row.Step) return (this->*row.Handler)();
  RecordStep(row.Step->Scope, row.Step->Name, [this, &row] { (this->*row.Handler)(); });
}

QAction* TSStudio::Action(const char* name) const { return ActionsByName_.at(name); }

void TSStudio::CreateActions() {
  Rows_ = CommandRows();
  RowActions_.reserve(Rows_.size());
  for (const TCommandRow& row : Rows_) {
    QAction* action = MakeAction(row);
    RowActions_.push_back(action);
    ActionsByName_.emplace(row.Name, action);
    if (row.Hidden) action->setVisible(false);
  }
  // The palette's tools are in no menu: the window carries every action so their keys work.
  addActions(QList<QAction*>(RowActions_.begin(), RowActions_.end()));
}

bool TSStudio::Available(const TCommandRow& row) const {
  bool needs = true;
  switch (row.Needs) {
    case TNeeds::Nothing: break;
    case TNeeds::Picture: needs = Doc.ImageLoaded; break;
    case TNeeds::Layers: needs = Doc.ImageLoaded && !Doc.Layers.empty(); break;
    case TNeeds::SelectedLayer: needs = Doc.ImageLoaded && Doc.SelectedLayer != nullptr; break;
  }
  return needs && (!row.Also || (this->*row.Also)());
}

void TSStudio::RefreshCommands() {
  for (size_t i = 0; i < Rows_.size(); ++i) RowActions_[i]->setEnabled(Available(Rows_[i]));
  for (TMenu menu : kPictureMenus) Menu(menu)->menuAction()->setEnabled(Doc.ImageLoaded);
}

void TSStudio::CreateMenus() {
  QMenuBar* bar = menuBar();
  std::unordered_map<TMenu, std::vector<TEntry>> entries;
  for (const TMenuTitle& title : kMenuBar) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(title.Title));
    menu->setObjectName(QString::fromLatin1(title.Name));
    Menus_[title.Menu] = menu;
  }
  for (const TSubMenu& sub : kSubMenus) {
    auto* menu = new QMenu(QString::fromUtf8(sub.Title.Title), this);
    menu->setObjectName(QString::fromLatin1(sub.Title.Name));
    Menus_[sub.Title.Menu] = menu;
    entries[sub.Place.Menu].push_back(TEntry{sub.Place.Order, menu->menuAction()});
  }
  for (size_t i = 0; i < Rows_.size(); ++i)
    if (Rows_[i].Menu.Menu != TMenu::None)
      entries[Rows_[i].Menu.Menu].push_back(TEntry{Rows_[i].Menu.Order, RowActions_[i]});
  for (auto& [menu, list] : entries) Lay(*Menu(menu), list);
  // The filters' categories follow, and the History list's switch.
  Menu(TMenu::Filters)->addSeparator();
  Menu(TMenu::View)->addSeparator();
  RebuildRecentMenu();
}

void TSStudio::CreateToolBars() {
  ToolBar1 = addToolBar(QStringLiteral("ToolBar1"));
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(24, 24));
  std::vector<TEntry> entries;
  for (size_t i = 0; i < Rows_.size(); ++i)
    if (Rows_[i].ToolBar) entries.push_back(TEntry{Rows_[i].ToolBar, RowActions_[i]});
  Lay(*ToolBar1, entries);
  // Before acts while held, not when clicked.
  auto* before = qobject_cast<QToolButton*>(ToolBar1->widgetForAction(Action("Before1")));
  connect(before, &QToolButton::pressed, this,
          [this] { RunGuarded([this] { HoldBefore(TBeforeHold::Button, true); }); });
  connect(before, &QToolButton::released, this,
          [this] { RunGuarded([this] { HoldBefore(TBeforeHold::Button, false); }); });

  ToolBar2 = addToolBar(QStringLiteral("ToolBar2"));
  ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
  ToolBar2->setMovable(false);
  ToolBar2->addWidget(new QLabel(QStringLiteral(" Size "), ToolBar2));
  SizeBar = new QSlider(Qt::Horizontal, ToolBar2);
  SizeBar->setObjectName(QStringLiteral("SizeBar"));
  SizeBar->setRange(TBrushTool::kMinSize, TBrushTool::kMaxSize);
  SizeBar->setValue(Doc.Brushes.Size());
  SizeBar->setFixedWidth(160);
  ToolBar2->addWidget(SizeBar);
  ToolBar2->addWidget(new QLabel(QStringLiteral(" Effect "), ToolBar2));
  PinchBar = new QSlider(Qt::Horizontal, ToolBar2);
  PinchBar->setObjectName(QStringLiteral("PinchBar"));
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
  BrushOutline_ = std::make_unique<TBrushLayer>(*DstImg);
  BrushOutline_->Visible = false;
  BrushOutline_->OverInstead = true;  // it stands for the hidden pointer, also over the photo
  BrushOutline_->SetRadius(Doc.Brushes.Size() / 2);
  LayersView_ = std::make_unique<TPictureLayersView>(Doc.Layers);
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

// ---- File ----

TCommandRows TSStudio::FileCommands() {
  static const TCommandRow rows[] = {
      {.Name = "mOpenImage", .Caption = "&Open", .Handler = &TSStudio::mOpenImageClick, .Icon = TIcon::Open,
       .Tip = "Open", .Keys = {Key(QKeySequence::Open)}, .Menu = {TMenu::File, 10}, .ToolBar = 10,
       .Needs = TNeeds::Nothing},
      {.Name = "mSaveImage", .Caption = "&Save", .Handler = &TSStudio::mSaveImageClick, .Icon = TIcon::Save,
       .Tip = "Save", .Keys = {Key(QKeySequence::Save)}, .Menu = {TMenu::File, 13}, .ToolBar = 11,
       .Step = TRecordedStep{TChangeScope::Picture, "Save"}, .Batch = "save"},
      {.Name = "saveas1", .Caption = "&Save As...", .Handler = &TSStudio::saveas1Click,
       .Keys = {Key(QKeySequence::SaveAs)}, .Menu = {TMenu::File, 14},
       .Step = TRecordedStep{TChangeScope::Picture, "Save As"}},
      {.Name = "mExit", .Caption = "&Exit", .Handler = &TSStudio::mExitClick, .Keys = {Key(QKeySequence::Quit)},
       .Menu = {TMenu::File, 16}, .Needs = TNeeds::Nothing},
  };
  return rows;
}


void TSStudio::mOpenImageClick() {
  TFileDialogRequest request{"Open", kOpenPictureFilter, "", LastFolder_, false};
  const std::optional<std::string> file = Dialogs().OpenFile(request);
  if (!file) return;
  RememberFolder(*file);
  OpenFile(*file);
}

void TSStudio::OpenFile(const std::string& path) {
  // A file that cannot be opened leaves everything as it was: it throws before any change.
  LoadImageFile(path);
  Doc.History.Clear();
  RememberFile(path);
  Doc.OpenedFileName = path;
  Doc.SceneBeforeSave.reset();
  SelectLayer(nullptr);
  Doc.Frame.SetChild(nullptr);
  Doc.Frame.Visible = false;
  Doc.Layers.clear();
  Doc.LayerRecords.clear();
  Doc.SelectedLayer = nullptr;
  Doc.SelectedLayerIndex = -1;
  Doc.DocumentFileName = Doc.SourceFileName;
  EndTool();
  UpdateCaption();
  RefreshHistory();
}

void TSStudio::LoadImageFile(const std::string& fileName) {
  try {
    Doc.LoadImageFile(fileName);
  } catch (...) {
    RefreshView();
    throw;
  }
  RefreshCommands();
  DstImg->show();
  RefreshView();
  FitToWindow();
}

void TSStudio::PrepareSave(const std::string& target) {
  // Merging the layers, or the GIF's colour reduction, bakes the warp into the picture: keep
  // what an animation of the caricature needs.
  const bool bakes = !Doc.Layers.empty() || LowerCase(ExtractFileExt(target)) == ".gif";
  const TAnimationScene scene = SceneOf(Doc);
  if (bakes && !IsPixelTool(Doc.ToolMode) && SceneHasWarp(scene)) Doc.SceneBeforeSave.emplace(scene);
  Doc.GeometryChanged = false;
  EndTool();
  ShowBrushOutline(false);
  FlattenLayers();
}

void TSStudio::mSaveImageClick() {
  PrepareSave(Doc.DocumentFileName);
  Doc.WritePicture(Doc.DocumentFileName);
  RefreshView();
}

void TSStudio::saveas1Click() {
  TFileDialogRequest request{"Save As", kSavePictureFilter, kSavePictureDefaultExt, LastFolder_, true};
  const std::optional<std::string> file = Dialogs().SaveFile(request);
  if (!file) return;
  RememberFolder(*file);
  PrepareSave(*file);
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
  if (!Doc.ImageLoaded) return;
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
}

void TSStudio::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) RunGuarded([this] { FormActivate(); });
  // A key let go in another window never comes here: the photo must not stay up.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow())
    RunGuarded([this] { HoldBefore(TBeforeHold::Key, false); });
}

void TSStudio::FormActivate() {
  if (BatchMode_) {
    AboutShown = true;
    return;
  }
  ActivateAboutBox(*Form2, AboutShown);
}

}  // namespace gs
