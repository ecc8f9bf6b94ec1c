// SPDX-License-Identifier: GPL-3.0-or-later
#include "gifloom/AnimatorDialog.h"

#include "gifloom/AnimatorIcons.h"
#include "gifloom/AnimatorSettings.h"
#include "gifloom/DesktopServices.h"
#include "gifloom/FrameInfo.h"
#include "gifloom/GifAssembler.h"
#include "gifloom/GifError.h"
#include "gifloom/GifMessages.h"
#include "gifloom/HelpPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace gifloom {

namespace {

const QString kErrorCaption = QStringLiteral("Error");
const QString kWebFailure =
    QStringLiteral("Error opening web browser. You may manually surf to %1.");
const QString kHelpMissing = QStringLiteral(
    "Couldn't find the help file! Please make sure help/animator.html is in the folder "
    "Gifloom starts in and try again.");
const QString kHelpNotShown =
    QStringLiteral("No program could show the help file %1. Open it in a web browser.");
const QString kFirstFrameOnly = QStringLiteral("This file has several frames; only the first is used.");
const QString kWroteOneFrame = QStringLiteral("Wrote 1 frame to %1.");
const QString kWroteFrames = QStringLiteral("Wrote %1 frames to %2.");
const QString kFirstFramesOnly = QStringLiteral("Only the first frame was used of: %1.");
const QString kNotice = QStringLiteral(
    "Gifloom, the animated-GIF maker of Grimacer Studio.\n"
    "Add or drop GIF files, set the delay and make the animation.");
// Any delay the GIF's 16-bit field holds can be typed; the arrows (and the wheel and arrow
// keys) keep to the first ten seconds, where a slip of the wheel cannot hold a frame for minutes.
constexpr int kMaxDelay = 65535;
constexpr int kMaxSteppedDelay = 1000;

class TDelaySpinBox : public QSpinBox {
public:
  void stepBy(int steps) override {
    const qint64 target = std::clamp<qint64>(qint64(value()) + qint64(steps) * singleStep(),
                                             minimum(), kMaxSteppedDelay);
    // From a larger typed delay a down step lands on the arrows' top; an up step must not lower
    // it.
    if (steps > 0 && target < value()) return;
    setValue(int(target));
    // As QSpinBox's own steps do, so that typing after an arrow replaces the number.
    if (style()->styleHint(QStyle::SH_SpinBox_SelectOnStep, nullptr, this)) selectAll();
  }

protected:
  StepEnabled stepEnabled() const override {
    StepEnabled enabled = QSpinBox::stepEnabled();
    if (value() >= kMaxSteppedDelay) enabled &= ~StepUpEnabled;
    return enabled;
  }
};

QPushButton* NewButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(QLatin1String(name));
  // Enter in the delay field must not press a button by accident.
  button->setAutoDefault(false);
  return button;
}

QToolButton* NewIconButton(const QString& text, const QIcon& icon, const char* name) {
  auto* button = new QToolButton;
  button->setObjectName(QLatin1String(name));
  button->setText(text);
  button->setIcon(icon);
  button->setIconSize(QSize(24, 24));
  button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  button->setAutoRaise(true);
  return button;
}

// File names as the file system spells them, which need not be UTF-8.
std::string NativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QStringList LocalFilesOf(const QMimeData* data) {
  QStringList paths;
  if (data == nullptr) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}

}  // namespace

TAnimatorDialog::TAnimatorDialog(TDesktopServices& services, QString startFolder,
                                 QSettings* settings, QWidget* parent)
    : QDialog(parent),
      Services_(services),
      StartFolder_(std::move(startFolder)),
      ProgramFolder_(QCoreApplication::applicationDirPath()),
      InstalledFolder_(QStringLiteral(GIFLOOM_INSTALLED_DATA_DIR)),
      Settings_(settings) {
  setWindowTitle(QString::fromLatin1(kAnimatorCaption));
  setWindowIcon(AnimatorIcon());
  setAcceptDrops(true);
  auto* columns = new QHBoxLayout;
  columns->addWidget(BuildFramesGroup(), 1);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildInfoGroup());
  right->addWidget(BuildOptionsGroup());
  columns->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addWidget(BuildFooter());
  // Before the commands are connected, so that restoring writes nothing back.
  RestoreChoices();
  UpdateMoveButtons();
  ConnectCommands();
  resize(400, 260);
}

