#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <utility>

#include "app/artwork.h"
#include "app/click_label.h"
#include "app/form1_text.h"
#include "app/form_surface.h"
#include "app/key_codes.h"
#include "app/layout_rules.h"
#include "app/preview_image.h"
#include "app/undo_journal.h"
#include "platform/busy_indicator.h"
#include "platform/dialog_service.h"
#include "platform/file_list.h"
#include "platform/folder_list.h"
#include "platform/fonts.h"
#include "platform/picture_box.h"
#include "platform/twips.h"

namespace sorvenal {

namespace {

// Places a control at a design position given in twips.
template <typename W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(TwipsRect(left, top, width, height));
    return widget;
}

QLabel* StartImage(QWidget* parent, const char* name, int left, int top, int width, int height,
                   const QImage& art) {
    auto* label = Place(new QLabel(parent), name, left, top, width, height);
    label->setPixmap(QPixmap::fromImage(art));
    label->setScaledContents(true);
    label->setMouseTracking(true);
    return label;
}

QLabel* StartLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                   int width, int height) {
    auto* label = Place(new QLabel(text, parent), name, left, top, width, height);
    label->setFont(GothicFont(18, true));
    SetForeColor(label, kLabelIdleColor);
    label->setMouseTracking(true);
    return label;
}

}  // namespace

Form1::Form1(DialogService* dialogs, QWidget* parent, const NativePath& startFolder,
             Form1Options options)
    : QMainWindow(parent),
      dialogs_(dialogs),
      options_(std::move(options)),
      screenSize_(options_.screenSize),
      retouchLayout_(std::make_unique<RetouchLayout>()),
      selected_(std::make_unique<SelectedPicture>(options_.fullDecoder, options_.previewDecoder)) {
    setObjectName(QStringLiteral("Form1"));
    // First of all, on a worker: the window is built and the folder listed meanwhile.
    if (!options_.startPicture.isEmpty()) {
        const PreviewRect box = PreviewFit(1, 1);
        const qreal ratio = qApp->devicePixelRatio();
        selected_->Prefetch(options_.startPicture,
                            QSize(qCeil(box.width * ratio), qCeil(box.height * ratio)));
    }
    if (!dialogs_) {
        ownDialogs_ = std::make_unique<QtDialogService>();
        dialogs_ = ownDialogs_.get();
    }
    quitHook_ = [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    };
    // The program sizes the window in every state, also below the menu bar's natural width.
    layout()->setSizeConstraint(QLayout::SetNoConstraint);
    setWindowIcon(AppIconSet());
    BuildControls();
    working_ = std::make_unique<WorkingPicture>(Picture1, Picture2, Picture3);
    working_->SetJournalPath(OwnJournalPath());
    working_->SetHistoryChanged([this] { UpdateUndoMenus(); });
    busy_ = BusyFeedback{
        .begin = [this] { BeginBusy(); },
        .end = [this](const QString& caption) { EndBusy(caption); },
        .indicator = Animation1,
    };
    BuildMenus();
    ConnectSignals();
    WatchWidget(this);
    Form_Load(startFolder);
}

Form1::~Form1() = default;

// The key preview watches the window and every widget in it, also those made later.
void Form1::WatchWidget(QObject* object) {
    if (!object->isWidgetType()) return;
    object->installEventFilter(this);
    for (QObject* child : object->children()) WatchWidget(child);
}

DialogService& Form1::dialogs() { return *dialogs_; }

QAction* Form1::Action(const char* name) const {
    return actions_.value(QString::fromLatin1(name), nullptr);
}

void Form1::ShowMenu(const char* name, bool visible) {
    if (QAction* a = Action(name)) a->setVisible(visible);
}

void Form1::EnableMenu(const char* name, bool enabled) {
    if (QAction* a = Action(name)) a->setEnabled(enabled);
}

