#pragma once
// "ヘルプ": the help file when the shell library is recent enough, otherwise the read-me.
#include <QString>
#include <cstdint>
#include <functional>

class QDialog;
class QUrl;
class QWidget;

namespace sorvenal {

class DialogService;

struct ShellVersionRecord {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
};
// Fills the record and returns true, or returns false when no version can be had.
using ShellVersionProbe = std::function<bool(ShellVersionRecord&)>;

// This platform has no shell library to ask: the probe always fails.
ShellVersionProbe PlatformShellVersionProbe();

// "major.minor.build", or "ERROR" with all three outputs 0 when the probe fails.
QString GetShellVersion(int& major, int& minor, int& build,
                        const ShellVersionProbe& probe = PlatformShellVersionProbe());

inline const QString kHelpFileName = QStringLiteral("sorvenal.chm");
inline const QString kReadmeFileName = QStringLiteral("readme.txt");

// Where the installed read-me is (share/sorvenal under the install prefix, then the XDG data
// folders); ":/sorvenal", the copy built into the program, when none is installed.
QString HelpFolder();

// How the help is shown; tests replace both.
struct HelpViewers {
    std::function<bool(const QUrl&)> openUrl;  // empty: the desktop's default viewer
    std::function<void(QWidget* owner, const QString& path)> showText;  // empty: ShowReadmeWindow
};

// Major version above 4: the help file in the program folder; otherwise the read-me there, in
// the desktop's viewer, or in a read-only window of our own when the desktop has none.
void OpenHelp(QWidget* owner, DialogService& dialogs, const QString& programFolder,
              const ShellVersionProbe& probe = PlatformShellVersionProbe(),
              const HelpViewers& viewers = {});

// A non-modal read-only window with the text file; deletes itself when closed. Returns nullptr
// when the file cannot be read.
QDialog* ShowReadmeWindow(QWidget* owner, const QString& path);

}  // namespace sorvenal