QWidget* TAnimatorDialog::BuildFramesGroup() {
  auto* group = new QGroupBox(QStringLiteral("Frames (drop GIF files here)"));
  FrameList_ = new QListWidget;
  FrameList_->setObjectName(QStringLiteral("frameList"));
  FrameList_->setSelectionMode(QAbstractItemView::SingleSelection);
  FrameList_->setSortingEnabled(false);
  FrameList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  AddButton_ = NewButton(QStringLiteral("Add Frames..."), "addFramesButton");
  MoveUpButton_ = NewButton(QStringLiteral("Move Up"), "moveUpButton");
  MoveDownButton_ = NewButton(QStringLiteral("Move Down"), "moveDownButton");
  auto* side = new QVBoxLayout;
  side->addWidget(AddButton_);
  side->addSpacing(8);
  side->addWidget(MoveUpButton_);
  side->addWidget(MoveDownButton_);
  side->addStretch(1);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(FrameList_, 1);
  listRow->addLayout(side);
  RemoveButton_ = NewButton(QStringLiteral("Remove Frame"), "removeFrameButton");
  ClearButton_ = NewButton(QStringLiteral("Clear All"), "clearAllButton");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(RemoveButton_);
  buttons->addWidget(ClearButton_);
  auto* layout = new QVBoxLayout(group);
  layout->addLayout(listRow, 1);
  layout->addLayout(buttons);
  return group;
}

QWidget* TAnimatorDialog::BuildInfoGroup() {
  auto* group = new QGroupBox(QStringLiteral("Info for selected frame"));
  NameLabel_ = new QLabel;
  NameLabel_->setObjectName(QStringLiteral("nameLabel"));
  NameLabel_->setAlignment(Qt::AlignCenter);
  NameLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  InfoLabel_ = new QLabel;
  InfoLabel_->setObjectName(QStringLiteral("infoLabel"));
  auto* facts = new QHBoxLayout;
  facts->addWidget(new QLabel(QStringLiteral("Dimensions:\nPalette:")));
  facts->addWidget(InfoLabel_, 1);
  // Said in the box, not in a message: the file is not wrong, only more than is used.
  FramesNote_ = new QLabel;
  FramesNote_->setObjectName(QStringLiteral("framesNote"));
  FramesNote_->setWordWrap(true);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(NameLabel_);
  layout->addLayout(facts);
  layout->addWidget(FramesNote_);
  return group;
}

QWidget* TAnimatorDialog::BuildOptionsGroup() {
  auto* group = new QGroupBox(QStringLiteral("Options"));
  LoopCheck_ = new QCheckBox(QStringLiteral("Loop animation"));
  LoopCheck_->setObjectName(QStringLiteral("loopCheck"));
  LoopCheck_->setChecked(true);
  DelaySpin_ = new TDelaySpinBox;
  DelaySpin_->setObjectName(QStringLiteral("delaySpin"));
  DelaySpin_->setRange(0, kMaxDelay);
  DelaySpin_->setGroupSeparatorShown(false);
  DelaySpin_->setAlignment(Qt::AlignRight);
  auto* delay = new QHBoxLayout;
  delay->addWidget(new QLabel(QStringLiteral("Frame delay:")));
  delay->addWidget(DelaySpin_, 1);
  delay->addWidget(new QLabel(QStringLiteral("cs")));
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(LoopCheck_);
  layout->addLayout(delay);
  return group;
}

QWidget* TAnimatorDialog::BuildFooter() {
  auto* footer = new QWidget;
  MakeButton_ = NewButton(QStringLiteral("Make Animated GIF"), "makeButton");
  MakeButton_->setEnabled(false);
  // The status line: what the window is for until an animation is made, then what was made.
  auto* notice = new QLabel(kNotice);
  notice->setObjectName(QStringLiteral("noticeLabel"));
  notice->setWordWrap(true);
  notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Notice_ = notice;
  WebButton_ = NewIconButton(QStringLiteral("web"), AnimatorIcon(), "webButton");
  HelpButton_ = NewIconButton(QStringLiteral("help"), HelpIcon(), "helpButton");
  auto* layout = new QHBoxLayout(footer);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MakeButton_);
  layout->addWidget(notice, 1);
  layout->addWidget(WebButton_);
  layout->addWidget(HelpButton_);
  return footer;
}

