#pragma once
// The main window: start screen, browsing, the actual-size retouch view and the effects view.
// It holds the widgets, the menus, the window geometry and the event routing; the picture's
// state lives in two objects of its own: selected_picture.h (the picture chosen while
// browsing: preview, full decode, prefetch) and working_picture.h (the picture being
// retouched: original, canvas, snapshot, history, steps).
// The window's code by concern: main_window.cpp (controls, busy state, geometry in twips, key
// preview), form1_menus.cpp (the menu table and the guard of commands that need the whole
// picture), form1_startup.cpp (start-up, hover, menu switches and modes), form1_browse.cpp
// (folders, files, preview), form1_retouch.cpp (retouch view, scrolling, keys, retouch
// commands, undo), form1_clicks.cpp (mouse on the picture), and the wiring files
// form1_viewers.cpp, form1_fileops.cpp, form1_effects.cpp for the other subsystems.
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "app/selected_picture.h"
#include "app/working_picture.h"
#include "effects/circle_effects.h"
#include "engine/auto_retouch.h"
#include "engine/retouch_commands.h"
#include "platform/busy_indicator.h"
#include "platform/picture_loader.h"
#include "platform/twips.h"
#include "savehelp/save_image.h"
#include "viewers/continuous_show.h"

class QAction;
class QCheckBox;
class QKeyEvent;
class QWheelEvent;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace sorvenal {

class ClickLabel;
class DialogService;
class FileList;
class FolderList;
class FolderWatch;
class FormSurface;
class PictureBox;
class PreviewImage;
struct FileOpsContext;
struct MenuEntry;
struct RetouchLayout;

// What the window is given besides its dialogs and start folder; the defaults are the program's.
struct Form1Options {
    ShowPause showPause = {};                 // the continuous show's pause; empty: BlockingPause
    PictureLoader::Decoder fullDecoder = {};  // the full pictures' decode; empty: ReadPicture
    PictureLoader::PreviewDecoder previewDecoder = {};  // the previews'; empty: ReadPreview
    ScreenSizeSource screenSize = {};  // empty: the size of the screen that holds the window
    // The picture the program was started on: its preview is decoded while the window is built.
    NativePath startPicture = {};
};

class Form1 : public QMainWindow {
    Q_OBJECT

public:
    // Without a dialog service the real dialogs are used. An empty start folder means the
    // user's Pictures folder, else the home folder.
    explicit Form1(DialogService* dialogs = nullptr, QWidget* parent = nullptr,
                   const NativePath& startFolder = NativePath(), Form1Options options = {});
    ~Form1() override;

    // The window variables, read-only.
    bool FolderChangeClears() const { return DirCancel; }
    bool ShowRunning() const { return !ShowCancel; }
    bool CircleModeOn() const { return working_->CircleMode(); }
    bool SkinClickModeOn() const { return SkinClickOn; }
    const SkinState& Skin() const { return skin; }
    const Circle& MarkedCircle() const { return circle; }
    const StepHistory& History() const { return working_->History(); }
    // The selected picture's preview is still being decoded.
    bool PreviewPending() const;

    DialogService& dialogs();
    const Form1Options& Options() const { return options_; }
    QAction* Action(const char* name) const;
    // The window surface that keeps what is drawn on it (pixels).
    FormSurface* Surface() const { return surface_; }

    // Selects the named file of the file list, as a click on it would; false when not listed.
    bool SelectPicture(const NativePath& name);
    // Started on a picture: the browse state with it selected and the file list holding the
    // keyboard, so Down shows the next picture at once. The folder is listed as far as the
    // first paint needs (the picture's name, the folder's ancestors); the rest of both lists
    // and the full decode follow that paint, or come first when input arrives before it.
    void StartWithPicture(const NativePath& name);
    // Runs `then` once the start's deferred work is done, at once (queued) when there is none.
    void WhenStarted(std::function<void()> then);
    // Waits for the selected picture's full decode under the busy indicator, as every command
    // that needs the whole picture does; a picture that fails there ends as unreadable.
    void WaitFull();

    // A fresh full-screen view of the picture on display, as a character key opens it.
    void OpenFullScreenView();

    // Ending the program; tests replace the hook to observe it without quitting.
    void SetQuitHook(std::function<void()> hook) { quitHook_ = std::move(hook); }
    void EndProgram();
    bool Ending() const { return ending_; }
    // Unsaved work is thrown away only when the user agrees; true when nothing is lost or the
    // user agreed.
    bool MayDiscardWork();
    // At start: a retouch that an earlier run left unsaved is offered back, in the retouch
    // state with its history; journals that cannot be used are reported and removed.
    void OfferRecovery();
    // Until the journal of unsaved work on disk is as the last step left it.
    void WaitForJournal() { working_->WaitForJournal(); }

