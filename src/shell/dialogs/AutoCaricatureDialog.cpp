#include "shell/dialogs/AutoCaricatureDialog.h"

#include "common/Errors.h"
#include "platform/Guard.h"
#include "platform/WholeNumber.h"
#include "shell/view/BitmapImage.h"
#include "shell/view/Checkerboard.h"
#include "shell/dialogs/DialogButtons.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace gs {

// The picture with the faces on it; a click on a face chooses it.
class TFacePicture : public QLabel {
public:
  using QLabel::QLabel;
  std::function<void(QPointF)> Pressed;

protected:
  void mousePressEvent(QMouseEvent* event) override {
    const QPointF at = event->position();
    RunGuarded([this, at] {
      if (Pressed) Pressed(at);
    });
  }
};

namespace {

constexpr int kStartStrength = 100;

QLabel* NewPictureLabel(QLabel* label, int side) {
  label->setFixedSize(side, side);
  label->setAlignment(Qt::AlignCenter);
  label->setFrameShape(QFrame::StyledPanel);
  return label;
}

QRectF RectOf(const TFloatRect& r) { return QRectF(r.Left, r.Top, r.Width(), r.Height()); }

TFace Moved(const TFace& face, double dx, double dy) {
  TFace moved = face;
  moved.Box = TFloatRect{face.Box.Left + dx, face.Box.Top + dy, face.Box.Right + dx, face.Box.Bottom + dy};
  for (TPointF& p : moved.Points) p = TPointF{p.X + dx, p.Y + dy};
  return moved;
}

// The part of the picture a preview shows: the chosen faces with room around them for what the
// presets bend beyond the face (a bobble head, a pointy chin).
TRect AroundFaces(const std::vector<TFace>& faces, int faceIndex, double room, const TRect& bounds) {
  TFloatRect box{1e300, 1e300, -1e300, -1e300};
  for (int i = 0; i < int(faces.size()); ++i) {
    if (faceIndex >= 0 && i != faceIndex) continue;
    const TFloatRect& b = faces[size_t(i)].Box;
    box = TFloatRect{std::min(box.Left, b.Left), std::min(box.Top, b.Top), std::max(box.Right, b.Right),
                     std::max(box.Bottom, b.Bottom)};
  }
  const double half = std::max(box.Width(), box.Height()) * room / 2;
  const double cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  return Intersect(CoveringRect(TFloatRect{cx - half, cy - half, cx + half, cy + half}), bounds);
}

// A preview of the chosen faces alone, every face moved into the cut so that indices still hold.
std::unique_ptr<TCaricaturePreview> PreviewAround(const TBitmap32& picture, const std::vector<TFace>& faces,
                                                  int faceIndex, double room, int side) {
  const TRect cut = AroundFaces(faces, faceIndex, room, picture.BoundsRect());
  TBitmap32 part(std::max(1, cut.Width()), std::max(1, cut.Height()));
  part.CopyRect(0, 0, picture, cut);
  std::vector<TFace> moved;
  for (const TFace& face : faces) moved.push_back(Moved(face, -cut.Left, -cut.Top));
  return std::make_unique<TCaricaturePreview>(part, moved, side);
}

// A picture as the main window shows it: its transparent parts on the checkerboard.
QImage OnCheckerboard(const TBitmap32& picture) {
  QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  PaintCheckerboard(painter, image.rect());
  painter.drawImage(0, 0, WrappedImage(picture));
  return image;
}

// Where a label shows its centred pixmap.
QPointF PixmapOrigin(const QLabel& label, const TBitmap32& shown) {
  return QPointF((label.width() - shown.Width()) / 2.0, (label.height() - shown.Height()) / 2.0);
}

}  // namespace