template <typename TCommand>
void TAnimatorDialog::Guarded(const TCommand& command) noexcept {
  try {
    command();
  } catch (const std::exception& error) {
    try {
      Warn(QString::fromLocal8Bit(error.what()));
    } catch (...) {
    }
  } catch (...) {
  }
}

void TAnimatorDialog::ConnectCommands() {
  const auto guarded = [this](void (TAnimatorDialog::*command)()) {
    return [this, command] { Guarded([this, command] { (this->*command)(); }); };
  };
  connect(AddButton_, &QPushButton::clicked, this, guarded(&TAnimatorDialog::AddFramesFromDialog));
  connect(MoveUpButton_, &QPushButton::clicked, this, guarded(&TAnimatorDialog::MoveSelectedUp));
  connect(MoveDownButton_, &QPushButton::clicked, this,
          guarded(&TAnimatorDialog::MoveSelectedDown));
  connect(RemoveButton_, &QPushButton::clicked, this, guarded(&TAnimatorDialog::RemoveFrame));
  connect(ClearButton_, &QPushButton::clicked, this, guarded(&TAnimatorDialog::ClearAll));
  connect(MakeButton_, &QPushButton::clicked, this, [this] { Guarded([this] { MakeAnimatedGif(); }); });
  connect(WebButton_, &QToolButton::clicked, this, guarded(&TAnimatorDialog::OpenWebPage));
  connect(HelpButton_, &QToolButton::clicked, this, guarded(&TAnimatorDialog::OpenHelp));
  // The buttons first: the info may stop at a message box.
  connect(FrameList_, &QListWidget::itemSelectionChanged, this,
          guarded(&TAnimatorDialog::UpdateMoveButtons));
  connect(FrameList_, &QListWidget::itemSelectionChanged, this,
          guarded(&TAnimatorDialog::ShowSelectedInfo));
  connect(DelaySpin_, &QSpinBox::valueChanged, this, guarded(&TAnimatorDialog::RememberDelay));
  connect(LoopCheck_, &QCheckBox::toggled, this, guarded(&TAnimatorDialog::RememberLoop));
}

void TAnimatorDialog::RestoreChoices() {
  if (Settings_ == nullptr) return;
  const TAnimatorChoices choices = LoadAnimatorChoices(*Settings_);
  LastFolder_ = choices.Folder;
  DelaySpin_->setValue(choices.DelayCentiseconds);
  LoopCheck_->setChecked(choices.Loop);
}

void TAnimatorDialog::RememberFolderOf(const QString& path) {
  LastFolder_ = QFileInfo(path).absolutePath();
  if (Settings_ != nullptr) StoreFolder(*Settings_, LastFolder_);
}

void TAnimatorDialog::RememberDelay() {
  if (Settings_ != nullptr) StoreDelay(*Settings_, DelaySpin_->value());
}

void TAnimatorDialog::RememberLoop() {
  if (Settings_ != nullptr) StoreLoop(*Settings_, LoopCheck_->isChecked());
}

// A remembered folder that has since been removed is not offered: the dialog then starts where
// it does with nothing remembered, instead of wherever a missing folder happens to leave it.
QString TAnimatorDialog::StartingFolder() const {
  return QFileInfo(LastFolder_).isDir() ? LastFolder_ : QString();
}

void TAnimatorDialog::AddFiles(const QStringList& paths) {
  for (const QString& path : paths) {
    auto* item = new QListWidgetItem(QFileInfo(path).fileName(), FrameList_);
    item->setData(Qt::UserRole, path);
    item->setToolTip(path);
  }
  if (FrameList_->count() > 0) MakeButton_->setEnabled(true);
  UpdateMoveButtons();
}

