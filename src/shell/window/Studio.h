#pragma once
// TSStudio: the main window. It owns the document and routes every command and input event to
// the document or a subsystem; the handlers keep the names their controls give them.

#include "common/Geometry.h"
#include "faces/Caricature.h"
#include "faces/Face.h"
#include "faces/FaceFinder.h"
#include "platform/DataFolders.h"
#include "platform/Dialogs.h"
#include "document/Animation.h"
#include "shell/art/Icons.h"
#include "shell/window/RecentFiles.h"
#include "document/Canvas.h"
#include "document/Document.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QDockWidget;
class QListWidget;
class QMimeData;
class QLabel;
class QPrinter;
class QMenu;
class QScrollArea;
class QSettings;
class QSlider;
class QTimer;
class QToolBar;

namespace gs {

class TAnimateDialog;
class TAutoCaricatureDialog;
class TBrushLayer;
class TFilterRunner;
class TForm2;
class TfrmChromaKey;
class TFilterUi;
class TForm1;
class TLoadPluginForm;
class TProgressForm;
class TImageView;
class TPictureLayersView;
class TRubberbandLayer;
class TRotatableLayer;
class TToolsForm;
class Tfsize;

class TSStudio : public QMainWindow {
  Q_OBJECT

public:
  explicit TSStudio(QWidget* parent = nullptr);
  ~TSStudio() override;

  TDocument& Document() { return Doc; }
  const TDocument& Document() const { return Doc; }
  // Where the shipped data and the filter modules are looked up: the running program's folders
  // from creation on. Tests point them at scratch folders before the window is shown, which
  // scans the plug-in folders.
  TDataFolders Folders;
  // Driven by a script: nothing is shown and nothing waits for a person.
  bool BatchMode = false;
  // How long the start-up picture stays at least; the start-up measurement sets it to 0.
  uint32_t SplashMinimumMs = 1500;

  // Commands. Each is one QAction (below), shown by the menus, the tool bar and the palette.
  void mOpenImageClick();
  void mSaveImageClick();
  void saveas1Click();
  void mExitClick();
  void Original1Click();
  void ZoomIn1Click();
  void ZoomOut1Click();
  void miFitToWindowClick();
  void ToolButton1Click();   // Undo
  void ToolButton18Click();  // Restore
  void ResizeImage1Click();  // Image Size
  void N1801Click();
  void N90CW1Click();
  void N90CCW1Click();
  void Putty1Click();
  void Warp1Click();
  void wirl1Click();
  void Reconstruct1Click();
  void ResetWarp1Click();
  // The before view: while the backslash key or the tool bar's Before button is held, the
  // picture view shows the source without the warp and without the layers. Nothing in the
  // document changes; letting go of both shows the work again.
  enum class TBeforeHold { Key = 1, Button = 2 };
  void HoldBefore(TBeforeHold by, bool held);
  bool ShowingBefore() const { return BeforeHolds_ != 0; }
  void SizeBarChange();
  void PinchBarChange();
  void SmallerBrushClick();
  void LargerBrushClick();
  // The editing history (StudioHistory.cpp).
  void StepBackwardClick();
  void StepForwardClick();
  // Goes to state k of the history: 0 the start, k after its k-th step.
  void GoToStep(int k);
  // Runs a change of the document as one step of the history named `name`.
  void RecordStep(TChangeScope scope, const std::string& name, const std::function<void()>& change);

