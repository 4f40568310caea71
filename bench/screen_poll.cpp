// Starts a command and reports, in milliseconds from its start, when the screen first shows a
// picture in the launch photos' colour (see bench/launch_photo.cpp) over enough pixels. The
// same test for every program: it looks at the screen only, never at the program.
//   screen_poll [--min-pixels N] [--timeout-ms T] [--interval-us U] -- COMMAND [ARGS...]
// Prints "<ms> <polls>" on standard output and ends the command with SIGTERM; exit status 1
// when the picture never shows, 2 on a usage or X error.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    long minPixels = 8000;  // screen pixels, half the browse state's preview of a 3:2 photo
    long timeoutMs = 30000;
    long intervalUs = 2000;
    std::vector<char*> command;
};

// The launch photos are magenta throughout, in every shade; no desktop, frame or widget is.
bool PhotoColour(unsigned r, unsigned g, unsigned b) {
    return r >= 96 && b >= 96 && r >= g + 64 && b >= g + 64;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) return false;
        const long value = std::strtol(argv[++i], nullptr, 10);
        if (value <= 0) return false;
        if (arg == "--min-pixels")
            options.minPixels = value;
        else if (arg == "--timeout-ms")
            options.timeoutMs = value;
        else if (arg == "--interval-us")
            options.intervalUs = value;
        else
            return false;
    }
    for (; i < argc; ++i) options.command.push_back(argv[i]);
    options.command.push_back(nullptr);
    return options.command.size() > 1;
}

// The whole root window through shared memory: one copy in the server, none through the socket.
class RootGrabber {
public:
    explicit RootGrabber(Display* display) : display_(display) {
        const int screen = DefaultScreen(display);
        root_ = RootWindow(display, screen);
        Visual* visual = DefaultVisual(display, screen);
        const int depth = DefaultDepth(display, screen);
        width_ = DisplayWidth(display, screen);
        height_ = DisplayHeight(display, screen);
        if (!XShmQueryExtension(display)) return;
        image_ = XShmCreateImage(display, visual, depth, ZPixmap, nullptr, &shm_, width_, height_);
        if (!image_) return;
        const auto bytes = static_cast<size_t>(image_->bytes_per_line) * image_->height;
        shm_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (shm_.shmid < 0) return;
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        attached_ = XShmAttach(display, &shm_) != 0;
        XSync(display, False);
        shmctl(shm_.shmid, IPC_RMID, nullptr);  // gone once both sides detach
    }
    ~RootGrabber() {
        if (attached_) XShmDetach(display_, &shm_);
        if (image_) {
            image_->data = nullptr;  // the shared segment, not the image's to free
            XDestroyImage(image_);
        }
        if (shm_.shmaddr) shmdt(shm_.shmaddr);
    }
    RootGrabber(const RootGrabber&) = delete;
    RootGrabber& operator=(const RootGrabber&) = delete;

    bool ok() const { return attached_ && image_->bits_per_pixel == 32; }

    // Pixels in the photo's colour, every second one in each direction counted as four.
    long PhotoPixels() {
        if (!XShmGetImage(display_, root_, image_, 0, 0, AllPlanes)) return -1;
        long count = 0;
        const unsigned long redMask = image_->red_mask;
        const unsigned long greenMask = image_->green_mask;
        const unsigned long blueMask = image_->blue_mask;
        const int redShift = __builtin_ctzl(redMask);
        const int greenShift = __builtin_ctzl(greenMask);
        const int blueShift = __builtin_ctzl(blueMask);
        for (int y = 0; y < height_; y += 2) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                image_->data + static_cast<ptrdiff_t>(y) * image_->bytes_per_line);
            for (int x = 0; x < width_; x += 2) {
                const uint32_t p = row[x];
                if (PhotoColour((p & redMask) >> redShift, (p & greenMask) >> greenShift,
                                (p & blueMask) >> blueShift))
                    count += 4;
            }
        }
        return count;
    }

private:
    Display* display_;
    Window root_ = 0;
    int width_ = 0;
    int height_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
    bool attached_ = false;
};

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(
            "usage: screen_poll [--min-pixels N] [--timeout-ms T] [--interval-us U] -- COMMAND "
            "[ARGS...]\n",
            stderr);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("screen_poll: cannot open the display\n", stderr);
        return 2;
    }
    RootGrabber grabber(display);
    if (!grabber.ok()) {
        std::fputs("screen_poll: no shared-memory grab of a 32-bit screen\n", stderr);
        return 2;
    }
    // A picture left over from the run before would be found at once.
    const Clock::time_point settle = Clock::now();
    while (grabber.PhotoPixels() >= options.minPixels) {
        if (MsSince(settle) > 5000) {
            std::fputs("screen_poll: the screen already shows the photo\n", stderr);
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        execvp(options.command[0], options.command.data());
        std::fprintf(stderr, "screen_poll: cannot run %s: %s\n", options.command[0],
                     std::strerror(errno));
        _exit(127);
    }
    long polls = 0;
    double shownAt = -1;
    bool ended = false;
    while (MsSince(start) < static_cast<double>(options.timeoutMs)) {
        ++polls;
        if (grabber.PhotoPixels() >= options.minPixels) {
            shownAt = MsSince(start);
            break;
        }
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {  // ended without showing it
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(options.intervalUs));
    }
    if (!ended) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    if (shownAt < 0) {
        std::fprintf(stderr, "screen_poll: the photo never showed (%ld polls)\n", polls);
        return 1;
    }
    std::printf("%.1f %ld\n", shownAt, polls);
    return 0;  // the display closes with the process, after the grabber's detach
}