void TAnimatorDialog::AddFramesFromDialog() {
  const TOpenFilesRequest request{.Title = QStringLiteral("Add Frames"),
                                  .NameFilter = QStringLiteral("GIF Images (*.gif)"),
                                  .Folder = StartingFolder()};
  const QStringList paths = Services_.AskOpenFileNames(request);
  if (paths.isEmpty()) return;
  RememberFolderOf(paths.constFirst());
  AddFiles(paths);
}

int TAnimatorDialog::SelectedRow() const {
  const QList<QListWidgetItem*> selected = FrameList_->selectedItems();
  return selected.isEmpty() ? -1 : FrameList_->row(selected.constFirst());
}

void TAnimatorDialog::UpdateMoveButtons() {
  const int row = SelectedRow();
  MoveUpButton_->setEnabled(row > 0);
  MoveDownButton_->setEnabled(row >= 0 && row + 1 < FrameList_->count());
}

void TAnimatorDialog::MoveSelectedUp() { MoveSelected(-1); }

void TAnimatorDialog::MoveSelectedDown() { MoveSelected(1); }

// The selected frame stays selected and stays the same file, so its info is not read (nor
// complained about) again.
void TAnimatorDialog::MoveSelected(int step) {
  const int row = SelectedRow();
  const int target = row + step;
  if (row < 0 || target < 0 || target >= FrameList_->count()) return;
  {
    const QSignalBlocker blocker(FrameList_);
    QListWidgetItem* item = FrameList_->takeItem(row);
    FrameList_->insertItem(target, item);
    FrameList_->setCurrentItem(item);
  }
  UpdateMoveButtons();
}

QStringList TAnimatorDialog::FramePaths() const {
  QStringList paths;
  for (int row = 0; row < FrameList_->count(); ++row)
    paths << FrameList_->item(row)->data(Qt::UserRole).toString();
  return paths;
}

