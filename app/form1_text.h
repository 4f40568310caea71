#pragma once
// Every text and colour of the main window that the user sees, in one place.
#include <QColor>
#include <QString>

#include "platform/shared_texts.h"  // kSetCircleText, also the caption in effects mode

namespace sorvenal {

inline const QString kProgramCaption = QStringLiteral("sorvenal");
inline const QString kGlanceBadgeText = QStringLiteral("元画像");
inline const QString kBusyCaption = QStringLiteral("------変換中-------");
inline const QString kSkinClickTip = QStringLiteral("　肌上でクリックすると、最適化されます");

inline const QString kLabel1Text = QStringLiteral("ソルベナル");
inline const QString kLabel2Text = QStringLiteral("肌上でクリック");
inline const QString kLabel3Text = QStringLiteral("&");
inline const QString kLabel3HoverText = QStringLiteral("And");
inline const QString kLabel4Text = QStringLiteral("全自動レタッチ");

inline const QString kCheck1Text = QStringLiteral("全画面表示はスクリーンに合わせ縮小");
inline const QString kLabel6Text =
    QStringLiteral("文字入力可能キーで　全画面表示 ⇔ 全画面表示解除 の切り替えができます。");
inline const QString kLabel7Text = QStringLiteral("連続サムネイル表示");
inline const QString kOption1Text = QStringLiteral("最初から");
inline const QString kOption2Text = QStringLiteral("選択ファイルからスタート");
inline const QString kLabel8Text = QStringLiteral(" Start ");
inline const QString kLabel9Text = QStringLiteral(" Stop ");
inline const QString kLabel10Text = QStringLiteral("文字入力可能キーでも 連続サムネイル表示を停止");

inline const QString kSizeCaptionPrefix = QStringLiteral("    W X H = ");
inline const QString kUnreadablePicture = QStringLiteral("    この画像は開けません");
// JPEG under every extension cameras and phones write, PNG and WebP, and what phones save now
// (HEIC, HEIF, AVIF, JPEG XL).
inline const QString kPicturePattern = QStringLiteral(
    "*.bmp;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.png;*.webp;*.heic;*.heif;*.hif;*.avif;*.jxl");
inline QString FolderRefusedMessage(const QString& path) {
    return QStringLiteral("フォルダーを開けません: ") + path;
}
// The shown folder went away (deleted, unmounted, its permissions taken); `parent` is shown now.
inline QString FolderGoneMessage(const QString& folder, const QString& parent) {
    return QStringLiteral("フォルダーが見つからなくなったため、上のフォルダーに移りました: ") +
           folder + QStringLiteral(" → ") + parent;
}
// "    W X H = 640 X 480"
inline QString SizeCaption(int width, int height) {
    return kSizeCaptionPrefix + QString::number(width) + QStringLiteral(" X ") +
           QString::number(height);
}

inline const QString kDiscardQuestion =
    QStringLiteral("保存されていない変更があります。破棄しますか");
inline const QString kRecoverQuestion =
    QStringLiteral("前回保存されなかったレタッチがあります。復元しますか");

inline const QString kJournalDamaged = QStringLiteral(
    "前回保存されなかったレタッチの記録が壊れているため、復元できません。記録は削除しました。");
inline QString JournalSourceChanged(const QString& path) {
    return QStringLiteral(
               "前回保存されなかったレタッチの元の画像が変更されたか、なくなっているため、"
               "復元できません。記録は削除しました。\n") +
           path;
}
inline QString JournalSourceUnreadable(const QString& path) {
    return QStringLiteral("前回保存されなかったレタッチの元の画像を開けません。\n") + path;
}

inline const QColor kFormBackColor(128, 128, 255);
inline const QColor kBrowseBackColor(192, 192, 192);
inline const QColor kPicture2BackColor(80, 90, 100);
inline const QColor kLabelIdleColor(192, 255, 255);
inline const QColor kLabelHoverColor(255, 0, 0);
inline const QColor kBackdropColor(0, 0, 255);

}  // namespace sorvenal
