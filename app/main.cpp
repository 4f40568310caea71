// sorvenal [folder-or-picture]
#include <QApplication>
#include <QTimer>

#include "app/main_window.h"
#include "app/start_folder.h"
#include "platform/file_list.h"
#include "platform/japanese_ui.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvenal"));
    sorvenal::InstallJapaneseUi(app);

    const QStringList args = QApplication::arguments();
    const sorvenal::StartArgument start =
        sorvenal::ParseStartArgument(args.size() > 1 ? args.at(1) : QString());

    sorvenal::Form1 form(nullptr, nullptr, start.folder);
    form.show();
    if (!start.pictureName.isEmpty()) {
        form.mnuOpen_Click();
        for (int i = 0; i < form.File1->ListCount(); ++i) {
            if (form.File1->List(i) == start.pictureName) {
                form.File1->SetListIndex(i);
                break;
            }
        }
    }
    // For start-up measurements: quit as soon as the first window is on screen.
    if (qEnvironmentVariableIsSet("SORVENAL_QUIT_AFTER_SHOW"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
