#include "platform/error_texts.h"

#include <QFile>
#include <cerrno>

#include "platform/file_system.h"

namespace sorvenal {

namespace {

QString Unreadable(const QString& reason) {
    return QStringLiteral("ファイルを読めません: ") + reason;
}

}  // namespace

QString ErrorText(int error) {
    switch (error) {
        case 0:
            return QString();
        case ENOENT:
            return QStringLiteral("ファイルまたはフォルダーが見つかりません");
        case EACCES:
            return QStringLiteral("アクセスが許可されていません");
        case EPERM:
            return QStringLiteral("この操作は許可されていません");
        case EROFS:
            return QStringLiteral("読み取り専用のファイルシステムです");
        case ENOSPC:
            return QStringLiteral("ディスクの空き容量が足りません");
        case EDQUOT:
            return QStringLiteral("ディスクの使用量が割り当ての上限に達しています");
        case ENAMETOOLONG:
            return QStringLiteral("名前が長すぎます");
        case EEXIST:
            return QStringLiteral("同じ名前のものが既に存在します");
        case EXDEV:
            return QStringLiteral("別のファイルシステムへは名前の変更では移せません");
        case EIO:
            return QStringLiteral("読み書きの途中でエラーが起きました");
        case ENOTDIR:
            return QStringLiteral("パスの途中にフォルダーでないものがあります");
        case EISDIR:
            return QStringLiteral("フォルダーです");
        case ENOTEMPTY:
            return QStringLiteral("フォルダーが空ではありません");
        case EBUSY:
            return QStringLiteral("使用中です");
        case ELOOP:
            return QStringLiteral("シンボリックリンクの参照が多すぎます");
        case EMLINK:
            return QStringLiteral("リンクの数が上限に達しています");
        case ETXTBSY:
            return QStringLiteral("実行中のファイルです");
        case EINVAL:
            return QStringLiteral("この操作はできません");
        case kNotRegularFile:
            return QStringLiteral("通常のファイルではありません");
        case ENOMEM:
            return QStringLiteral("メモリが足りません");
        case EFBIG:
            return QStringLiteral("ファイルが大きすぎます");
        case EMFILE:
        case ENFILE:
            return QStringLiteral("開いているファイルが多すぎます");
        case ENOTSUP:
            return QStringLiteral("このファイルシステムではできない操作です");
        case EINTR:
        case EAGAIN:
            return QStringLiteral("操作が中断されました");
        default:
            return QStringLiteral("システムエラー（番号 %1）").arg(error);
    }
}

QString PictureErrorText(const PictureFailure& failure) {
    switch (failure.kind) {
        case PictureError::None:
            return QString();
        case PictureError::CannotOpen:
            return Unreadable(ErrorText(failure.error));
        case PictureError::NotAFile:
            return Unreadable(QStringLiteral("通常のファイルではありません"));
        case PictureError::ReadFailed:
            // The decoder's device tells a failed read in Qt's words for the number.
            return Unreadable(failure.error ? qt_error_string(failure.error)
                                            : QFile().errorString());
        case PictureError::Empty:
            return QStringLiteral("ファイルが空です");
        case PictureError::NotAPicture:
            return QStringLiteral("画像ファイルではありません");
        case PictureError::Corrupt:
            return QStringLiteral("画像データが壊れています");
        case PictureError::TooLarge:
            // A library that refuses by its own limit does not say the size.
            if (failure.width <= 0) return QStringLiteral("画像が大きすぎます");
            return QStringLiteral("画像が大きすぎます (%1 × %2)")
                .arg(failure.width)
                .arg(failure.height);
        case PictureError::Truncated:
            return QStringLiteral("ファイルが途中で切れています");
        case PictureError::OutOfMemory:
            return QStringLiteral("画像を展開するメモリが足りません");
        case PictureError::Cancelled:
            return QStringLiteral("中断しました");
        case PictureError::NoHevcDecoder:
            return QStringLiteral(
                "HEVC (HEIC) のデコーダーがないため開けません。"
                "libheif-plugin-libde265 をインストールしてください");
        case PictureError::NoAv1Decoder:
            return QStringLiteral(
                "AV1 (AVIF) のデコーダーがないため開けません。"
                "libheif-plugin-dav1d をインストールしてください");
        case PictureError::NoPicture:
            return QStringLiteral("画像がありません");
        case PictureError::WriteFailed:
            return ErrorText(failure.error);
    }
    return QString();
}

}  // namespace sorvenal