TAutoCaricatureDialog::TAutoCaricatureDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Auto Caricature"));
  imgFaces = new TFacePicture(this);
  NewPictureLabel(imgFaces, kPreviewSide);
  imgFaces->setToolTip(QStringLiteral("Click a face to choose it"));
  imgFaces->Pressed = [this](QPointF at) {
    if (!Overview_) return;
    const QPointF origin = PixmapOrigin(*imgFaces, Overview_->Original());
    const TPointF p{at.x() - origin.x(), at.y() - origin.y()};
    // The nearest face whose frame, grown to twice its size, holds the click: faces are small
    // targets on a shrunk group photo.
    const std::vector<TFace>& faces = Overview_->Faces();
    int nearest = -1;
    double best = 0;
    for (int i = 0; i < int(faces.size()); ++i) {
      const TFloatRect& b = faces[size_t(i)].Box;
      const TPointF centre{(b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2};
      const double d = std::max(std::abs(p.X - centre.X) / b.Width(), std::abs(p.Y - centre.Y) / b.Height());
      if (d < 1.0 && (nearest < 0 || d < best)) nearest = i, best = d;
    }
    if (nearest >= 0) ChooseFace(nearest);
  };
  imgPreview = NewPictureLabel(new QLabel(this), kPreviewSide);

  lbPresets = new QListWidget(this);
  lbPresets->setViewMode(QListView::IconMode);
  lbPresets->setMovement(QListView::Static);
  lbPresets->setResizeMode(QListView::Adjust);
  lbPresets->setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  lbPresets->setGridSize(QSize(kThumbnailSide + 30, kThumbnailSide + 28));
  lbPresets->setFixedHeight(2 * (kThumbnailSide + 28) + 8);
  for (const TPresetName& preset : CaricaturePresets())
    lbPresets->addItem(new QListWidgetItem(QString::fromUtf8(preset.Caption), lbPresets));
  lbPresets->setCurrentRow(0);

  tbStrength = new QSlider(Qt::Horizontal, this);
  tbStrength->setRange(0, 100);
  tbStrength->setValue(kStartStrength);
  lblStrength = new QLabel(this);
  lblStrength->setMinimumWidth(40);
  cbAllFaces = new QCheckBox(QStringLiteral("All faces"), this);
  btnApply = new QPushButton(QStringLiteral("Apply"), this);
  btnApply->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* pictures = new QHBoxLayout;
  pictures->addWidget(imgFaces);
  pictures->addWidget(imgPreview);
  auto* strength = new QHBoxLayout;
  strength->addWidget(new QLabel(QStringLiteral("Strength"), this));
  strength->addWidget(tbStrength, 1);
  strength->addWidget(lblStrength);
  strength->addSpacing(12);
  strength->addWidget(cbAllFaces);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(pictures);
  layout->addWidget(lbPresets);
  layout->addLayout(strength);
  layout->addLayout(RightAlignedButtons({btnApply, btnCancel}));
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(lbPresets, &QListWidget::currentRowChanged, this, [this] { RunGuarded([this] { PresetChange(); }); });
  // A double click on a preset is the quick way: choose it and apply.
  connect(lbPresets, &QListWidget::itemDoubleClicked, this, [this] { RunGuarded([this] { btnApplyClick(); }); });
  connect(tbStrength, &QSlider::valueChanged, this, [this] { RunGuarded([this] { StrengthChange(); }); });
  connect(cbAllFaces, &QCheckBox::toggled, this, [this] { RunGuarded([this] { FacesChange(); }); });
  connect(btnApply, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnApplyClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnCancelClick(); }); });
  StrengthChange();
}

TAutoCaricatureDialog::~TAutoCaricatureDialog() = default;

void TAutoCaricatureDialog::Prepare(const TBitmap32& picture, const std::vector<TFace>& faces) {
  if (faces.empty()) throw Exception("Auto Caricature needs a face");
  Confirmed_ = false;
  Picture_ = &picture;
  Faces_ = faces;
  Overview_ = std::make_unique<TCaricaturePreview>(picture, faces, kPreviewSide);
  const QSignalBlocker quiet(cbAllFaces);
  cbAllFaces->setEnabled(faces.size() > 1);
  if (faces.size() < 2) cbAllFaces->setChecked(false);
  ChooseFace(0);
}

void TAutoCaricatureDialog::Release() {
  Picture_ = nullptr;
  Faces_.clear();
  Overview_.reset();
  Preview_.reset();
  Thumbnails_.reset();
  Result_ = TBitmap32();
  imgFaces->clear();
  imgPreview->clear();
}

TCaricaturePreset TAutoCaricatureDialog::Preset() const {
  const int row = std::max(0, lbPresets->currentRow());
  return CaricaturePresets()[size_t(row)].Preset;
}

double TAutoCaricatureDialog::Strength() const { return tbStrength->value() / 100.0; }

int TAutoCaricatureDialog::FaceIndex() const { return cbAllFaces->isChecked() ? -1 : Face_; }