void Form1::BuildControls() {
    surface_ = new FormSurface(this);
    surface_->setObjectName(QStringLiteral("Form1Surface"));
    surface_->SetBackColor(kFormBackColor);
    setCentralWidget(surface_);
    QWidget* s = surface_;

    // Start screen.
    // The artwork is drawn for the screen the window starts on.
    const qreal ratio = devicePixelRatioF();
    Image2 = StartImage(s, "Image2", 120, 480, 1815, 2250, SnapshotBefore(ratio));
    Image3 = StartImage(s, "Image3", 120, 480, 1815, 2250, SnapshotAfter(ratio));
    Image4 = StartImage(s, "Image4", 2160, 360, 480, 480, AppIcon(32, ratio));
    Image3->hide();
    Image4->hide();
    Label1 = Place(new QLabel(kLabel1Text, s), "Label1", 2880, 360, 3180, 555);
    Label1->setFont(GothicFont(27.75, true));
    Label1->setAlignment(Qt::AlignCenter);
    SetBackColor(Label1, kLabelIdleColor);
    SetForeColor(Label1, QColor(192, 64, 0));
    Label2 = StartLabel(s, "Label2", kLabel2Text, 2880, 1440, 2280, 360);
    Label3 = StartLabel(s, "Label3", kLabel3Text, 3600, 1920, 240, 360);
    Label3->setTextFormat(Qt::PlainText);
    Label4 = StartLabel(s, "Label4", kLabel4Text, 2880, 2400, 2370, 360);

    // Browse state.
    Dir1 = Place(new FolderList(s), "Dir1", 2880, 0, 2295, 2610);
    File1 = Place(new FileList(s), "File1", 5280, 0, 2175, 2610);
    File1->SetPattern(kPicturePattern);
    Label5 = Place(new QLabel(s), "Label5", 120, 2760, 2655, 255);
    Label5->setFont(GothicFont(9.75, true));
    SetBackColor(Label5, QColor(64, 64, 64));
    SetForeColor(Label5, QColor(224, 224, 224));
    Check1 = Place(new QCheckBox(kCheck1Text, s), "Check1", 3360, 2760, 3255, 255);
    SetBackColor(Check1, kLabelIdleColor);
    Label6 = Place(new QLabel(kLabel6Text, s), "Label6", 840, 3120, 6045, 180);
    Label6->setFont(GothicFont(9));
    Frame3 = Place(new QFrame(s), "Frame3", 120, 3480, 7335, 1335);
    SetBackColor(Frame3, QColor(64, 64, 64));
    Label7 = Place(new QLabel(kLabel7Text, Frame3), "Label7", 240, 360, 2115, 225);
    Label7->setFont(GothicFont(11.25, true));
    SetForeColor(Label7, QColor(128, 255, 128));
    Option1 = Place(new QRadioButton(kOption1Text, Frame3), "Option1", 2520, 240, 2295, 255);
    Option2 = Place(new QRadioButton(kOption2Text, Frame3), "Option2", 2520, 480, 2295, 255);
    for (QRadioButton* o : {Option1, Option2}) SetBackColor(o, kLabelIdleColor);
    Option1->setChecked(true);
    Label8 = Place(new ClickLabel(kLabel8Text, Frame3), "Label8", 5160, 360, 870, 300);
    Label9 = Place(new ClickLabel(kLabel9Text, Frame3), "Label9", 6240, 360, 795, 300);
    for (QLabel* l : {Label8, Label9}) {
        l->setFont(GothicFont(12, true));
        l->setAlignment(Qt::AlignCenter);
        l->setCursor(Qt::PointingHandCursor);
        SetBackColor(l, kLabelIdleColor);
    }
    Label10 = Place(new QLabel(kLabel10Text, Frame3), "Label10", 1560, 960, 3900, 180);
    Label10->setFont(GothicFont(9));
    SetForeColor(Label10, QColor(128, 255, 128));
    for (QWidget* w : std::initializer_list<QWidget*>{Dir1, File1, Label5, Check1, Label6, Frame3})
        w->hide();

    Image1 = new PreviewImage(s);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 10, 160, 160);
    Image1->hide();

    // Pictures: Picture1 and Picture3 are hidden holders.
    Picture1 = new PictureBox(s);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture3 = new PictureBox(s);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture2 = new PictureBox(s);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture1->hide();
    Picture2->hide();
    Picture3->hide();

    HScroll1 = new QScrollBar(Qt::Horizontal, s);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    VScroll1 = new QScrollBar(Qt::Vertical, s);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    for (QScrollBar* bar : {HScroll1, VScroll1}) {
        bar->setRange(0, kMaxScrollValue);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    Command1 = new QPushButton(s);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setFocusPolicy(Qt::NoFocus);
    Command1->hide();

    BuildZoomBadges();

    Animation1 = new BusyIndicator(s);
    Animation1->setObjectName(QStringLiteral("Animation1"));
    Animation1->setGeometry(0, 0, 200, 40);
    Animation1->hide();

    for (QWidget* w :
         std::initializer_list<QWidget*>{Image2, Image3, Image4, Label2, Label3, Label4})
        w->installEventFilter(this);
    surface_->installEventFilter(this);
}