    // Window size in twips as the window rules reckon it (outer size, frame included).
    int OuterWidthTwips() const;
    int OuterHeightTwips() const;
    void SetOuterSizeTwips(int width, int height);
    int ClientWidthTwips() const;
    int ClientHeightTwips() const;
    // The full size of the screen holding the window, twips; the full-screen views open there.
    ScreenTwips ScreenSize() const;
    // Twips per scroll value of each bar: 1 unless the hidden part exceeds the 16-bit range.
    int HScrollUnit() const { return hScrollUnit_; }
    int VScrollUnit() const { return vScrollUnit_; }
    // Device pixels per picture pixel in the retouch and effects views.
    double Zoom() const { return zoom_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Controls (owned by Qt parenting).
    PictureBox *Picture1 = nullptr, *Picture2 = nullptr, *Picture3 = nullptr;
    PreviewImage* Image1 = nullptr;
    FolderList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QFrame* Frame3 = nullptr;
    QLabel *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr,
           *Label9 = nullptr, *Label10 = nullptr;
    QRadioButton *Option1 = nullptr, *Option2 = nullptr;
    QScrollBar *HScroll1 = nullptr, *VScroll1 = nullptr;
    QPushButton* Command1 = nullptr;
    BusyIndicator* Animation1 = nullptr;
    // Start screen.
    QLabel *Image2 = nullptr, *Image3 = nullptr, *Image4 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;

    // Window variables.
    SkinState skin;  // R0 G0 B0 M0 N0 Dw
    Circle circle;   // X1 Y1 rl
    float X2 = 0, Y2 = 0;
    bool DirCancel = true, ShowCancel = true, SkinClickOn = false;
    RandomSequence random;  // one per program run

    // --- start-up, menus and modes (form1_startup.cpp)
    void Form_Load(const NativePath& startFolder);
    void mnuChange_Click();
    void mnuChange2_Click();
    void mnuClick_Click();
    void mnuClick2_Click();
    void mnuWh_Click();
    void mnuDefault_Click();
    void mnuEnd_Click();
    void mnuEnd2_Click();

    // --- browsing (form1_browse.cpp)
    void mnuOpen_Click();
    void mnuOpen2_Click();
    void mnuOpen4_Click();
    void Dir1_Change();
    void File1_Click();
    void Image1_Click();
    void ResumeFullPicture();  // starts the full decode unless a show runs (which only previews)
    void FinishStart();
    void FullPictureEnded();
    void ShowSelection();
    void ShowUnreadable();
    void ShowUnreadableCaption();
    // Other programs' changes to the shown folder, and F5 by hand.
    void WatchFolders();
    void FolderChangedOnDisk();
    void FolderGone(const NativePath& folder);
    void Form_Reload();
    // A command, a modal view, an open menu or the show is under way: changes wait for its end.
    bool DiskChangeMustWait() const;

    // --- retouch view, scrolling and keys (form1_retouch.cpp)
    void mnuReal_Click();
    void mnuback_Click();
    void mnuback2_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuUndo2_Click();
    void mnuRedo2_Click();
    void mnuFullscreen_Click();
    void MoveCanvas();
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyPress(int keyAscii);
    void mnuWhite_Click();
    void mnuSharp_Click();
    void mnuGamma_Click();
    void mnubackbright2_Click();
    void mnubackbright_Click();
    void mnuShade_Click();
    void mnuShade2_Click();
    void mnuDark_Click();
    void mnulight_Click();
    void mnuContrast_Click();
    void mnuContrast2_Click();
    void mnuSaveImage2_Click();

    // --- zoom and the glance at the original (form1_zoom.cpp)
    void mnuZoomFit_Click();
    void mnuZoomActual_Click();
    void mnuZoomIn_Click();
    void mnuZoomOut_Click();
    void BuildZoomBadges();
    bool RetouchShown() const;
    // The middle of the part of the client area the picture can cover (pixels).
    QPointF ViewCentre() const;
    // Zooms keeping the picture point under anchor (client pixels) where it is.
    void SetZoom(double zoom, QPointF anchor);
    void ZoomFit();
    // Back to actual size with the bars the window was made with.
    void ResetZoom();
    void ApplyScrollLayout(const RetouchLayout& layout);
    bool ZoomKey(const QKeyEvent& key);
    void WheelZoom(QWheelEvent* event);
    void BeginGlance();
    void EndGlance();
    // True when the event is used up by the glance.
    bool GlanceEvent(QObject* watched, QEvent* event);

    // --- clicks on the picture (form1_clicks.cpp)
    void Picture2_MouseDown(int button, int shift, double x, double y);
    void Picture2_MouseMove(int button, int shift, double x, double y);
    void Picture2_MouseUp(int button, int shift, double x, double y);

    // --- wiring to the viewers (form1_viewers.cpp)
    void Label8_Click();
    void Label9_Click();
    // --- wiring to the file operations (form1_fileops.cpp)
    void mnuRename_Click();
    void mnuMove_Click();
    void mnuCopysave_Click();
    void mnuDelete_Click();
    void mnuForder_Click();
    void mnuFrename_Click();
    void mnuReadme_Click();
    void mnuHelpMenu_Click();
    // --- wiring to the circle effects and saving (form1_effects.cpp)
    void mnuCirclelight_Click();
    void mnuCirclered_Click();
    void mnuEyeblue_Click();
    void mnuSpotlight_Click();
    void mnuCircle_Click();
    void mnuSaveImage_Click();
    void mnuCopyImage_Click();
    void mnuCopyImage2_Click();

    void BuildControls();
    void BuildMenus();
    static std::span<const MenuEntry> MenuTable();
    void ConnectSignals();
    // Runs a menu entry's handler; one that needs the whole picture stops a running show and
    // runs once the show has ended on the picture that was on screen, after the full decode.
    void RunMenuCommand(const MenuEntry& entry);
    // True when the move was over a start-screen control (it goes no further).
    bool StartScreenHover(QObject* watched, QEvent* event);
    void ShowMenu(const char* name, bool visible);
    void EnableMenu(const char* name, bool enabled);
    void BeginBusy();
    void EndBusy(const QString& caption);
    void ClearDisplay();
    void FolderFinish();
    void MoveOuterTwips(int left, int top);
    // The window's drawing scale: pixels (start, browse) or twips (retouch, effects).
    int ToPixels(int windowUnits) const;
    int ToWindowUnits(int pixels) const;
    void ApplyRetouchLayout(const RetouchLayout& layout);
    void ApplyPreviewFit();
    QSize PreviewBox() const;
    void RunRetouchMenuCommand(RetouchCommand command);
    void WatchWidget(QObject* object);
    void UpdateUndoMenus();
    void ApplyOuterOnceFrameKnown();
    void WheelOverPicture(QWheelEvent* event);
    bool PreviewKey(QWidget* target, QKeyEvent* key);
    // Ctrl+C: the copy of the state on screen (retouch or effects), else nothing.
    void CopyKey();
    // What the subsystems work on, lent through their context structs.
    void RunCircleMenuCommand(CircleEffect effect);
    void RunFileCommand(void (*command)(FileOpsContext&));
    ShowContext MakeShowContext();

    std::unique_ptr<DialogService> ownDialogs_;
    DialogService* dialogs_ = nullptr;
    Form1Options options_;
    FormSurface* surface_ = nullptr;
    QHash<QString, QAction*> actions_;
    std::function<void()> quitHook_;
    ScreenSizeSource screenSize_;
    bool scaleTwips_ = false;
    QSize requestedOuterTwips_;  // applied again once the frame is known
    QPoint requestedOuterPosTwips_;
    bool shownOnce_ = false;
    bool frameApplied_ = false;         // the frame was known and allowed for
    bool frameKnownAtRequest_ = false;  // the last size request could allow for the frame
    int hScrollUnit_ = 1;
    int vScrollUnit_ = 1;
    bool ending_ = false;
    bool quitting_ = false;
    QPoint wheelRest_;  // wheel turns not yet worth a whole step
    int zoomWheelRest_ = 0;
    double zoom_ = 1;
    std::unique_ptr<RetouchLayout> retouchLayout_;  // the bars at actual size, as first made
    QLabel* zoomBadge_ = nullptr;
    QLabel* glanceBadge_ = nullptr;
    QTimer* zoomBadgeTimer_ = nullptr;
    bool swallowMouse_ = false;  // the press ended a glance: its drag and release do nothing
    bool previewingKey_ = false;
    bool modalViewSeen_ = false;  // set when a modal view opened during the current key
    BusyFeedback busy_;           // the window's busy state, lent to the picture's work
    SaveChoice saveChoice_;       // the file type and quality saved last
    FolderWatch* folderWatch_ = nullptr;
    bool startDeferred_ = false;  // the lists hold what the start's first paint needs only
    std::vector<std::function<void()>> afterStart_;
    int commandDepth_ = 0;  // menu commands running, nested in a dialog or a wait
    bool busyNow_ = false;
    std::unique_ptr<SelectedPicture> selected_;
    std::unique_ptr<WorkingPicture> working_;  // made with the picture boxes
};

}  // namespace sorvenal
