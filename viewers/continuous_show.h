#pragma once
// The continuous thumbnail show: selects each entry of the file list in turn (which displays
// it as a click would) and holds it for one second. It runs inside the main window's event
// handling; between pictures pending events run, which is how Stop and the other stop actions
// reach it through the shared flag ShowCancel.
#include <QPointer>
#include <functional>

class QLabel;
class QRadioButton;

namespace sorvenal {

class FileList;

// The pause between pictures (milliseconds). Returns false when it was cut short because the
// program is quitting.
using ShowPause = std::function<bool(int ms)>;

// What the show works on; the main window fills it.
struct ShowContext {
    FileList* File1 = nullptr;
    QLabel* Label8 = nullptr;                   // " Start ": red while a show runs
    QRadioButton* Option1 = nullptr;            // "最初から": start at entry 0
    bool* ShowCancel = nullptr;                 // true: no show runs, or a stop was requested
    std::function<void()> FolderFinish;         // the folder list's finishing call
    std::function<void()> ResetWorkingPicture;  // Picture2 := Picture1
    std::function<bool()> Ending;               // true once the program is ending
    ShowPause pause;                            // empty: the program's pause
};

inline constexpr int kShowPauseMs = 1000;

// Label8_Click: runs a show to its end.
void RunShow(const ShowContext& context);
// Label9_Click: requests the stop.
void StopShow(const ShowContext& context);

// The program's pause: a local loop that keeps the window painting but takes no user input
// (input made meanwhile waits for the next pending-events step). It lasts the full time on a
// monotonic clock, never less.
bool BlockingPause(int ms);

}  // namespace sorvenal
