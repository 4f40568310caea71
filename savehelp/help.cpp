#include "savehelp/help.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/app_paths.h"
#include "platform/dialog_service.h"
#include "platform/fonts.h"

namespace sorvenal {

namespace {
const QString kVersionError = QStringLiteral("ERROR");
const QString kHelpMissing = QStringLiteral("ヘルプファイルが見つかりません: ");
const QString kHelpUnreadable = QStringLiteral("ヘルプファイルを読めませんでした: ");
const QString kReadmeCaption = QStringLiteral("ヘルプ");
}  // namespace

QString HelpFolder() {
    QString installed = QStringLiteral(SORVENAL_INSTALL_DATADIR);
    if (QFileInfo(JoinPath(installed, kReadmeFileName)).isFile()) return installed;
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                 QStringLiteral("sorvenal/") + kReadmeFileName);
    if (!found.isEmpty()) return QFileInfo(found).absolutePath();
    return QStringLiteral(":/sorvenal");
}

ShellVersionProbe PlatformShellVersionProbe() {
    return [](ShellVersionRecord&) { return false; };
}

QString GetShellVersion(int& major, int& minor, int& build, const ShellVersionProbe& probe) {
    major = 0;
    minor = 0;
    build = 0;
    ShellVersionRecord record;
    if (!probe || !probe(record)) return kVersionError;
    major = static_cast<int>(record.major);
    minor = static_cast<int>(record.minor);
    build = static_cast<int>(record.build);
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(build);
}

void OpenHelp(QWidget* owner, DialogService& dialogs, const QString& programFolder,
              const ShellVersionProbe& probe, const HelpViewers& viewers) {
    const auto openUrl = [&viewers](const QString& path) {
        const QUrl url = QUrl::fromLocalFile(path);
        return viewers.openUrl ? viewers.openUrl(url) : QDesktopServices::openUrl(url);
    };
    const QString helpFile = JoinPath(programFolder, kHelpFileName);
    int major = 0, minor = 0, build = 0;
    GetShellVersion(major, minor, build, probe);
    if (major > 4) {
        if (QFileInfo(helpFile).isFile() && openUrl(helpFile)) return;
        // No help file or nothing to show it with: the read-me says the same.
    }
    const QString readme = JoinPath(programFolder, kReadmeFileName);
    if (!QFileInfo(readme).isFile()) {
        dialogs.Message(owner, kHelpMissing + readme);
        return;
    }
    // A resource has no path the desktop's viewer could open.
    if (!readme.startsWith(QLatin1Char(':')) && openUrl(readme)) return;
    if (viewers.showText) {
        viewers.showText(owner, readme);
        return;
    }
    if (!ShowReadmeWindow(owner, readme)) dialogs.Message(owner, kHelpUnreadable + readme);
}

QDialog* ShowReadmeWindow(QWidget* owner, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return nullptr;
    const QString text = QString::fromUtf8(file.readAll());

    auto* window = new QDialog(owner);
    window->setObjectName(QStringLiteral("ReadmeWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(kReadmeCaption);
    auto* view = new QPlainTextEdit(window);
    view->setObjectName(QStringLiteral("ReadmeText"));
    view->setReadOnly(true);
    view->setFont(GothicFont(10.5));
    view->setPlainText(text);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    window->resize(720, 560);
    window->show();
    return window;
}

}  // namespace sorvenal
