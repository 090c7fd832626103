// Reports every top-level window that is mapped or unmapped on the display, with the time on
// the monotonic clock, so start-up and timer measurements time X events themselves rather than
// the polling of a script. Optionally starts a command first and reports when it was started
// and when it ended.
//
//   bench_startup_xwatch [-- COMMAND [ARG...]]
//
// One line per event on standard output:
//   NANOSECONDS start PID           the command was started (just before fork)
//   NANOSECONDS map|unmap WINDOW NAME
//   NANOSECONDS exit PID STATUS     the command ended; the watcher then ends too

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

namespace {

long long now() {
    struct timespec ts = {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// The window's title as the program set it: _NET_WM_NAME (UTF-8), else WM_NAME.
std::string windowName(Display* display, Window window) {
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        name.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return name;
    }
    char* plain = nullptr;
    if (XFetchName(display, window, &plain) != 0 && plain != nullptr) {
        name = plain;
        XFree(plain);
    }
    return name;
}

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}  // a window may go while we look at it

pid_t startCommand(char** argv) {
    long long started = now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    if (pid > 0) {
        std::printf("%lld start %ld\n", started, static_cast<long>(pid));
    }
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    pid_t child = -1;
    if (argc > 2 && std::string(argv[1]) == "--") {
        child = startCommand(argv + 2);
        if (child < 0) {
            std::perror("fork");
            return 1;
        }
    }

    std::map<Window, std::string> names;
    struct pollfd fd = {ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            long long at = now();
            if (event.type == MapNotify) {
                Window w = event.xmap.window;
                names[w] = windowName(display, w);
                std::printf("%lld map 0x%lx %s\n", at, w, names[w].c_str());
            } else if (event.type == UnmapNotify) {
                Window w = event.xunmap.window;
                std::printf("%lld unmap 0x%lx %s\n", at, w, names[w].c_str());
            }
        }
        if (child > 0) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child) {
                std::printf("%lld exit %ld %d\n", now(), static_cast<long>(child),
                            WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
                return 0;
            }
        }
        poll(&fd, 1, 20);
    }
}
