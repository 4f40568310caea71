// sorvenal [--help] [--version] [folder-or-picture]
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "app/main_window.h"
#include "app/start_folder.h"
#include "platform/japanese_ui.h"
#include "sorvenal/version.h"

namespace {

constexpr int kExitUsage = 2;

const char kUsage[] =
    "使い方: sorvenal [オプション] [フォルダーまたは画像]\n"
    "写真を見てワンクリックでレタッチするビューアーです。\n"
    "フォルダーを渡すとその中の画像を一覧し、画像を渡すとその画像を選んで開きます。\n"
    "\n"
    "オプション:\n"
    "  -h, --help     この説明を表示して終わります\n"
    "  -v, --version  バージョンを表示して終わります\n";

struct CommandLine {
    bool help = false;
    bool version = false;
    bool quitAfterShow = false;
    sorvenal::NativePath start;  // the argument's bytes, whatever the locale
    QString error;               // one line, empty when the command line is sound
};

// The option as it was typed ("-x.jpg", "--bogus"), without a value after "=".
QString TypedOption(const QStringList& args, const QString& name) {
    for (const QString& arg : args) {
        if (arg == QLatin1String("--")) break;
        QString typed = arg.section(QLatin1Char('='), 0, 0);
        if (typed == QLatin1Char('-') + name || typed == QLatin1String("--") + name) return typed;
    }
    return QLatin1String(name.size() == 1 ? "-" : "--") + name;
}

// Runs before QApplication exists, so --help, --version and a bad option need no display.
// `args` are the bytes as Latin-1, so that every argument comes back whole with toLatin1().
CommandLine ParseCommandLine(const QStringList& args) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    // For start-up measurements and tests: quit once the start is painted (see QuitAfterPaint).
    QCommandLineOption quitAfterShow(QStringLiteral("quit-after-show"));
    quitAfterShow.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({help, version, quitAfterShow});
    // QApplication takes its own options out later; accept them here so they still work.
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
          "style", "stylesheet", "session", "qwindowgeometry", "qwindowtitle", "qwindowicon"}) {
        QCommandLineOption qt(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }
    for (const char* name : {"reverse", "nograb", "dograb", "sync"}) {
        QCommandLineOption qt(QString::fromLatin1(name));
        qt.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qt);
    }

    CommandLine line;
    if (!parser.parse(args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty()) {
            line.error = QStringLiteral("オプションの値が正しくありません");
        } else {
            const QString typed = TypedOption(args, unknown.first());
            line.error =
                QStringLiteral("不明なオプションです: ") + QString::fromLocal8Bit(typed.toLatin1());
        }
        return line;
    }
    line.help = parser.isSet(help);
    line.version = parser.isSet(version);
    line.quitAfterShow = parser.isSet(quitAfterShow);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        line.error = QStringLiteral("フォルダーまたは画像は一つだけ渡してください");
    else if (!positional.isEmpty())
        line.start = positional.first().toLatin1();
    return line;
}

// Ends the program when its widget has been painted for the first time.
class QuitAfterPaint : public QObject {
public:
    explicit QuitAfterPaint(QWidget* widget) : QObject(widget), widget_(widget) {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_ || event->type() != QEvent::Paint || done_) return false;
        done_ = true;
        // Before the work the start leaves for after its first paint (lists, full decode) runs:
        // the loop ends once this paint has been flushed.
        QCoreApplication::quit();
        return false;
    }

private:
    QWidget* widget_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QStringList rawArgs;
    for (int i = 0; i < argc; ++i) rawArgs << QString::fromLatin1(argv[i]);
    const CommandLine line = ParseCommandLine(rawArgs);
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "sorvenal: %s（使い方は --help）\n", line.error.toUtf8().constData());
        return kExitUsage;
    }
    if (line.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (line.version) {
        std::fputs("sorvenal " SORVENAL_VERSION "\n", stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorvenal"));
    QApplication::setApplicationVersion(QStringLiteral(SORVENAL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(SORVENAL_DESKTOP_ID));
    sorvenal::InstallJapaneseUi(app);

    const sorvenal::StartArgument start = sorvenal::ParseStartArgument(line.start);
    sorvenal::Form1Options options;
    if (!start.pictureName.isEmpty())
        options.startPicture = sorvenal::JoinNative(start.folder, start.pictureName);
    sorvenal::Form1 form(nullptr, nullptr, start.folder, std::move(options));
    form.show();
    if (!start.pictureName.isEmpty()) form.StartWithPicture(start.pictureName);
    // Once the window is up, so the question has it behind.
    if (!line.quitAfterShow) form.WhenStarted([&form] { form.OfferRecovery(); });
    if (line.quitAfterShow) {
        // The start picture's preview when one shows, else the window.
        auto* preview = form.findChild<QWidget*>(QStringLiteral("Image1"));
        new QuitAfterPaint(preview && preview->isVisible() ? preview : &form);
    }
    return app.exec();
}
