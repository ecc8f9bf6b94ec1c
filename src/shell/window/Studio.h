// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TSStudio: the main window. It owns the document and routes every command and input event to
// the document or a subsystem; the handlers keep the names their controls give them.

#include "common/Geometry.h"
#include "document/Animation.h"
#include "document/AutoCaricature.h"
#include "document/Canvas.h"
#include "document/Document.h"
#include "document/FaceRecipe.h"
#include "platform/DataFolders.h"
#include "platform/Dialogs.h"
#include "shell/window/Commands.h"
#include "shell/window/RecentFiles.h"

#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QAction;
class QDockWidget;
class QKeyEvent;
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

struct TFace;
enum class TCaricaturePreset;
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
class TRecoverySession;
class TToolsForm;
class Tfsize;

class TSStudio : public QMainWindow {
  Q_OBJECT

public:
  explicit TSStudio(QWidget* parent = nullptr);
  ~TSStudio() override;

  TDocument& Document() { return Doc; }
  const TDocument& Document() const { return Doc; }

  // Set before the window is shown. Where the shipped data and the filter modules are looked up:
  // the running program's folders from creation on; tests point them at scratch folders.
  void UseFolders(const TDataFolders& folders) { Folders_ = folders; }
  const TDataFolders& Folders() const { return Folders_; }
  // Driven by a script: nothing is shown and nothing waits for a person.
  void SetBatchMode(bool batch) { BatchMode_ = batch; }
  // Whether the window started by a person keeps recovery copies and offers the ones crashed
  // sessions left; the start-up measurement keeps out of them.
  void SetRecoveryAtStart(bool recovery) { RecoveryAtStart_ = recovery; }
  // How long the start-up picture stays at least; the start-up measurement sets it to 0.
  void SetSplashMinimumMs(uint32_t ms) { SplashMinimumMs_ = ms; }
  // Which faces Load Face Recipe... bends: the largest or every one as the batch words say, or
  // those chosen in the face chooser when the photo has more than one.
  enum class TRecipeFaces { Ask, Largest, All };
  void SetRecipeFaces(TRecipeFaces faces) { RecipeFaces_ = faces; }
  // The landmark model; the tests point it elsewhere. Without it Auto Caricature is disabled.
  void SetFaceModelPath(const std::string& path);
  const std::string& FaceModelPath() const { return FaceModelPath_; }

  // Every command of the window, the rows of all its topics; the actions carry the rows' names.
  static std::vector<TCommandRow> CommandRows();

