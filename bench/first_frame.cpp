// The start-up of a program as a user sees it on an X server: from the moment it is
// launched until its first window is on the screen with its content drawn, that is until
// a pixel of pure yellow (the main window's titles) shows in it. Each run starts a new
// process, then ends it.
//   xvfb-run -a -s "-screen 0 1280x1024x24" geolago-first-frame [RUNS] PROGRAM [ARGS...]
// Prints each run in milliseconds, then the median.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Whether `window` shows a pixel of pure yellow.
bool showsYellow(Display* display, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool found = false;
    for (int y = 0; y < image->height && !found; y += 2)
        for (int x = 0; x < image->width && !found; ++x)
            found = XGetPixel(image, x, y) == 0xFFFF00;
    XDestroyImage(image);
    return found;
}

// One launch: the milliseconds until the first window mapped on the root shows yellow,
// or a negative value after 20 s.
double oneRun(Display* display, std::vector<char*>& argv)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);  // forget the events of earlier runs

    pid_t pid = 0;
    const auto start = Clock::now();
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        std::perror("posix_spawnp");
        std::exit(2);
    }
    double elapsed = -1.0;
    Window shown = 0;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !shown)
                shown = event.xmap.window;
        }
        if (shown) {
            XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
            const bool yellow = showsYellow(display, shown);
            XSetErrorHandler(previous);
            if (yellow) {
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    XSelectInput(display, root, NoEventMask);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    return elapsed;
}

}  // namespace

int main(int argc, char** argv)
{
    int first = 1;
    int runs = 10;
    if (argc > 2 && std::string(argv[1]).find_first_not_of("0123456789") == std::string::npos) {
        runs = std::atoi(argv[1]);
        first = 2;
    }
    if (argc <= first) {
        std::fprintf(stderr, "usage: geolago-first-frame [RUNS] PROGRAM [ARGS...]\n");
        return 2;
    }
    std::vector<char*> programArgs(argv + first, argv + argc);
    programArgs.push_back(nullptr);

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = oneRun(display, programArgs);
        if (ms < 0) {
            std::fprintf(stderr, "run %d: no window showed yellow within 20 s\n", i + 1);
            return 1;
        }
        std::printf("run %d: %.1f ms\n", i + 1, ms);
        times.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::sort(times.begin(), times.end());
    std::printf("median: %.1f ms\n", times[times.size() / 2]);
    XCloseDisplay(display);
    return 0;
}
