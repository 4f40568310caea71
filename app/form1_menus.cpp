// The menu tree of the main window, built from one table.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "app/main_window.h"

namespace sorvenal {

using Handler = void (Form1::*)();

// Commands that work on the selected picture or its file need all of it, and never run
// beside a show.
enum class Needs { Nothing, WholePicture };

struct MenuEntry {
    const char* name;
    const char* caption;  // "-" makes a separator
    const char* parent;   // nullptr: on the menu bar
    bool visible;
    bool enabled;
    Handler handler;  // nullptr: a submenu, a separator or an entry without a command
    Needs needs = Needs::Nothing;
};

namespace {
constexpr Needs kWhole = Needs::WholePicture;
}  // namespace

// Design state of every entry; the commands change visibility and enabling from here on.
std::span<const MenuEntry> Form1::MenuTable() {
    static constexpr MenuEntry kMenuTable[] = {
        {"mnuOpen", "画像を開く", nullptr, true, true, &Form1::mnuOpen_Click},
        {"mnuOpen3", "画像を開く", nullptr, false, true, nullptr},
        {"mnuReal", "実寸画像でレタッチ", nullptr, false, true, &Form1::mnuReal_Click, kWhole},
        {"mnuRetouch", "レタッチ", nullptr, false, true, nullptr},
        {"mnuClick", "肌上でクリックして最適化　Ｏｎ　にする", "mnuRetouch", true, true,
         &Form1::mnuClick_Click},
        {"mnuClick2", "肌上でクリックして最適化　Ｏｆｆ　にする", "mnuRetouch", true, true,
         &Form1::mnuClick2_Click},
        {"mnuSept1", "-", "mnuRetouch", true, true, nullptr},
        {"mnubackbright2", "逆光修正", "mnuRetouch", true, true, &Form1::mnubackbright2_Click},
        {"mnubackbright", "逆光修正 （ 特殊用 ）", "mnuRetouch", true, true,
         &Form1::mnubackbright_Click},
        {"mnuSept2", "-", "mnuRetouch", true, true, nullptr},
        {"mnulight", "明るくする", "mnuRetouch", true, true, &Form1::mnulight_Click},
        {"mnuDark", "暗くする", "mnuRetouch", true, true, &Form1::mnuDark_Click},
        {"mnuSept3", "-", "mnuRetouch", true, true, nullptr},
        {"mnuContrast", "コントラスト強", "mnuRetouch", true, true, &Form1::mnuContrast_Click},
        {"mnuContrast2", "コントラスト弱", "mnuRetouch", true, true, &Form1::mnuContrast2_Click},
        {"mnuSept4", "-", "mnuRetouch", true, true, nullptr},
        {"mnuShade", "彩度強", "mnuRetouch", true, true, &Form1::mnuShade_Click},
        {"mnuShade2", "彩度弱", "mnuRetouch", true, true, &Form1::mnuShade2_Click},
        {"mnuSept5", "-", "mnuRetouch", true, true, nullptr},
        {"mnuGamma", "ガンマ値強", "mnuRetouch", true, true, &Form1::mnuGamma_Click},
        {"mnuWhite", "色白変換", "mnuRetouch", true, true, &Form1::mnuWhite_Click},
        {"mnuSharp", "シャープ強 ( 小画像用 )", "mnuRetouch", true, true, &Form1::mnuSharp_Click},
        {"mnuSept6", "-", "mnuRetouch", true, true, nullptr},
        {"mnuSaveImage", "名前を付けて保存", "mnuRetouch", true, true, &Form1::mnuSaveImage_Click,
         kWhole},
        {"mnuback", "原画像に戻す", "mnuRetouch", true, true, &Form1::mnuback_Click},
        {"mnuUndo", "元に戻す", "mnuRetouch", true, false, &Form1::mnuUndo_Click},
        {"mnuRedo", "やり直し", "mnuRetouch", true, false, &Form1::mnuRedo_Click},
        {"mnuOpen2", "画像を開く", "mnuRetouch", true, true, &Form1::mnuOpen2_Click},
        {"mnuSept7", "-", "mnuRetouch", true, true, nullptr},
        {"mnuChange", "メニュー切り替え（特殊効果）", "mnuRetouch", true, true,
         &Form1::mnuChange_Click},
        {"mnuSept8", "-", "mnuRetouch", true, true, nullptr},
        {"mnuEnd", " 終了", "mnuRetouch", true, true, &Form1::mnuEnd_Click},
        {"mnuKijun", "設定", nullptr, false, true, nullptr},
        {"mnuWh", "色白型にする", "mnuKijun", true, false, &Form1::mnuWh_Click},
        {"mnuDefault", "通常型にする", "mnuKijun", true, true, &Form1::mnuDefault_Click},
        {"mnuSpecial", "特殊効果", nullptr, false, true, nullptr},
        {"mnuCirclelight", "円内を明るくする", "mnuSpecial", true, true,
         &Form1::mnuCirclelight_Click},
        {"mnuCirclered", "円内を赤くする", "mnuSpecial", true, true, &Form1::mnuCirclered_Click},
        {"mnuSept9", "-", "mnuSpecial", true, true, nullptr},
        {"mnuEyeblue", "黒目を青くする", "mnuSpecial", true, true, &Form1::mnuEyeblue_Click},
        {"mnuSpotlight", "スポットライト", "mnuSpecial", true, true, &Form1::mnuSpotlight_Click},
        {"mnuCircle", "円形画像作成", "mnuSpecial", true, true, &Form1::mnuCircle_Click},
        {"mnuSept10", "-", "mnuSpecial", true, true, nullptr},
        {"mnuSaveImage2", "名前を付けて保存", "mnuSpecial", true, true, &Form1::mnuSaveImage2_Click,
         kWhole},
        {"mnuback2", "原画像に戻す", "mnuSpecial", true, true, &Form1::mnuback2_Click},
        {"mnuUndo2", "元に戻す", "mnuSpecial", true, false, &Form1::mnuUndo2_Click},
        {"mnuRedo2", "やり直し", "mnuSpecial", true, false, &Form1::mnuRedo2_Click},
        {"mnuOpen4", "画像を開く", "mnuSpecial", true, true, &Form1::mnuOpen4_Click},
        {"mnuSept11", "-", "mnuSpecial", true, true, nullptr},
        {"mnuChange2", "メニュー切り替え", "mnuSpecial", true, true, &Form1::mnuChange2_Click},
        {"mnuSept12", "-", "mnuSpecial", true, true, nullptr},
        {"mnuEnd2", "終了", "mnuSpecial", true, true, &Form1::mnuEnd2_Click},
        {"mnuFullscreen", "全画面表示", nullptr, false, true, &Form1::mnuFullscreen_Click},
        {"mnuFile", "ファイル操作", nullptr, false, true, nullptr},
        {"mnuRename", "ファイル名の変更", "mnuFile", true, true, &Form1::mnuRename_Click, kWhole},
        {"mnuMove", "ファイルを 移動", "mnuFile", true, true, &Form1::mnuMove_Click, kWhole},
        {"mnuCopysave", "ファイルを コピーして保存", "mnuFile", true, true,
         &Form1::mnuCopysave_Click, kWhole},
        {"mnuSept13", "-", "mnuFile", true, true, nullptr},
        {"mnuDelete", "ファイル削除", "mnuFile", true, true, &Form1::mnuDelete_Click, kWhole},
        {"mnuSept14", "-", "mnuFile", true, true, nullptr},
        {"mnuForder", "新しい フォルダーを作成", "mnuFile", true, true, &Form1::mnuForder_Click,
         kWhole},
        {"mnuFrename", "フォルダー名の変更", "mnuFile", true, true, &Form1::mnuFrename_Click,
         kWhole},
        {"mnuHelp", "Help", nullptr, true, true, nullptr},
        {"mnuReadme", "ヘルプ", "mnuHelp", true, true, &Form1::mnuReadme_Click},
        {"mnuHelpMenu", "バージョン", "mnuHelp", true, true, &Form1::mnuHelpMenu_Click},
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
        if (!e.parent && HasChildren(table, e.name)) {
            QMenu* menu = menuBar()->addMenu(caption);
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
    (this->*entry.handler)();
}

}  // namespace sorvenal