  // Input.
  void FormMouseWheelUp();
  void FormMouseWheelDown();
  void WMKeyDown(int key);
  // X and Y in view pixels; `held` are the buttons down during the event. The picture view's
  // events go through the document's router; the mirror's to the pixel tools.
  void DstImgMouseDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y);
  void DstImgMouseMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y);
  void DstImgMouseUp();
  void UpdateTimerTimer();
  void LayterTimerTimer();
  // The press, move and release of whichever view is under the pointer: the mirror while a
  // pixel tool is active, the picture view otherwise (the batch mode's pointer).
  void PointerDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, QPoint view);
  void PointerMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, QPoint view);
  void PointerUp();
  // A view position in picture pixels: the one conversion every tool uses.
  TPointF ViewToPicture(QPoint view) const;
  QPoint PictureToView(TPointF picture) const;

  // Pixel tools on the mirror DstImg1 (StudioPixelTools.cpp).
  // Leaves the brushes for the eraser, paint, eyedropper, crop or chroma-key pick.
  void SwitchToPixelTool(TToolMode tool);
  void EnterPixelTool(TToolMode tool);
  void DstImg1MouseDown(Qt::MouseButtons held, int x, int y);
  void DstImg1MouseMove(Qt::MouseButtons held, int x, int y);
  void DstImg1MouseUp();
  // The palette's tool buttons.
  void SelectionToolClick();
  void CropToolClick();
  void EraserToolClick();
  void PaintbrushToolClick();
  void EyedropperToolClick();
  // The brush-size menu: eraser and paint size in document pixels with its cursor slot.
  void SetEraserSize(int size);
  // The colour selector's colour changed (a Windows colour value).
  void SetPaintColor(TColor color);

  // Help, about, the GIF maker and printing (StudioHelp.cpp).
  void GifMakerHelp1Click();      // "Grimacer Studio Help"
  void ToolButton19Click();       // the Tutorial tool button
  void VideoTutorial1Click();
  void About1Click();
  void GrimacerAnimator1Click();
  void ToolButton13Click();       // "&Print" and the Print tool button

  // Comic filter, chroma key and background (StudioAdjust.cpp).
  void Comicfilter1Click();
  void Chromakey1Click();
  void RunChromaKey();  // after the pick of the key colour
  void KeyPickedColour();
  void ChangeBackground1Click();

  // Auto Caricature (StudioAutoCaricature.cpp).
  void AutoCaricature1Click();
  // The landmark model; the tests point it elsewhere. Without it the command is disabled.
  std::string FaceModelPath = kDefaultFaceModel;
  // The command is there with a picture and the model.
  void RefreshAutoCaricature();
  // The faces of the picture as shown, largest first. Waits for the model, read on first use,
  // with the progress window up; fails with kNoFaceModelMessage without it.
  std::vector<TFace> FindFaces();
  // A preset on one face (or all, faceIndex < 0) as one step of the history.
  void ApplyAutoCaricature(const std::vector<TFace>& faces, int faceIndex, TCaricaturePreset preset,
                           double strength);

  // Animate Caricature (StudioAnimate.cpp).
  void mAnimateCaricatureClick();
  // Writes the animation with the progress window up; false when Escape stopped it.
  bool WriteAnimation(const TAnimationScene& scene, const TAnimationSettings& settings,
                      const std::string& path);

  // Filter plug-ins (StudioFilters.cpp).
  void BuildFilterMenu(const std::string& folder, bool includeSubDirectories);
  void BuildFilterMenu(const std::vector<std::string>& folders, bool includeSubDirectories);
  void RunFilter(int index, bool asLastFilter);
  void ApplyFilter(int index, bool asLastFilter);
  void miLastFilterClickClick();
  void LoadFilterPlugIns1Click();
  TFilterRunner& Filters() { return *Filters_; }

  // Picture layers (StudioLayers.cpp).
  void Clipart1Click();
  void TalkBubble1Click();
  void Text1Click();
  void DeleteSelectedLayer();   // palette "Delete"
  void RotateLayerTool();       // palette "Rotate Layer"
  void ShowAllLayers(bool visible);
  void FlattenLayers();
  void SelectLayer(TRotatableLayer* layer);
  // The creator sequence: a new layer centred in what the user sees, selected.
  void CreateLayerFromPicture(const TBitmap32& picture);

  // Life cycle.
  void FormShow();
  void FormActivate();

  // Operations other parts call.
  void OpenFile(const std::string& path);   // Open without the dialog: the command line
  void LoadImageFile(const std::string& fileName, TPictureEntry entry);
  void ApplyZoom();
  void FitToWindow();
  void EndTool();
  void UpdateCaption();


  // Controls, named as on the form.
  TImageView* DstImg = nullptr;
  TImageView* DstImg1 = nullptr;
  QScrollArea* sbxDstImg = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolBar* ToolBar2 = nullptr;
  QSlider* SizeBar = nullptr;
  QSlider* PinchBar = nullptr;
  QTimer* UpdateTimer = nullptr;
  QTimer* LayterTimer = nullptr;
  TBrushLayer* BrushOutline = nullptr;
  Tfsize* fsize = nullptr;
  TToolsForm* ToolsForm = nullptr;  // the floating tool palette
  TForm1* Form1 = nullptr;          // "Insert Text"
  TProgressForm* ProgressForm = nullptr;
  TLoadPluginForm* LoadPluginForm = nullptr;
  TForm2* Form2 = nullptr;          // the about box
  TfrmChromaKey* frmChromaKey = nullptr;  // made at first use, kept with its settings
  TAnimateDialog* AnimateDialog = nullptr;  // made at first use, kept with its settings
  TAutoCaricatureDialog* AutoCaricatureDialog = nullptr;  // made at first use, kept likewise
  TFontChoice TextFont;             // the font dialog keeps the font chosen last

  // Menus.
  QMenu* FileMenu = nullptr;
  QMenu* EditMenu = nullptr;
  QMenu* GrimacerMenu = nullptr;
  QMenu* ViewMenu = nullptr;
  QMenu* InsertMenu = nullptr;
  QMenu* FiltersMenu = nullptr;
  QMenu* ToolsMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QMenu* RecentMenu = nullptr;  // File > Open Recent

  // The commands, each an action named as its field (the batch mode finds them by that name).
  QAction* mOpenImage = nullptr;
  QAction* mPrint = nullptr;
  QAction* mSaveImage = nullptr;
  QAction* saveas1 = nullptr;
  QAction* mLoadFilters = nullptr;
  QAction* mExit = nullptr;
  QAction* Undo1 = nullptr;
  QAction* Restore1 = nullptr;
  QAction* ImageSize1 = nullptr;
  QAction* Rotate180 = nullptr;
  QAction* Rotate90CW = nullptr;
  QAction* Rotate90CCW = nullptr;
  QAction* Putty1 = nullptr;
  QAction* Warp1 = nullptr;
  QAction* wirl1 = nullptr;
  QAction* Reconstruct1 = nullptr;
  QAction* ResetWarp1 = nullptr;
  QAction* AutoCaricature1 = nullptr;
  QAction* Before1 = nullptr;  // the tool bar's Before: acts while held, not when clicked
  QAction* Comicfilter1 = nullptr;
  QAction* Original1 = nullptr;
  QAction* ZoomIn1 = nullptr;
  QAction* ZoomOut1 = nullptr;
  QAction* miFitToWindow = nullptr;
  QAction* Clipart1 = nullptr;
  QAction* TalkBubble1 = nullptr;
  QAction* Text1 = nullptr;
  QAction* LastFilter1 = nullptr;
  QAction* GrimacerAnimator1 = nullptr;
  QAction* Chromakey1 = nullptr;
  QAction* ChangeBackground1 = nullptr;
  QAction* mAnimateCaricature = nullptr;
  QAction* GrimacerStudioHelp1 = nullptr;
  QAction* VideoTutorial1 = nullptr;
  QAction* About1 = nullptr;
  QAction* Tutorial1 = nullptr;       // the tool bar's Tutorial
  QAction* SelectionTool1 = nullptr;  // the palette's own tools
  QAction* DeleteLayer1 = nullptr;
  QAction* Crop1 = nullptr;
  QAction* Eraser1 = nullptr;
  QAction* Paintbrush1 = nullptr;
  QAction* Eyedropper1 = nullptr;
  QAction* RotateLayer1 = nullptr;
  QAction* ClearRecent1 = nullptr;
  QAction* StepBackward1 = nullptr;
  QAction* StepForward1 = nullptr;
  QAction* History1 = nullptr;  // View > History: shows the history list
  QDockWidget* HistoryDock = nullptr;
  QListWidget* HistoryList = nullptr;
  QAction* SmallerBrush1 = nullptr;   // [ and ]: the Size steps of the wheel
  QAction* LargerBrush1 = nullptr;

  // Remembering between runs (StudioSettings.cpp). A window without a settings store (the
  // batch mode, tests) remembers only for its own lifetime.
  void UseSettings(std::unique_ptr<QSettings> settings);
  void SaveSettings();
  const TRecentFiles& RecentFiles() const { return Recent_; }
  const std::string& LastFolder() const { return LastFolder_; }
  void OpenRecentFile(const std::string& path);
  void ClearRecentClick();

  // A picture dropped on the window opens as File > Open would.
  static std::string DroppedFile(const QMimeData* data);
  // The wheel turned by `angleDelta` (120 a notch): whole notches step the zoom or the brush.
  void WheelTurned(int angleDelta);

  QMenu* createPopupMenu() override;

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormCreate();
  void CreateActions();
  void AssignShortcuts();
  void CreateHistoryDock();
  // Marks a command as a change of the document: it runs as a step of the history.
  void Recorded(QAction* action, TChangeScope scope, const char* step);
  void RunCommand(QAction* action, void (TSStudio::*handler)());
  // The history list and the step commands follow the history.
  void RefreshHistory();
  // What a press, drag and release just did, for the history.
  std::string StrokeName() const;
  // Ends the stroke in progress as a step, and starts one where a held button acts.
  void CommitStroke();
  void ContinueStroke();
  void CreateMenus();
  void CreateToolBars();
  void CreateView();
  QAction* Command(const char* name, const char* caption, void (TSStudio::*handler)(),
                   std::optional<TIcon> icon = std::nullopt, const char* tip = nullptr);
  void EnableDocumentCommands();
  // Ends the tool and merges the layers before a save to `target`.
  void PrepareSave(const std::string& target);
  void RefreshView();
  // Repaints the part of the picture (picture pixels) that an edit changed.
  void Repaint(const TRect& changed);
  void DstImgPaintStage(QPainter& painter, const QRect& exposed);
  void ChooseBrush(TToolMode pictureBrush);
  void ShowBrushOutline(bool visible);
  // The view's cursor for the active tool, or over the selection frame for what a drag does.
  void ShowToolCursor();
  void ShowFrameCursor(TPointF at);
  // How near to a handle of the selection frame a press grabs it, in picture pixels.
  TPointF HandleReach() const;
  void HideMirror();
  // Runs the repeat timer of a brush that acts while held still, and stops the other.
  void SyncRepeatTimers();
  void Rotate(TRotation rotation);

  void LoadClipart(const std::string& folder, const std::string& fileName);
  TPointF ViewportCenterInDocument() const;
  void RefreshLayers();

  void SaveRecent();
  // A picture opened or saved: first in the recent list, its folder the dialogs' next start.
  void RememberFile(const std::string& path);
  void RememberFolder(const std::string& path);
  void RebuildRecentMenu();

  struct TRecordedCommand {
    TChangeScope Scope;
    std::string Step;
  };
  std::map<const QAction*, TRecordedCommand> Recorded_;
  std::unique_ptr<QSettings> Settings_;
  TRecentFiles Recent_;
  std::string LastFolder_;
  std::unique_ptr<QPrinter> Printer_;
  std::unique_ptr<TFilterUi> FilterUi_;
  std::unique_ptr<TFilterRunner> Filters_;
  std::unique_ptr<TBrushLayer> BrushOutlineOwner_;
  std::unique_ptr<TPictureLayersView> LayersView_;
  std::unique_ptr<TRubberbandLayer> FrameView_;

  TDocument Doc;
  QWidget* ViewHost_ = nullptr;
  bool Shown_ = false;
  int WheelAngle_ = 0;  // wheel turned since the last whole notch
  int BeforeHolds_ = 0;  // the TBeforeHold bits held now
  bool AboutShown = false;
};

}  // namespace gs