void TAutoCaricatureDialog::ChooseFace(int index) {
  if (!Picture_ || index < 0 || index >= int(Faces_.size())) return;
  Face_ = index;
  // The thumbnails show the chosen face alone, whether or not all faces are bent.
  Thumbnails_ = PreviewAround(*Picture_, Faces_, Face_, 1.8, kThumbnailSide);
  ShowThumbnails();
  FacesChange();
}

void TAutoCaricatureDialog::FacesChange() {
  if (!Picture_) return;
  Preview_ = PreviewAround(*Picture_, Faces_, FaceIndex(), 2.6, kPreviewSide);
  ShowFaces();
  ShowPreview();
}

void TAutoCaricatureDialog::PresetChange() { ShowPreview(); }

void TAutoCaricatureDialog::StrengthChange() {
  lblStrength->setText(QStringLiteral("%1 %").arg(tbStrength->value()));
  ShowThumbnails();
  ShowPreview();
}

void TAutoCaricatureDialog::ShowFaces() {
  if (!Overview_) return;
  QImage image = OnCheckerboard(Overview_->Original());
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const std::vector<TFace>& faces = Overview_->Faces();
  for (int i = 0; i < int(faces.size()); ++i) {
    // A dark edge under each frame, so that it shows on light and dark photos alike.
    const bool chosen = cbAllFaces->isChecked() || i == Face_;
    const QRectF frame = RectOf(faces[size_t(i)].Box);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 150), 3.0));
    painter.drawRect(frame);
    painter.setPen(QPen(chosen ? QColor(255, 214, 0) : QColor(255, 255, 255), 1.5));
    painter.drawRect(frame);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 230, 255));
  const double dot = std::clamp(faces[size_t(Face_)].Box.Width() / 60, 0.6, 1.6);
  for (const TPointF& p : faces[size_t(Face_)].Points) painter.drawEllipse(QPointF(p.X, p.Y), dot, dot);
  painter.end();
  imgFaces->setPixmap(QPixmap::fromImage(image));
}

void TAutoCaricatureDialog::ShowThumbnails() {
  if (!Thumbnails_) return;
  for (int row = 0; row < lbPresets->count(); ++row) {
    const TBitmap32& shown = Thumbnails_->Render(CaricaturePresets()[size_t(row)].Preset, Strength(), Face_);
    lbPresets->item(row)->setIcon(QIcon(QPixmap::fromImage(OnCheckerboard(shown))));
  }
}

void TAutoCaricatureDialog::ShowPreview() {
  if (!Preview_) return;
  Result_ = Preview_->Render(Preset(), Strength(), FaceIndex());
  QPixmap shown = QPixmap::fromImage(OnCheckerboard(Result_));
  // A small photo's face is shown as large as the room allows.
  const QSize room = imgPreview->contentsRect().size();
  if (shown.width() < room.width() && shown.height() < room.height())
    shown = shown.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  imgPreview->setPixmap(shown);
}

void TAutoCaricatureDialog::btnApplyClick() {
  Confirmed_ = true;
  accept();
}

void TAutoCaricatureDialog::btnCancelClick() {
  Confirmed_ = false;
  reject();
}

bool TAutoCaricatureDialog::ShowModal() {
  exec();
  return Confirmed_;
}

bool TAutoCaricatureDialog::AnswerScripted(const TFormAnswer& answer) {
  Confirmed_ = false;
  for (const auto& [name, value] : answer.Fields) {
    if (name == "Preset") {
      int row = -1;
      for (int i = 0; i < int(CaricaturePresets().size()); ++i) {
        const TPresetName& preset = CaricaturePresets()[size_t(i)];
        if (value == preset.Caption || value == preset.Key) row = i;
      }
      if (row < 0) throw Exception("There is no preset \"" + value + "\"");
      lbPresets->setCurrentRow(row);
    } else if (name == "Strength") {
      tbStrength->setValue(ParseWholeNumber(value, 0, 100, name));
    } else if (name == "All faces") {
      cbAllFaces->setChecked(ParseSwitch(value, name));
    } else if (name == "Face") {
      const int faces = int(Faces_.size());
      ChooseFace(ParseWholeNumber(value, 1, std::max(1, faces), name) - 1);
    } else {
      throw Exception("The Auto Caricature dialog has no field \"" + name + "\"");
    }
  }
  if (answer.Ok) btnApplyClick();
  else btnCancelClick();
  return Confirmed_;
}

}  // namespace gs
