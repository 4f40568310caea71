#pragma once

class QApplication;

namespace sorvenal {

// Japanese Gothic font for the whole program, and Qt's own Japanese texts for the standard
// dialogs (file dialog, message-box buttons), whatever the desktop's language is.
void InstallJapaneseUi(QApplication& app);

}  // namespace sorvenal