void TAnimatorDialog::dragEnterEvent(QDragEnterEvent* event) {
  Guarded([&] {
    if (!LocalFilesOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
  });
}

void TAnimatorDialog::dragMoveEvent(QDragMoveEvent* event) {
  Guarded([&] {
    if (!LocalFilesOf(event->mimeData()).isEmpty()) event->acceptProposedAction();
  });
}

void TAnimatorDialog::dropEvent(QDropEvent* event) {
  Guarded([&] {
    const QStringList paths = LocalFilesOf(event->mimeData());
    if (paths.isEmpty()) return;
    AddFiles(paths);
    event->acceptProposedAction();
  });
}

// Removing items is not a choice by the user, so it must not show (or complain about) the
// info of whichever item Qt selects next.
void TAnimatorDialog::RemoveFrame() {
  const QList<QListWidgetItem*> selected = FrameList_->selectedItems();
  if (selected.isEmpty()) return;
  {
    const QSignalBlocker blocker(FrameList_);
    delete selected.constFirst();
    FrameList_->clearSelection();
  }
  ClearInfo();
  UpdateMoveButtons();
  if (FrameList_->count() == 0) MakeButton_->setEnabled(false);
}

void TAnimatorDialog::ClearAll() {
  FrameList_->clear();
  ClearInfo();
  UpdateMoveButtons();
  MakeButton_->setEnabled(false);
}

void TAnimatorDialog::ClearInfo() {
  NameLabel_->clear();
  InfoLabel_->clear();
  FramesNote_->clear();
}

void TAnimatorDialog::ShowSelectedInfo() {
  const QList<QListWidgetItem*> selected = FrameList_->selectedItems();
  if (selected.isEmpty()) return;
  const QListWidgetItem* item = selected.constFirst();
  NameLabel_->setText(item->text());
  InfoLabel_->clear();
  FramesNote_->clear();
  try {
    const TFrameInfo info = ReadFrameInfo(NativePath(item->data(Qt::UserRole).toString()));
    InfoLabel_->setText(QString::fromStdString(FormatFrameInfo(info)));
    if (info.SeveralFrames) FramesNote_->setText(kFirstFrameOnly);
  } catch (const EGifError& error) {
    // The message names the file: a list of dropped files may hold more than one that is wrong.
    Warn(QString::fromLocal8Bit(error.what()));
  }
}

bool TAnimatorDialog::MakeAnimatedGif() {
  const TSaveFileRequest request{.Title = QStringLiteral("Make Animated GIF"),
                                 .NameFilter = QStringLiteral("GIF Files (*.gif)"),
                                 .DefaultSuffix = QStringLiteral("gif"),
                                 .ConfirmOverwrite = true,
                                 .Folder = StartingFolder()};
  const std::optional<QString> target = Services_.AskSaveFileName(request);
  if (!target) return false;
  RememberFolderOf(*target);
  std::vector<std::string> inputs;
  for (const QString& path : FramePaths()) inputs.push_back(NativePath(path));
  const TAssemblyOptions options{.DelayCentiseconds = uint16_t(DelaySpin_->value()),
                                 .Loop = LoopCheck_->isChecked()};
  TAssemblyReport report;
  try {
    report = AssembleAnimatedGif(inputs, NativePath(*target), options);
  } catch (const EGifError& error) {
    const bool plain = error.Message() == kCouldNotOpenInput;
    Services_.ShowMessage(plain ? TMessageIcon::None : TMessageIcon::Warning, kErrorCaption,
                          QString::fromStdString(error.what()));
    return false;
  }
  Made_ = Job();
  ReportMade(report, *target);
  return true;
}

void TAnimatorDialog::ReportMade(const TAssemblyReport& report, const QString& target) {
  QString said = report.Frames == 1 ? kWroteOneFrame.arg(QDir::toNativeSeparators(target))
                                    : kWroteFrames.arg(report.Frames).arg(QDir::toNativeSeparators(target));
  QStringList names;
  for (const std::string& path : report.SeveralFrames)
    names << QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
  if (!names.isEmpty()) said += QLatin1Char('\n') + kFirstFramesOnly.arg(names.join(QStringLiteral(", ")));
  Notice_->setText(said);
}

QStringList TAnimatorDialog::Job() const {
  return FramePaths() << QString::number(DelaySpin_->value()) << QString::number(LoopCheck_->isChecked());
}

bool TAnimatorDialog::MayClose() {
  if (FramePaths().isEmpty() || Job() == Made_) return true;
  switch (Services_.AskSaveChanges(QString::fromLatin1(kAnimatorCaption),
                                   QStringLiteral("Save changes to the animation before closing?"))) {
    case TSaveChanges::Discard: return true;
    case TSaveChanges::Cancel: return false;
    case TSaveChanges::Save: break;
  }
  bool made = false;
  Guarded([this, &made] { made = MakeAnimatedGif(); });
  return made;
}

void TAnimatorDialog::SetHelpFolders(QString programFolder, QString installedFolder) {
  ProgramFolder_ = std::move(programFolder);
  InstalledFolder_ = std::move(installedFolder);
}

std::optional<std::string> TAnimatorDialog::HelpPage() const {
  return FindHelpPage(NativePath(StartFolder_), NativePath(ProgramFolder_), NativePath(InstalledFolder_));
}

void TAnimatorDialog::OpenWebPage() {
  const std::optional<std::string> page = HelpPage();
  const QUrl address = QUrl::fromLocalFile(
      QFile::decodeName(page.value_or(ExpectedHelpPage(NativePath(StartFolder_))).c_str()));
  if (page && Services_.OpenUrl(address)) return;
  Warn(kWebFailure.arg(address.toString()));
}

// "Couldn't find" only for a page that is not there: one the desktop cannot show is named, so
// that it can be opened by hand.
void TAnimatorDialog::OpenHelp() {
  const std::optional<std::string> page = HelpPage();
  if (!page) return Warn(kHelpMissing);
  const QString path = QFile::decodeName(page->c_str());
  if (!Services_.OpenUrl(QUrl::fromLocalFile(path))) Warn(kHelpNotShown.arg(path));
}

void TAnimatorDialog::Warn(const QString& text) {
  Services_.ShowMessage(TMessageIcon::Warning, kErrorCaption, text);
}

void TAnimatorDialog::done(int result) {
  bool close = true;
  Guarded([this, &close] { close = MayClose(); });
  if (!close) return;
  setAcceptDrops(false);
  ClearAll();
  QDialog::done(result);
}

}  // namespace gifloom
