// SPDX-License-Identifier: GPL-3.0-or-later
// The window's own input: the wheel, the arrow and backslash keys wherever the focus is, and
// pictures dropped on it.

#include "codecs/PictureKinds.h"
#include "platform/Guard.h"
#include "shell/window/Studio.h"
#include "shell/window/ToolsForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>
#include <QWheelEvent>

namespace gs {

namespace {
constexpr int kWheelNotch = 120;

// A control of this window where typing means text: the keys are its own.
bool TakesText(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
         qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

// A control that scrolls or steps with the wheel and the arrows itself (the History list, a
// spin box, a text field), or a part of one such as a list's viewport: they are its own.
bool KeepsItsOwnInput(const QWidget* widget) {
  for (; widget && !widget->isWindow(); widget = widget->parentWidget())
    if (TakesText(widget) || qobject_cast<const QAbstractItemView*>(widget)) return true;
  return false;
}

bool IsArrow(int key) { return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right; }
}  // namespace

void TSStudio::WheelTurned(int angleDelta, std::optional<QPoint> pointer) {
  // A notched wheel sends 120 a notch; a fine wheel or a touchpad sends small parts of it, which
  // count only once they add up to a notch.
  WheelAngle_ += angleDelta;
  for (; WheelAngle_ >= kWheelNotch; WheelAngle_ -= kWheelNotch) RunGuarded([this, pointer] { FormMouseWheelUp(pointer); });
  for (; WheelAngle_ <= -kWheelNotch; WheelAngle_ += kWheelNotch)
    RunGuarded([this, pointer] { FormMouseWheelDown(pointer); });
}

std::optional<QPoint> TSStudio::PointerInViewport(QPointF global) const {
  QWidget* port = sbxDstImg->viewport();
  const QPoint at = port->mapFromGlobal(global.toPoint());
  if (!port->rect().contains(at)) return std::nullopt;
  return at;
}

bool TSStudio::ZoomWithPlainKey(const QKeyEvent& key) {
  // Plus and minus without Ctrl, as picture viewers take them; the keypad's too. The unshifted
  // plus key (=) counts as plus.
  const Qt::KeyboardModifiers other = key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  if (other != Qt::NoModifier) return false;
  const char* command = nullptr;
  if (key.key() == Qt::Key_Plus || key.key() == Qt::Key_Equal) command = "ZoomIn1";
  else if (key.key() == Qt::Key_Minus) command = "ZoomOut1";
  if (!command) return false;
  QAction* zoom = Action(command);
  if (zoom->isEnabled()) zoom->trigger();
  return true;
}

bool TSStudio::eventFilter(QObject* watched, QEvent* event) {
  // The palette closed by its own button: View > Tool Palette no longer ticks it.
  if (watched == ToolsForm && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
    RunGuarded([this] { RefreshCommands(); });
  if (watched == this && event->type() == QEvent::WindowBlocked) RunGuarded([this] { LosePointer(); });
  if (watched == sbxDstImg->viewport() && event->type() == QEvent::Resize) RunGuarded([this] { ViewportResized(); });
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this || DeliveringOwnInput_) return QMainWindow::eventFilter(watched, event);
  if (!TakesText(widget)) {
    bool panned = false;
    RunGuarded([&] { panned = PanWithSpace(widget, event); });
    if (panned) return true;
  }
  const bool arrow = event->type() == QEvent::KeyPress && IsArrow(static_cast<QKeyEvent*>(event)->key());
  if ((event->type() == QEvent::Wheel || arrow) && KeepsItsOwnInput(widget)) {
    // Delivered here whole, with the parents it goes on to when the control has no use for it,
    // so that a list with nothing to scroll does not hand the wheel on to the zoom.
    DeliveringOwnInput_ = true;
    const struct TDone {
      bool& Flag;
      ~TDone() { Flag = false; }
    } done{DeliveringOwnInput_};
    QCoreApplication::sendEvent(watched, event);
    event->accept();  // or the outer delivery would go on to the parents itself
    return true;
  }
  if (event->type() == QEvent::Wheel) {
    const auto* wheel = static_cast<QWheelEvent*>(event);
    WheelTurned(wheel->angleDelta().y(), PointerInViewport(wheel->globalPosition()));
    return true;
  }
  if (event->type() == QEvent::KeyPress && !TakesText(widget)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (IsArrow(key)) {
      RunGuarded([this, key] { WMKeyDown(key); });
      return true;
    }
    bool zoomed = false;
    RunGuarded([&] { zoomed = ZoomWithPlainKey(*static_cast<QKeyEvent*>(event)); });
    if (zoomed) return true;
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
  RunGuarded([event] {
    if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
  });
}

void TSStudio::dropEvent(QDropEvent* event) {
  RunGuarded([this, event] {
    const std::string file = DroppedFile(event->mimeData());
    if (file.empty()) return;
    event->acceptProposedAction();
    if (MayCloseDocument()) OpenFile(file);
  });
}

std::string TSStudio::DroppedFile(const QMimeData* data) {
  // Several files dropped at once: the first picture is opened, as the open dialog takes one;
  // with no picture among them the first file, so that the message says why it does not open.
  if (!data || !data->hasUrls()) return {};
  std::string first;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const std::string file = url.toLocalFile().toStdString();
    if (OpensAsPicture(file) || IsPictureKind(file, TPictureKindId::Project)) return file;
    if (first.empty()) first = file;
  }
  return first;
}

QMenu* TSStudio::createPopupMenu() {
  // The main window's own menu would let a right click hide the tool bars with no way back.
  return nullptr;
}

}  // namespace gs
