// SPDX-License-Identifier: GPL-3.0-or-later
// Recovery copies: while the picture has unsaved changes a copy of the document is written
// every few minutes off the interface thread; a session that ends normally, or saves, removes
// it; at start the copies of sessions that died are offered back.

#include "codecs/FileIO.h"
#include "document/Recovery.h"
#include "platform/Dialogs.h"
#include "platform/Guard.h"
#include "shell/view/ImageView.h"
#include "shell/window/RecoverySession.h"
#include "shell/window/Studio.h"

#include <QApplication>
#include <QDateTime>
#include <QSettings>
#include <QTimer>

#include <iostream>

namespace gs {

namespace {
const QString kRecoveryKey = QStringLiteral("recovery/intervalMinutes");
constexpr int kDefaultRecoveryMinutes = 2;
constexpr int kMaxRecoveryMinutes = 24 * 60;
// A copy due during a stroke waits this long, and again until the stroke has ended.
constexpr int kRecoveryRetryMs = 5000;
}  // namespace

int TSStudio::ReadRecoveryInterval(const QSettings& settings) {
  if (!settings.contains(kRecoveryKey)) return kDefaultRecoveryMinutes;
  bool ok = false;
  const int minutes = settings.value(kRecoveryKey).toString().trimmed().toInt(&ok);
  if (ok && minutes >= 0 && minutes <= kMaxRecoveryMinutes) return minutes;
  std::cerr << "The setting recovery/intervalMinutes is not 0 to " << kMaxRecoveryMinutes
            << "; recovery copies are written every " << kDefaultRecoveryMinutes << " minutes\n";
  return kDefaultRecoveryMinutes;
}

void TSStudio::SetRecoveryInterval(int minutes) {
  RecoveryMinutes_ = minutes;
  if (!RecoveryTimer_) return;
  if (minutes > 0) RecoveryTimer_->start(minutes * 60 * 1000);
  else RecoveryTimer_->stop();
}

void TSStudio::UseRecoveryFolder(const std::string& folder) {
  auto post = [this](std::function<void()> report) {
    QMetaObject::invokeMethod(this, [report = std::move(report)] { RunGuarded(report); }, Qt::QueuedConnection);
  };
  auto session = std::make_shared<TRecoverySession>(folder, post);
  EndRecoverySession();
  Recovery_ = std::move(session);
  if (!RecoveryTimer_) {
    RecoveryTimer_ = new QTimer(this);
    RecoveryTimer_->setObjectName(QStringLiteral("RecoveryTimer"));
    connect(RecoveryTimer_, &QTimer::timeout, this, GuardedSlot([this] { RecoveryTimerTimer(); }));
    RecoveryRetry_ = new QTimer(this);
    RecoveryRetry_->setSingleShot(true);
    connect(RecoveryRetry_, &QTimer::timeout, this, GuardedSlot([this] { RecoveryTimerTimer(); }));
  }
  SetRecoveryInterval(RecoveryMinutes_);
}

std::string TSStudio::RecoveryCopyPath() const { return Recovery_ ? Recovery_->CopyPath() : std::string(); }

void TSStudio::StartRecovery() {
  if (BatchMode_ || !RecoveryAtStart_) return;
  try {
    UseRecoveryFolder(DefaultRecoveryFolder());
  } catch (const std::exception& e) {
    // Editing goes on without copies rather than not at all.
    std::cerr << e.what() << "; no recovery copies are written\n";
    return;
  }
  // Once the window is up, so that the question has a window to stand over.
  QTimer::singleShot(0, this, GuardedSlot([this] { OfferRecovery(); }));
}

namespace {

// A copy that cannot be read would be offered at every start: the user hears why and decides
// whether it goes.
void OfferToDeleteDamaged(TDeadCopy& dead, const std::string& what, const std::string& why) {
  if (Dialogs().AskYesNo(what + " cannot be recovered. " + why + "\n\nDelete its recovery copy " + dead.Path +
                         "? Choose No to keep it for later."))
    dead.Remove();
}

}  // namespace

void TSStudio::OfferRecovery() {
  if (!Recovery_) return;
  for (TDeadCopy& dead : FindDeadCopies(Recovery_->Folder())) {
    if (!dead.Damage.empty()) {
      OfferToDeleteDamaged(dead, "An unsaved picture", dead.Damage);
      continue;
    }
    const std::string& name = dead.Header.DocumentFileName;
    const QString date = QDateTime::fromSecsSinceEpoch(dead.Header.SavedAt).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    const std::string label = (name.empty() ? "Untitled" : ExtractFileName(name)) + " from " + date.toStdString();
    const std::string picture = "The unsaved picture " + label;
    const std::string question = "Recover the unsaved picture " + label + "?";
    if (Dialogs().AskRecover(question) == TRecoverChoice::Discard) {
      dead.Remove();
      continue;
    }
    TRecoveryCopy copy;
    try {
      copy = ReadRecoveryFile(dead.Path);
    } catch (const std::exception& e) {
      OfferToDeleteDamaged(dead, picture, e.what());
      continue;
    }
    if (!MayCloseDocument()) return;
    EndTool();
    OpenRecovery(Doc, std::move(copy));
    Recovery_->Adopt(dead);
    RefreshAutoCaricature();
    RefreshCommands();
    DstImg->show();
    RefreshLayers();
    UpdateCaption();
    RefreshHistory();
    RefreshView();
    FitToWindow();
    return;
  }
}

void TSStudio::WriteRecoveryNow() {
  if (!Recovery_) UseRecoveryFolder(DefaultRecoveryFolder());
  CommitStroke();
  Recovery_->WriteNow(Doc);
}

void TSStudio::EndSessionKeepingWork() {
  const bool unsaved = Doc.ImageLoaded() && Doc.History.Modified();
  if (unsaved && (Recovery_ || !BatchMode_)) {
    try {
      if (!Recovery_) UseRecoveryFolder(DefaultRecoveryFolder());
      CommitStroke();
      if (!Recovery_->UpToDate(Doc)) Recovery_->WriteNow(Doc);
    } catch (const std::exception& e) {
      // The last copy written, if any, is still there.
      std::cerr << "The recovery copy could not be written: " << e.what() << "\n";
    }
    if (Recovery_) Recovery_->Keep();
  }
  EndRecoverySession();
  SaveSettings();
}

void TSStudio::RecoveryTimerTimer() {
  if (!Recovery_ || !Doc.ImageLoaded()) return;
  if (!Doc.History.Modified()) {
    // Undone back to what the file holds.
    Recovery_->Discard();
    return;
  }
  if (Recovery_->UpToDate(Doc)) return;
  if (Doc.History.InStroke() || QApplication::mouseButtons() != Qt::NoButton || Recovery_->Writing()) {
    RecoveryRetry_->start(kRecoveryRetryMs);
    return;
  }
  Recovery_->WriteInBackground(Doc, [this] { RecoveryTimerTimer(); });
}

void TSStudio::DropRecoveryCopy() {
  if (Recovery_) Recovery_->Discard();
}

void TSStudio::EndRecoverySession() {
  if (RecoveryTimer_) {
    RecoveryTimer_->stop();
    RecoveryRetry_->stop();
  }
  Recovery_.reset();
}

}  // namespace gs
