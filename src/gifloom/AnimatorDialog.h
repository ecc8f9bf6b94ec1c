#pragma once
// "Grimacer Animator 1.2": the window GIF files are dropped on. It lists them in drop order,
// shows facts about the selected one, and joins them all into one animated GIF.

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace gifloom {

class TDesktopServices;

inline constexpr const char* kAnimatorCaption = "Grimacer Animator 1.2";

class TAnimatorDialog : public QDialog {
  Q_OBJECT

public:
  // startFolder is where the help page is looked up (the folder the program starts in).
  TAnimatorDialog(TDesktopServices& services, QString startFolder, QWidget* parent = nullptr);

  // Appends the files in the given order, as dropping them does. They are checked only when
  // selected or joined.
  void AddFiles(const QStringList& paths);
  QStringList FramePaths() const;

  void done(int result) override;

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

  void RemoveFrame();
  void ClearAll();
  void ClearInfo();
  void ShowSelectedInfo();
  void MakeAnimatedGif();
  void OpenWebPage();
  void OpenHelp();
  void Warn(const QString& text);

  TDesktopServices& Services_;
  QString StartFolder_;
  QListWidget* FrameList_ = nullptr;
  QPushButton* RemoveButton_ = nullptr;
  QPushButton* ClearButton_ = nullptr;
  QLabel* NameLabel_ = nullptr;
  QLabel* InfoLabel_ = nullptr;
  QCheckBox* LoopCheck_ = nullptr;
  QSpinBox* DelaySpin_ = nullptr;
  QPushButton* MakeButton_ = nullptr;
  QToolButton* WebButton_ = nullptr;
  QToolButton* HelpButton_ = nullptr;
};

}  // namespace gifloom