  // What a person does, for the batch mode and the tests. Commands themselves are triggered
  // through their actions, found by object name, so that a greyed-out one is refused.
  void OpenFile(const std::string& path);  // Open without the dialog: the command line
  void OpenRecentFile(const std::string& path);
  // The press, move and release of whichever view is under the pointer (view pixels): the
  // mirror while a pixel tool is active, the picture view otherwise.
  void PointerDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, QPoint view);
  void PointerMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, QPoint view);
  void PointerUp();
  // Ends a press as if the button came up: Qt sends no release once a modal dialog blocks the
  // window, another window takes the focus or the grab is lost.
  void LosePointer();
  // A view position in picture pixels: the one conversion every tool uses.
  TPointF ViewToPicture(QPoint view) const;
  QPoint PictureToView(TPointF picture) const;
  // The 50 ms repeat timers that are running fire `count` times, as if the button were held still.
  void TickRepeatTimers(int count);
  // The Size and Effect track bars.
  void SetBrushSize(int size);
  void SetBrushEffect(int effect);
  // The palette's brush-size menu (eraser and paint size in document pixels) and colour.
  void SetEraserSize(int size);
  void SetPaintColor(TColor color);  // a Windows colour value
  const TFontChoice& TextFont() const { return TextFont_; }
  // The zoom in percent, clamped to what the View menu reaches.
  void SetZoom(int percent);
  // The wheel turned by `angleDelta` (120 a notch): whole notches step the zoom or the brush.
  // `pointer`: where the pointer is in the view's viewport; the zoom keeps that point in place.
  void WheelTurned(int angleDelta, std::optional<QPoint> pointer = std::nullopt);
  // The before view: while the backslash key or the tool bar's Before button is held, the
  // picture view shows the source without the warp and without the layers. Nothing in the
  // document changes; letting go of both shows the work again.
  enum class TBeforeHold { Key = 1, Button = 2 };
  void HoldBefore(TBeforeHold by, bool held);
  bool ShowingBefore() const { return BeforeHolds_ != 0; }
  // Goes to state k of the history: 0 the start, k after its k-th step.
  void GoToStep(int k);
  // The faces of the picture as shown, largest first. Waits for the model, read on first use,
  // with the progress window up; fails with kNoFaceModelMessage without it.
  std::vector<TFace> FindFaces();
  // The share of the moves the last Auto Caricature or Face Sculpt delivered: below 1 when some
  // were held back so that the picture does not fold; 1 when nothing was applied.
  double LastFaceLimit() const { return LastFaceLimit_; }
  // The filter plug-ins: the list, the host and the last filter.
  TFilterRunner& Filters() { return *Filters_; }
  // Runs filter `index` of the list on the picture or the selected layer, as its menu item does.
  void RunFilter(int index, bool asLastFilter);
  // The outline standing for the brush over the picture view.
  const TBrushLayer& BrushOutline() const { return *BrushOutline_; }

  // Remembering between runs (StudioSettings.cpp). A window without a settings store (the
  // batch mode, tests) remembers only for its own lifetime.
  void UseSettings(std::unique_ptr<QSettings> settings);
  void SaveSettings();
  const TRecentFiles& RecentFiles() const { return Recent_; }
  const std::string& LastFolder() const { return LastFolder_; }

  // Recovery copies (StudioRecovery.cpp). The window started by a person keeps its copies in
  // DefaultRecoveryFolder() and offers the dead sessions' copies as it first shows; the batch
  // mode and the tests do neither unless they call these.
  // Keeps this session's copy in `folder` from now on; fails when the folder cannot be used.
  void UseRecoveryFolder(const std::string& folder);
  // Offers each copy a dead session left in the folder, newest first, until one is recovered.
  void OfferRecovery();
  // Writes the copy at once (in DefaultRecoveryFolder() when no folder is in use yet).
  void WriteRecoveryNow();
  // The session ends without the window closing (a logout, a shutdown, a closed terminal):
  // unsaved work stays in a copy that the next start offers, and the lock goes. The batch mode
  // keeps a copy only when its script wrote one.
  void EndSessionKeepingWork();
  // Where this session's copy goes; empty before a folder is in use.
  std::string RecoveryCopyPath() const;
  // Minutes between copies while there are unsaved changes; 0 writes none.
  void SetRecoveryInterval(int minutes);

  // A picture dropped on the window opens as File > Open would.
  static std::string DroppedFile(const QMimeData* data);

  QMenu* createPopupMenu() override;

protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // The command rows of each topic, in the topic's file.
  static TCommandRows FileCommands();
  static TCommandRows CanvasCommands();
  static TCommandRows HistoryCommands();
  static TCommandRows ViewCommands();
  static TCommandRows BrushCommands();
  static TCommandRows AutoCaricatureCommands();
  static TCommandRows LayerCommands();
  static TCommandRows PixelToolCommands();
  static TCommandRows AdjustCommands();
  static TCommandRows AnimateCommands();
  static TCommandRows FilterCommands();
  static TCommandRows HelpCommands();
  static TCommandRows SettingsCommands();
  static TCommandRows RecipeCommands();

  // The commands (handlers of the rows), by topic.
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
  void FlipHorizontalClick();
  void FlipVerticalClick();
  void Putty1Click();
  void Warp1Click();
  void wirl1Click();
  void Reconstruct1Click();
  void ResetWarp1Click();
  void SmallerBrushClick();
  void LargerBrushClick();
  void StepBackwardClick();
  void StepForwardClick();
  void SelectionToolClick();
  void CropToolClick();
  void EraserToolClick();
  void PaintbrushToolClick();
  void EyedropperToolClick();
  void GifMakerHelp1Click();      // "Grimacer Studio Help"
  void ToolButton19Click();       // the Tutorial tool button
  void VideoTutorial1Click();
  void About1Click();
  void AboutAtStartClick();
  void GrimacerAnimator1Click();
  void ToolButton13Click();       // "&Print" and the Print tool button
  void Comicfilter1Click();
  void Chromakey1Click();
  void ChangeBackground1Click();
  void AutoCaricature1Click();
  void FaceSculpt1Click();
  void mAnimateCaricatureClick();
  void mExportStickerClick();
  void miLastFilterClickClick();
  void LoadFilterPlugIns1Click();
  void Clipart1Click();
  void TalkBubble1Click();
  void Text1Click();
  void EditTextClick();  // "Edit Text..." on a text layer
  void DeleteSelectedLayer();   // palette "Delete"
  void RotateLayerTool();       // palette "Rotate Layer"
  void ClearRecentClick();
  void SaveFaceRecipe1Click();
  void LoadFaceRecipe1Click();
  void SaveMesh1Click();
  void LoadMesh1Click();
  void ToolPaletteClick();

  // What the rows' Also asks.
  bool HasFaceModel() const;
  bool HasLastFilter() const;
  bool CanStepBackward() const;
  bool CanStepForward() const;
  bool PaletteShown() const;
  bool SelectedLayerIsText() const;
  bool AboutAtStart() const;

  // Building the window from the rows.
  void FormCreate();
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  void CreateBrushBar();  // Size and Effect
  void CreateView();
  void CreateHistoryDock();
  QAction* MakeAction(const TCommandRow& row);
  void RunCommand(const TCommandRow& row);
  // The action of a row by its object name; it must exist.
  QAction* Action(const char* name) const;
  const TCommandRow& Row(const char* name) const;
  QMenu* Menu(TMenu menu) const { return Menus_.at(menu); }
  // Greys out every command whose row needs what the document lacks now.
  void RefreshCommands();
  bool Available(const TCommandRow& row) const;

  // Input.
  // The wheel's zoom keeps the picture point under the pointer (a viewport position) where it is.
  void FormMouseWheelUp(std::optional<QPoint> pointer);
  void FormMouseWheelDown(std::optional<QPoint> pointer);
  void WMKeyDown(int key);
  // Plain + and - zoom in and out, where no text field has the focus; true when it was one.
  bool ZoomWithPlainKey(const QKeyEvent& key);
  // A screen position in the view's viewport, or none when it lies outside.
  std::optional<QPoint> PointerInViewport(QPointF global) const;
  // X and Y in view pixels; `held` are the buttons down during the event. The picture view's
  // events go through the document's router; the mirror's to the pixel tools.
  void DstImgMouseDown(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y);
  void DstImgMouseMove(Qt::MouseButtons held, Qt::KeyboardModifiers modifiers, int x, int y);
  void DstImgMouseUp();
  void UpdateTimerTimer();
  void LayterTimerTimer();
  void SizeBarChange();
  void PinchBarChange();

  // The editing history (StudioHistory.cpp).
  // Runs a change of the document as one step of the history named `name`.
  void RecordStep(TChangeScope scope, const std::string& name, const std::function<void()>& change);
  // The history list and the step commands follow the history.
  void RefreshHistory();
  // What a press, drag and release just did, for the history.
  std::string StrokeName() const;
  // Ends the stroke in progress as a step, and starts one where a held button acts.
  void CommitStroke();
  void ContinueStroke();
  bool PointerPressed() const;
  // Space and a drag pan the view; true when the event was the pan's.
  bool PanWithSpace(QWidget* widget, QEvent* event);
  void HoldSpace(bool held);
  // The status bar (StudioStatus.cpp): size, zoom and the tool's hint follow the document.
  void CreateStatusBar();
  void RefreshStatus();

  // Pixel tools on the mirror DstImg1 (StudioPixelTools.cpp).
  // Leaves the brushes for the eraser, paint, eyedropper, crop or chroma-key pick.
  void SwitchToPixelTool(TToolMode tool);
  void EnterPixelTool(TToolMode tool);
  void DstImg1MouseDown(Qt::MouseButtons held, int x, int y);
  void DstImg1MouseMove(Qt::MouseButtons held, int x, int y);
  void DstImg1MouseUp();
  // One eraser or paint dab at a picture pixel; the mirror's changed rectangle.
  TRect Dab(TPoint at);

  // Comic filter, chroma key and background (StudioAdjust.cpp).
  void RunChromaKey();  // after the pick of the key colour
  void KeyPickedColour();

  // Auto Caricature (StudioAutoCaricature.cpp).
  // The command is there with a picture and the model.
  void RefreshAutoCaricature();
  // The faces to bend: those last found or bent while the picture shows them as they were
  // left, else found afresh.
  std::vector<TFace> FacesToBend();
  // The faces a face dialog opens on, a pixel tool's and a stroke's work ended first; none (and
  // the message said) when the picture has none.
  std::vector<TFace> FacesForDialog();
  // The faces bent by one step of the history, off the interface thread with the progress
  // window up when it takes a while; the faces carried through it are kept for the next.
  void BendFaces(std::vector<TFace> faces, const std::function<TFaceEditResult(std::vector<TFace>&)>& bend);

  // Face recipes (StudioRecipes.cpp). A face edit that became a step of the history, kept with
  // that step; the recipe is the edits of the steps the document shows.
  void RememberRecipeSteps(int stepBefore, const std::vector<TRecipeStep>& edits);
  TFaceRecipe CurrentRecipe() const;
  struct TKeptRecipeStep {
    const THistoryStep* Step;
    std::string Name;
    TRecipeStep Edit;
  };
  std::vector<TKeptRecipeStep> RecipeSteps_;
  TRecipeFaces RecipeFaces_ = TRecipeFaces::Ask;

  // Animate Caricature (StudioAnimate.cpp).
  // Writes the animation with the progress window up; false when Escape stopped it.
  bool WriteAnimation(const TAnimationScene& scene, const TAnimationSettings& settings,
                      const std::string& path);

  // Filter plug-ins (StudioFilters.cpp).
  void BuildFilterMenu(const std::string& folder, bool includeSubDirectories);
  void BuildFilterMenu(const std::vector<std::string>& folders, bool includeSubDirectories);
  void ApplyFilter(int index, bool asLastFilter);

  // Picture layers (StudioLayers.cpp).
  void ShowAllLayers(bool visible);
  void FlattenLayers();
  void SelectLayer(TRotatableLayer* layer);
  // The creator sequence: a new layer centred in what the user sees, selected.
  void CreateLayerFromPicture(const TBitmap32& picture);
  void LoadClipart(const std::string& folder, const std::string& fileName);
  TPointF ViewportCenterInDocument() const;
  void RefreshLayers();
  // A double click and the context menu on a text layer (view pixels); false when none is there.
  bool EditTextAt(QPoint view);
  void ShowLayerMenu(QPoint view);

  // A dialog made at first use and kept with its settings: the window's child of that name.
  template <class TDialog>
  TDialog& KeptDialog(const char* name) {
    if (auto* dialog = findChild<TDialog*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly)) return *dialog;
    auto* dialog = new TDialog(this);
    dialog->setObjectName(QString::fromLatin1(name));
    return *dialog;
  }

  // Life cycle.
  void FormShow();
  void FormActivate();

  // Operations the commands share.
  void LoadImageFile(const std::string& fileName, TPictureEntry entry);
  // Sizes the view to the zoom; the picture point under `anchor` (a viewport position, its
  // centre when none) stays under it.
  void ApplyZoom(std::optional<QPoint> anchor = std::nullopt);
  // A zoom the user chose: the picture no longer follows the window's size.
  void ZoomTo(int percent, std::optional<QPoint> anchor = std::nullopt);
  // A project (.ora): its layers, meshes and faces come back; Restore takes only its photo.
  void LoadProjectFile(const std::string& fileName, TPictureEntry entry);
  // Writes the document with its layers as a project, merging nothing.
  void SaveProject(const std::string& target);
  void FitToWindow();
  void ViewportResized();
  void EndTool();
  void UpdateCaption();
  // Ends the tool and merges the layers before a save to `target`; what an animation of the
  // caricature needs once the layers or the GIF's colours have baked the warp in.
  std::optional<TKeptScene> PrepareSave(const std::string& target);
  // Save and Save As: the picture written to `target`, the document named after it.
  void SaveTo(const std::string& target);
  // Whether the picture may be closed or replaced: nothing unsaved, or the user answered the
  // question about the unsaved changes with Discard, or with Save and the save succeeded.
  bool MayCloseDocument();
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

  void SaveRecent();
  void RestorePanels();
  // A picture opened or saved: first in the recent list, its folder the dialogs' next start.
  void RememberFile(const std::string& path);
  void RememberFolder(const std::string& path);
  void RebuildRecentMenu();

  TDocument Doc;
  TDataFolders Folders_;
  bool BatchMode_ = false;
  uint32_t SplashMinimumMs_ = 1500;
  std::string FaceModelPath_;
  TKnownFaces KnownFaces_;
  double LastFaceLimit_ = 1;
  TFontChoice TextFont_;  // the font dialog keeps the font chosen last

  // The controls, named as on the form.
  TImageView* DstImg = nullptr;
  TImageView* DstImg1 = nullptr;
  QScrollArea* sbxDstImg = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolBar* ToolBar2 = nullptr;
  QSlider* SizeBar = nullptr;
  QSlider* PinchBar = nullptr;
  QTimer* UpdateTimer = nullptr;
  QTimer* LayterTimer = nullptr;
  QDockWidget* HistoryDock = nullptr;
  QListWidget* HistoryList = nullptr;
  Tfsize* fsize = nullptr;
  TToolsForm* ToolsForm = nullptr;  // the floating tool palette
  TForm1* Form1 = nullptr;          // "Insert Text"
  TProgressForm* ProgressForm = nullptr;
  TLoadPluginForm* LoadPluginForm = nullptr;
  TForm2* Form2 = nullptr;          // the about box

  // The rows and their actions, in the order of CommandRows().
  std::vector<TCommandRow> Rows_;
  std::vector<QAction*> RowActions_;
  std::unordered_map<std::string, QAction*> ActionsByName_;
  std::unordered_map<TMenu, QMenu*> Menus_;

  std::unique_ptr<QSettings> Settings_;
  TRecentFiles Recent_;
  std::string LastFolder_;
  std::unique_ptr<QPrinter> Printer_;
  std::unique_ptr<TFilterUi> FilterUi_;
  std::unique_ptr<TFilterRunner> Filters_;
  std::unique_ptr<TBrushLayer> BrushOutline_;
  std::unique_ptr<TPictureLayersView> LayersView_;
  std::unique_ptr<TRubberbandLayer> FrameView_;

  // Recovery copies (StudioRecovery.cpp).
  void StartRecovery();
  void RecoveryTimerTimer();
  // The copy is of no more use: the work was saved, or the session ends normally.
  void DropRecoveryCopy();
  void EndRecoverySession();
  static int ReadRecoveryInterval(const QSettings& settings);
  std::shared_ptr<TRecoverySession> Recovery_;
  QTimer* RecoveryTimer_ = nullptr;
  QTimer* RecoveryRetry_ = nullptr;  // a copy put off because a stroke was under way
  int RecoveryMinutes_ = 2;
  bool RecoveryAtStart_ = true;

  QWidget* ViewHost_ = nullptr;
  QLabel* StatusHint_ = nullptr;
  QLabel* StatusSize_ = nullptr;
  QLabel* StatusZoom_ = nullptr;
  bool SpaceHeld_ = false;
  bool Panning_ = false;
  QPoint PanFrom_;    // where the pan's drag began, on the screen
  QPoint PanScroll_;  // the scroll bars then
  bool Shown_ = false;
  int WheelAngle_ = 0;  // wheel turned since the last whole notch
  bool DeliveringOwnInput_ = false;  // a list or field's own wheel or arrow, on its way
  int BeforeHolds_ = 0;  // the TBeforeHold bits held now
  bool AboutShown = false;
  bool FitFollowsWindow_ = false;  // fitted, and not zoomed by the user since
};

}  // namespace gs