void Form1::ConnectSignals() {
    connect(Dir1, &FolderList::Change, this, &Form1::Dir1_Change);
    connect(Dir1, &FolderList::PathRefused, this,
            [this](const QString& path) { dialogs().Message(this, FolderRefusedMessage(path)); });
    connect(File1, &FileList::Click, this, &Form1::File1_Click);
    WatchFolders();
    connect(selected_.get(), &SelectedPicture::PreviewEnded, this, &Form1::ShowSelection);
    connect(selected_.get(), &SelectedPicture::FullEnded, this, &Form1::FullPictureEnded);
    connect(Image1, &PreviewImage::Clicked, this, &Form1::Image1_Click);
    connect(static_cast<ClickLabel*>(Label8), &ClickLabel::Clicked, this, &Form1::Label8_Click);
    connect(static_cast<ClickLabel*>(Label9), &ClickLabel::Clicked, this, &Form1::Label9_Click);
    // valueChanged covers both the change and the thumb drag (tracking is on).
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::MoveCanvas);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form1::MoveCanvas);
    connect(Picture2, &PictureBox::MouseDown, this, &Form1::Picture2_MouseDown);
    connect(Picture2, &PictureBox::MouseMove, this, &Form1::Picture2_MouseMove);
    connect(Picture2, &PictureBox::MouseUp, this, &Form1::Picture2_MouseUp);
}

// --- busy indicator and shared window operations

void Form1::BeginBusy() {
    // Paint now what a closed menu covered: the pass holds this thread until it ends.
    repaint();
    busyNow_ = true;
    setWindowTitle(kBusyCaption);
    setCursor(Qt::WaitCursor);
    Animation1->raise();
    Animation1->Start();
}

void Form1::EndBusy(const QString& caption) {
    Animation1->Stop();
    busyNow_ = false;
    setWindowTitle(caption);
    if (SkinClickOn)
        setCursor(Qt::UpArrowCursor);
    else
        unsetCursor();
}

void Form1::ClearDisplay() {
    selected_->Clear();
    Image1->ClearPicture();
    Label5->setText(QString());
    Label5->setToolTip(QString());
    File1->unsetCursor();  // a preview under way is dropped with the picture
    working_->Clear();
    Picture2->setGeometry(ToPixels(50), ToPixels(50), ToPixels(50), ToPixels(50));
}

// Refreshing, not focusing: the file list keeps the focus, so Up and Down walk the pictures.
void Form1::FolderFinish() { Dir1->update(); }

void Form1::EndProgram() {
    ending_ = true;
    // Closing the windows comes back here through closeEvent.
    if (quitting_) return;
    const QScopedValueRollback<bool> guard(quitting_, true);
    if (quitHook_) quitHook_();
}

bool Form1::MayDiscardWork() {
    if (!working_->Unsaved()) return true;
    if (!dialogs().AskYesNo(this, kDiscardQuestion)) return false;
    working_->EndHistory();
    return true;
}

void Form1::OfferRecovery() {
    for (const NativePath& file : LeftJournals()) {
        const std::optional<Journal> journal = ReadJournal(file);
        if (!journal) {
            dialogs().Message(this, kJournalDamaged);
            RemoveFile(file);
            continue;
        }
        const QString shown = ShownPath(journal->source.path);
        const std::optional<JournalSource> now = SourceNow(journal->source.path);
        if (!now || !(*now == journal->source)) {
            dialogs().Message(this, JournalSourceChanged(shown));
            RemoveFile(file);
            continue;
        }
        const bool restore = dialogs().AskYesNoDefaultYes(this, kRecoverQuestion);
        // Restored, the work is this run's and its own journal takes over.
        RemoveFile(file);
        if (!restore) continue;
        if (Action("mnuOpen")->isVisible()) Action("mnuOpen")->trigger();
        bool opened = Dir1->SetNativePath(ParentOf(journal->source.path)) &&
                      SelectPicture(BaseNameOf(journal->source.path));
        if (opened) {
            WaitFull();
            opened = working_->HasOriginal();
        }
        if (!opened) {
            dialogs().Message(this, JournalSourceUnreadable(shown));
            return;
        }
        Action("mnuReal")->trigger();
        working_->Restore(journal->steps, busy_, kProgramCaption);
        ShowMenu("mnuSaveImage", true);
        // The type of the last skin click was the user's choice; the next click keeps it.
        const auto lastSkin =
            std::find_if(journal->steps.rbegin(), journal->steps.rend(),
                         [](const HistoryStep& s) { return s.kind == HistoryStep::Kind::Skin; });
        if (lastSkin != journal->steps.rend()) {
            if (lastSkin->skin.Dw == 0)
                mnuWh_Click();
            else
                mnuDefault_Click();
        }
        return;
    }
}

int Form1::ToPixels(int windowUnits) const {
    return scaleTwips_ ? TwipsToPixels(windowUnits) : windowUnits;
}

int Form1::ToWindowUnits(int pixels) const { return scaleTwips_ ? PixelsToTwips(pixels) : pixels; }

// --- geometry in twips

int Form1::OuterWidthTwips() const { return PixelsToTwips(frameGeometry().width()); }
int Form1::OuterHeightTwips() const { return PixelsToTwips(frameGeometry().height()); }

