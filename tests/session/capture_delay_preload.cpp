// Preloaded into the console under test (sandbox --preload): the thread that
// copies captured standard error into the console log waits a while before
// each append to the log file, as it may on a loaded machine. A line written
// to standard error just before the process exits is then still on its way.

// The fortified open() is an inline wrapper that this file could not define.
#undef _FORTIFY_SOURCE

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace {

constexpr long kDelayNanos = 400L * 1000 * 1000;

bool is_capture_append(const char* path) {
    char name[16] = {};
    if (path == nullptr || ::pthread_getname_np(::pthread_self(), name, sizeof name) != 0) {
        return false;
    }
    const char* base = std::strrchr(path, '/');
    return std::strcmp(name, "tarnwick-stderr") == 0 && base != nullptr &&
           std::strcmp(base + 1, "tarnwick-console.log") == 0;
}

void delay_capture(const char* path) {
    if (!is_capture_append(path)) return;
    const int saved = errno;
    timespec left{0, kDelayNanos};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    errno = saved;
}

using OpenFn = int (*)(const char*, int, ...);

OpenFn next_open(const char* name) {
    return reinterpret_cast<OpenFn>(::dlsym(RTLD_NEXT, name));
}

mode_t mode_argument(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(args, mode_t) : 0;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = mode_argument(flags, args);
    va_end(args);
    delay_capture(path);
    static const OpenFn real = next_open("open");
    return real(path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = mode_argument(flags, args);
    va_end(args);
    delay_capture(path);
    static const OpenFn real = next_open("open64");
    return real(path, flags, mode);
}
