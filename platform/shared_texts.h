#pragma once
// Texts that more than one window shows, each written once here.
#include <QString>

namespace sorvenal {

// An effect chosen with no circle drawn: the message, and the window's caption in effects mode.
inline const QString kSetCircleText = QStringLiteral("円を設定してください");
// After a name that is already taken: by a rename, move, copy, new folder or saved bitmap.
inline const QString kExistsSuffix = QStringLiteral("　は既に存在します");

}  // namespace sorvenal
