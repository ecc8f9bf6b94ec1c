// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Grimacer Animator 1.2": the window GIF files are dropped on (or added through an open
// dialog). It lists them in the order they came, lets the user move them up and down, shows facts
// about the selected one, and joins them all into one animated GIF.

#include <QDialog>
#include <QStringList>

#include <optional>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSettings;
class QSpinBox;
class QToolButton;

namespace gifloom {

class TDesktopServices;
struct TAssemblyReport;

inline constexpr const char* kAnimatorCaption = "Grimacer Animator 1.2";

class TAnimatorDialog : public QDialog {
  Q_OBJECT

public:
  // startFolder is where the help page is looked up (the folder the program starts in).
  // settings, when given, restores the last folder, delay and loop choice and keeps them up to
  // date; it must outlive the dialog. Without it nothing outlasts the dialog.
  TAnimatorDialog(TDesktopServices& services, QString startFolder, QSettings* settings = nullptr,
                  QWidget* parent = nullptr);

  // Appends the files in the given order, as dropping them and the Add Frames dialog do. They
  // are checked only when selected or joined.
  void AddFiles(const QStringList& paths);
  QStringList FramePaths() const;

  void done(int result) override;

  // Where the help page is looked up before the start folder (see FindHelpPage): by default the
  // program's own folder and the data folder the build was configured to install to.
  void SetHelpFolders(QString programFolder, QString installedFolder);

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  QWidget* BuildFramesGroup();
  QWidget* BuildInfoGroup();
  QWidget* BuildOptionsGroup();
  QWidget* BuildFooter();
  void ConnectCommands();

  // Runs a command for a signal or an event, so that no exception reaches Qt's event loop.
  template <typename TCommand>
  void Guarded(const TCommand& command) noexcept;
  void RestoreChoices();
  void AddFramesFromDialog();
  void MoveSelectedUp();
  void MoveSelectedDown();
  void MoveSelected(int step);
  int SelectedRow() const;
  void UpdateMoveButtons();
  void RememberFolderOf(const QString& path);
  void RememberDelay();
  void RememberLoop();
  QString StartingFolder() const;
  void RemoveFrame();
  void ClearAll();
  void ClearInfo();
  void ShowSelectedInfo();
  // True when the animation was written.
  bool MakeAnimatedGif();
  // The status line after Make: where, how many frames, and which inputs gave only their first.
  void ReportMade(const TAssemblyReport& report, const QString& target);
  // What the Make button would join: the frames and the options.
  QStringList Job() const;
  // Whether the dialog may close: no frames, or the animation of these frames made, or the user
  // let them go or made it now.
  bool MayClose();
  void OpenWebPage();
  void OpenHelp();
  std::optional<std::string> HelpPage() const;
  void Warn(const QString& text);

  TDesktopServices& Services_;
  QStringList Made_;  // the Job() of the last animation written
  QString StartFolder_;
  QString ProgramFolder_;
  QString InstalledFolder_;
  QSettings* Settings_ = nullptr;
  QString LastFolder_;
  QListWidget* FrameList_ = nullptr;
  QPushButton* AddButton_ = nullptr;
  QPushButton* MoveUpButton_ = nullptr;
  QPushButton* MoveDownButton_ = nullptr;
  QPushButton* RemoveButton_ = nullptr;
  QPushButton* ClearButton_ = nullptr;
  QLabel* NameLabel_ = nullptr;
  QLabel* InfoLabel_ = nullptr;
  QLabel* FramesNote_ = nullptr;  // the selected file gives only its first frame
  QLabel* Notice_ = nullptr;      // the status line
  QCheckBox* LoopCheck_ = nullptr;
  QSpinBox* DelaySpin_ = nullptr;
  QPushButton* MakeButton_ = nullptr;
  QToolButton* WebButton_ = nullptr;
  QToolButton* HelpButton_ = nullptr;
};

}  // namespace gifloom
