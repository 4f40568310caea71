#include "platform/japanese_ui.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/fonts.h"

namespace sorvenal {

void InstallJapaneseUi(QApplication& app) {
    QApplication::setFont(GothicFont(9));
    auto* translator = new QTranslator(&app);
    // Without the translations package the dialogs stay in English; nothing else changes.
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

}  // namespace sorvenal