void Form1::SetOuterSizeTwips(int width, int height) {
    requestedOuterTwips_ = QSize(width, height);
    frameKnownAtRequest_ = frameGeometry() != geometry();
    const int frameW = frameGeometry().width() - geometry().width();
    const int frameH = frameGeometry().height() - geometry().height();
    resize(std::max(1, TwipsToPixels(width) - frameW), std::max(1, TwipsToPixels(height) - frameH));
}

// Positions are reckoned from the corner of the screen holding the window, so a window centred
// on a second screen stays there.
void Form1::MoveOuterTwips(int left, int top) {
    requestedOuterPosTwips_ = QPoint(left, top);
    frameKnownAtRequest_ = frameGeometry() != geometry();
    const QScreen* holder = screen();
    const QPoint origin = holder ? holder->geometry().topLeft() : QPoint();
    move(origin + QPoint(TwipsToPixels(left), TwipsToPixels(top)));
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyOuterOnceFrameKnown();
}

void Form1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    ApplyOuterOnceFrameKnown();
}

bool Form1::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The manager may frame the window without moving it; it activates it afterwards.
    if (event->type() == QEvent::WindowActivate) ApplyOuterOnceFrameKnown();
    if (event->type() == QEvent::WindowDeactivate) EndGlance();
    return handled;
}

// A window manager adds its frame some time after the first show; sizes asked for before then
// could not allow for it, so they are asked for again once, when the frame is known.
void Form1::ApplyOuterOnceFrameKnown() {
    if (frameApplied_ || !isVisible() || !requestedOuterTwips_.isValid()) return;
    const bool frameKnown = frameGeometry() != geometry();
    if (!frameKnown && shownOnce_) return;
    shownOnce_ = true;
    if (frameKnown) frameApplied_ = true;
    if (frameKnownAtRequest_) return;
    SetOuterSizeTwips(requestedOuterTwips_.width(), requestedOuterTwips_.height());
    MoveOuterTwips(requestedOuterPosTwips_.x(), requestedOuterPosTwips_.y());
}

ScreenTwips Form1::ScreenSize() const {
    return screenSize_ ? screenSize_(*this) : ScreenSizeTwips(*this);
}

int Form1::ClientWidthTwips() const { return PixelsToTwips(width()); }

int Form1::ClientHeightTwips() const {
    const int menuHeight =
        menuBar()->isVisible() || !isVisible() ? menuBar()->heightForWidth(width()) : 0;
    return PixelsToTwips(height() - std::max(0, menuHeight));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplyOuterOnceFrameKnown();
    // Narrow-window rule: nothing shows the two entries again but the commands that show them.
    if (OuterWidthTwips() < kNarrowWindowWidth) {
        ShowMenu("mnuHelp", false);
        ShowMenu("mnuFullscreen", false);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    if (!quitting_ && !MayDiscardWork()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    // However the window closes, the program ends now; a running show must not keep it.
    if (event->isAccepted()) EndProgram();
}

// --- key preview and hover

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) WatchWidget(static_cast<QChildEvent*>(event)->child());
    // Input that comes before the start's lists are complete finds them complete.
    if (startDeferred_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress ||
         event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel))
        FinishStart();
    if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
        GlanceEvent(watched, event))
        return true;
    if (event->type() == QEvent::KeyPress && !previewingKey_ && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return PreviewKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::MouseMove && StartScreenHover(watched, event)) return true;
    if (event->type() == QEvent::Wheel && (watched == Picture2 || watched == surface_) &&
        Picture2->isVisible()) {
        WheelOverPicture(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The window sees the key first and once. Then the control it was sent to, and the parents
// that control passes it on to, get it as usual while the preview stands aside. A key that
// opened or closed a modal view, or ended the program, is finished there.
bool Form1::PreviewKey(QWidget* target, QKeyEvent* key) {
    const QScopedValueRollback<bool> guard(previewingKey_, true);
    const QPointer<QWidget> alive = target;
    modalViewSeen_ = false;
    if (ZoomKey(*key)) {
        key->accept();
        return true;
    }
    const int code = HandlerKeyCode(key->key());
    Form_KeyDown(code, 0);
    // Ctrl combinations are commands (undo, redo, copy), never characters that open a view.
    const bool command = key->modifiers() & Qt::ControlModifier;
    if (key->matches(QKeySequence::Copy)) CopyKey();
    if (code != kKeyEscape && !command && IsCharacterKey(key->text()))
        Form_KeyPress(key->text().at(0).unicode());
    if (!modalViewSeen_ && code != kKeyEscape && alive) QCoreApplication::sendEvent(alive, key);
    key->accept();
    return true;
}

}  // namespace sorvenal
