#include "platform/host.h"

#include <unistd.h>

#include <array>
#include <cstring>

#if defined(__FreeBSD__)
#include <sys/cpuset.h>
#include <sys/param.h>
#elif defined(__linux__)
#include <sched.h>
#endif

namespace tarnwick::platform {

std::optional<std::string> host_name_bytes() {
    std::array<char, 256> buf{};
    if (::gethostname(buf.data(), buf.size()) != 0) return std::nullopt;
    const void* nul = std::memchr(buf.data(), '\0', buf.size());
    const std::size_t length =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - buf.data())
                       : buf.size();
    return std::string(buf.data(), length);
}

unsigned available_processors() {
#if defined(__FreeBSD__)
    cpuset_t set;
    CPU_ZERO(&set);
    if (::cpuset_getaffinity(CPU_LEVEL_WHICH, CPU_WHICH_PID, -1, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) return static_cast<unsigned>(count);
    }
#elif defined(__linux__)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) return static_cast<unsigned>(count);
    }
#endif
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<unsigned>(online) : 1u;
}

}  // namespace tarnwick::platform
