// Preloaded into a Qt program (LD_PRELOAD) to end it the moment its first window's map request
// leaves for the X server: at the first flush or round trip after xcb_map_window. What the
// program did up to there is exactly what stands between exec and its window on screen, so
// under valgrind the instruction count of a run is a start-up cost that does not move with the
// machine's load. It prints one line to stderr first:
//   stop-at-map <how it left> cpu-ns <process CPU time> wall-ns <CLOCK_MONOTONIC>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

extern "C" {
struct xcb_connection_t;
struct xcb_void_cookie_t {
    unsigned int sequence;
};
struct xcb_generic_error_t;
}

namespace {

std::atomic<bool> mapped{false};

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

std::int64_t ns(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec;
}

void stopIfMapped(const char* how) {
    if (!mapped.load()) {
        return;
    }
    std::fprintf(stderr, "stop-at-map %s cpu-ns %lld wall-ns %lld\n", how,
                 static_cast<long long>(ns(CLOCK_PROCESS_CPUTIME_ID)),
                 static_cast<long long>(ns(CLOCK_MONOTONIC)));
    std::fflush(stderr);
    _exit(0);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) xcb_void_cookie_t xcb_map_window(xcb_connection_t* c,
                                                                        std::uint32_t window) {
    static auto next =
        real<xcb_void_cookie_t (*)(xcb_connection_t*, std::uint32_t)>("xcb_map_window");
    xcb_void_cookie_t cookie = next(c, window);
    mapped.store(true);
    return cookie;
}

__attribute__((visibility("default"))) int xcb_flush(xcb_connection_t* c) {
    stopIfMapped("flush");
    static auto next = real<int (*)(xcb_connection_t*)>("xcb_flush");
    return next(c);
}

__attribute__((visibility("default"))) void* xcb_wait_for_reply(xcb_connection_t* c,
                                                                unsigned int request,
                                                                xcb_generic_error_t** e) {
    stopIfMapped("round-trip");
    static auto next = real<void* (*)(xcb_connection_t*, unsigned int, xcb_generic_error_t**)>(
        "xcb_wait_for_reply");
    return next(c, request, e);
}

__attribute__((visibility("default"))) void* xcb_wait_for_reply64(xcb_connection_t* c,
                                                                  std::uint64_t request,
                                                                  xcb_generic_error_t** e) {
    stopIfMapped("round-trip");
    static auto next = real<void* (*)(xcb_connection_t*, std::uint64_t, xcb_generic_error_t**)>(
        "xcb_wait_for_reply64");
    return next(c, request, e);
}

}  // extern "C"
