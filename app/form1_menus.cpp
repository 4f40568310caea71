// The menu tree of the main window, built from one table.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <cstdint>
#include <utility>

#include "app/main_window.h"
#include "platform/picture_box.h"

namespace sorvenal {

using Handler = void (Form1::*)();

// Commands that work on the selected picture or its file need all of it, and never run
// beside a show.
enum class Needs : std::uint8_t { Nothing, WholePicture };

struct MenuEntry {
    const char* name;
    const char* caption;  // "-" makes a separator
    const char* parent;   // nullptr: on the menu bar
    Handler handler;      // nullptr: a submenu, a separator or an entry without a command
    bool visible;
    bool enabled;
    Needs needs = Needs::Nothing;
};

namespace {
constexpr Needs kWhole = Needs::WholePicture;
}  // namespace

// Design state of every entry; the commands change visibility and enabling from here on.
std::span<const MenuEntry> Form1::MenuTable() {
    static constexpr MenuEntry kMenuTable[] = {
        {"mnuOpen", "画像を開く", nullptr, &Form1::mnuOpen_Click, true, true},
        {"mnuOpen3", "画像を開く", nullptr, nullptr, false, true},
        {"mnuReal", "実寸画像でレタッチ", nullptr, &Form1::mnuReal_Click, false, true, kWhole},
        {"mnuRetouch", "レタッチ", nullptr, nullptr, false, true},
        {"mnuClick", "肌上でクリックして最適化　Ｏｎ　にする", "mnuRetouch", &Form1::mnuClick_Click,
         true, true},
        {"mnuClick2", "肌上でクリックして最適化　Ｏｆｆ　にする", "mnuRetouch",
         &Form1::mnuClick2_Click, true, true},
        {"mnuSept1", "-", "mnuRetouch", nullptr, true, true},
        {"mnubackbright2", "逆光修正", "mnuRetouch", &Form1::mnubackbright2_Click, true, true},
        {"mnubackbright", "逆光修正 （ 特殊用 ）", "mnuRetouch", &Form1::mnubackbright_Click, true,
         true},
        {"mnuSept2", "-", "mnuRetouch", nullptr, true, true},
        {"mnulight", "明るくする", "mnuRetouch", &Form1::mnulight_Click, true, true},
        {"mnuDark", "暗くする", "mnuRetouch", &Form1::mnuDark_Click, true, true},
        {"mnuSept3", "-", "mnuRetouch", nullptr, true, true},
        {"mnuContrast", "コントラスト強", "mnuRetouch", &Form1::mnuContrast_Click, true, true},
        {"mnuContrast2", "コントラスト弱", "mnuRetouch", &Form1::mnuContrast2_Click, true, true},
        {"mnuSept4", "-", "mnuRetouch", nullptr, true, true},
        {"mnuShade", "彩度強", "mnuRetouch", &Form1::mnuShade_Click, true, true},
        {"mnuShade2", "彩度弱", "mnuRetouch", &Form1::mnuShade2_Click, true, true},
        {"mnuSept5", "-", "mnuRetouch", nullptr, true, true},
        {"mnuGamma", "ガンマ値強", "mnuRetouch", &Form1::mnuGamma_Click, true, true},
        {"mnuWhite", "色白変換", "mnuRetouch", &Form1::mnuWhite_Click, true, true},
        {"mnuSharp", "シャープ強 ( 小画像用 )", "mnuRetouch", &Form1::mnuSharp_Click, true, true},
        {"mnuSept6", "-", "mnuRetouch", nullptr, true, true},
        {"mnuSaveImage", "名前を付けて保存", "mnuRetouch", &Form1::mnuSaveImage_Click, true, true,
         kWhole},
        {"mnuCopyImage", "クリップボードにコピー", "mnuRetouch", &Form1::mnuCopyImage_Click, true,
         true, kWhole},
        {"mnuback", "原画像に戻す", "mnuRetouch", &Form1::mnuback_Click, true, true},
        {"mnuUndo", "元に戻す", "mnuRetouch", &Form1::mnuUndo_Click, true, false},
        {"mnuRedo", "やり直し", "mnuRetouch", &Form1::mnuRedo_Click, true, false},
        {"mnuZoom", "表示倍率", "mnuRetouch", nullptr, true, true},
        {"mnuZoomFit", "画面に合わせる", "mnuZoom", &Form1::mnuZoomFit_Click, true, true},
        {"mnuZoomActual", "実寸 (100%)", "mnuZoom", &Form1::mnuZoomActual_Click, true, true},
        {"mnuZoomIn", "拡大", "mnuZoom", &Form1::mnuZoomIn_Click, true, true},
        {"mnuZoomOut", "縮小", "mnuZoom", &Form1::mnuZoomOut_Click, true, true},
        {"mnuOpen2", "画像を開く", "mnuRetouch", &Form1::mnuOpen2_Click, true, true},
        {"mnuSept7", "-", "mnuRetouch", nullptr, true, true},
        {"mnuChange", "メニュー切り替え（特殊効果）", "mnuRetouch", &Form1::mnuChange_Click, true,
         true},
        {"mnuSept8", "-", "mnuRetouch", nullptr, true, true},
        {"mnuEnd", " 終了", "mnuRetouch", &Form1::mnuEnd_Click, true, true},
        {"mnuKijun", "設定", nullptr, nullptr, false, true},
        {"mnuWh", "色白型にする", "mnuKijun", &Form1::mnuWh_Click, true, false},
        {"mnuDefault", "通常型にする", "mnuKijun", &Form1::mnuDefault_Click, true, true},
        {"mnuSpecial", "特殊効果", nullptr, nullptr, false, true},
        {"mnuCirclelight", "円内を明るくする", "mnuSpecial", &Form1::mnuCirclelight_Click, true,
         true},
        {"mnuCirclered", "円内を赤くする", "mnuSpecial", &Form1::mnuCirclered_Click, true, true},
        {"mnuSept9", "-", "mnuSpecial", nullptr, true, true},
        {"mnuEyeblue", "黒目を青くする", "mnuSpecial", &Form1::mnuEyeblue_Click, true, true},
        {"mnuSpotlight", "スポットライト", "mnuSpecial", &Form1::mnuSpotlight_Click, true, true},
        {"mnuCircle", "円形画像作成", "mnuSpecial", &Form1::mnuCircle_Click, true, true},
        {"mnuSept10", "-", "mnuSpecial", nullptr, true, true},
        {"mnuSaveImage2", "名前を付けて保存", "mnuSpecial", &Form1::mnuSaveImage2_Click, true, true,
         kWhole},
        {"mnuCopyImage2", "クリップボードにコピー", "mnuSpecial", &Form1::mnuCopyImage2_Click, true,
         true, kWhole},
        {"mnuback2", "原画像に戻す", "mnuSpecial", &Form1::mnuback2_Click, true, true},
        {"mnuUndo2", "元に戻す", "mnuSpecial", &Form1::mnuUndo2_Click, true, false},
        {"mnuRedo2", "やり直し", "mnuSpecial", &Form1::mnuRedo2_Click, true, false},
        {"mnuZoom2", "表示倍率", "mnuSpecial", nullptr, true, true},
        {"mnuZoomFit2", "画面に合わせる", "mnuZoom2", &Form1::mnuZoomFit_Click, true, true},
        {"mnuZoomActual2", "実寸 (100%)", "mnuZoom2", &Form1::mnuZoomActual_Click, true, true},
        {"mnuZoomIn2", "拡大", "mnuZoom2", &Form1::mnuZoomIn_Click, true, true},
        {"mnuZoomOut2", "縮小", "mnuZoom2", &Form1::mnuZoomOut_Click, true, true},
        {"mnuOpen4", "画像を開く", "mnuSpecial", &Form1::mnuOpen4_Click, true, true},
        {"mnuSept11", "-", "mnuSpecial", nullptr, true, true},
        {"mnuChange2", "メニュー切り替え", "mnuSpecial", &Form1::mnuChange2_Click, true, true},
        {"mnuSept12", "-", "mnuSpecial", nullptr, true, true},
        {"mnuEnd2", "終了", "mnuSpecial", &Form1::mnuEnd2_Click, true, true},
        {"mnuFullscreen", "全画面表示", nullptr, &Form1::mnuFullscreen_Click, false, true},
        {"mnuFile", "ファイル操作", nullptr, nullptr, false, true},
        {"mnuRename", "ファイル名の変更", "mnuFile", &Form1::mnuRename_Click, true, true, kWhole},
        {"mnuMove", "ファイルを 移動", "mnuFile", &Form1::mnuMove_Click, true, true, kWhole},
        {"mnuCopysave", "ファイルを コピーして保存", "mnuFile", &Form1::mnuCopysave_Click, true,
         true, kWhole},
        {"mnuSept13", "-", "mnuFile", nullptr, true, true},
        {"mnuDelete", "ファイル削除", "mnuFile", &Form1::mnuDelete_Click, true, true, kWhole},
        {"mnuSept14", "-", "mnuFile", nullptr, true, true},
        {"mnuForder", "新しい フォルダーを作成", "mnuFile", &Form1::mnuForder_Click, true, true,
         kWhole},
        {"mnuFrename", "フォルダー名の変更", "mnuFile", &Form1::mnuFrename_Click, true, true,
         kWhole},
        {"mnuHelp", "Help", nullptr, nullptr, true, true},
        {"mnuReadme", "ヘルプ", "mnuHelp", &Form1::mnuReadme_Click, true, true},
        {"mnuHelpMenu", "バージョン", "mnuHelp", &Form1::mnuHelpMenu_Click, true, true},
    };
    return kMenuTable;
}

namespace {

bool HasChildren(std::span<const MenuEntry> table, const char* name) {
    for (const MenuEntry& e : table)
        if (e.parent && qstrcmp(e.parent, name) == 0) return true;
    return false;
}

}  // namespace

void Form1::BuildMenus() {
    QHash<QString, QMenu*> menus;
    const std::span<const MenuEntry> table = MenuTable();
    for (const MenuEntry& e : table) {
        const QString name = QString::fromLatin1(e.name);
        // Qt reads '&' as a mnemonic marker; captions show it literally.
        const QString caption = QString::fromUtf8(e.caption).replace(u'&', QStringLiteral("&&"));
        QAction* action = nullptr;
        if (HasChildren(table, e.name)) {
            QMenu* menu = e.parent ? menus.value(QString::fromLatin1(e.parent))->addMenu(caption)
                                   : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            menus.insert(name, menu);
            action = menu->menuAction();
        } else {
            QWidget* owner = e.parent
                                 ? static_cast<QWidget*>(menus.value(QString::fromLatin1(e.parent)))
                                 : static_cast<QWidget*>(menuBar());
            // A separator keeps no text: some styles would draw it beside the line.
            const bool separator = qstrcmp(e.caption, "-") == 0;
            action = new QAction(separator ? QString() : caption, owner);
            action->setSeparator(separator);
            owner->addAction(action);
            if (e.handler)
                connect(action, &QAction::triggered, this, [this, &e] { RunMenuCommand(e); });
        }
        action->setObjectName(name);
        action->setVisible(e.visible);
        action->setEnabled(e.enabled);
        actions_.insert(name, action);
    }
    // Only the entries of the state on screen are ever enabled, so each key has one owner.
    for (const char* undo : {"mnuUndo", "mnuUndo2"}) Action(undo)->setShortcut(QKeySequence::Undo);
    for (const char* redo : {"mnuRedo", "mnuRedo2"})
        Action(redo)->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    // Both copy entries stay enabled, so the key is the window's (CopyKey); the menus only
    // show it.
    for (const char* copy : {"mnuCopyImage", "mnuCopyImage2"}) {
        Action(copy)->setShortcut(QKeySequence::Copy);
        Action(copy)->setShortcutContext(Qt::WidgetShortcut);
    }
    // The zoom keys are the window's too (ZoomKey).
    const std::pair<const char*, QKeySequence> zoomKeys[] = {
        {"mnuZoomFit", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0)},
        {"mnuZoomActual", QKeySequence(Qt::CTRL | Qt::Key_0)},
        {"mnuZoomIn", QKeySequence(Qt::CTRL | Qt::Key_Plus)},
        {"mnuZoomOut", QKeySequence(Qt::CTRL | Qt::Key_Minus)},
    };
    for (const auto& [name, keys] : zoomKeys)
        for (const QString& each : {QString::fromLatin1(name), QString::fromLatin1(name) + u'2'}) {
            QAction* a = actions_.value(each);
            a->setShortcut(keys);
            a->setShortcutContext(Qt::WidgetShortcut);
        }
}

void Form1::CopyKey() {
    for (const auto& [menu, copy] :
         {std::pair{"mnuRetouch", "mnuCopyImage"}, std::pair{"mnuSpecial", "mnuCopyImage2"}})
        if (Action(menu)->isVisible() && Picture2->isVisibleTo(this)) Action(copy)->trigger();
}

void Form1::RunMenuCommand(const MenuEntry& entry) {
    if (entry.needs == Needs::WholePicture) {
        if (!ShowCancel) {
            ShowCancel = true;
            QMetaObject::invokeMethod(
                this, [this, &entry] { RunMenuCommand(entry); }, Qt::QueuedConnection);
            return;
        }
        WaitFull();
    }
    const QScopedValueRollback<int> running(commandDepth_, commandDepth_ + 1);
    (this->*entry.handler)();
}

}  // namespace sorvenal
