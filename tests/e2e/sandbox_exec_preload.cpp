// Preloaded by tests/e2e/sandbox into the console: the programs it starts
// (the fake commands, the login shells) get its environment without
// PAM_WRAPPER. With it set, pam_wrapper sets itself up in every new process
// under a shared /tmp/pam.<letter> folder, and processes that start together
// race for those folders: now and then one of them exits with status 1
// before it runs, and a fake command loses its output. Only the console
// signs in through PAM; nothing it starts needs the wrapper.

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

using Execve = int (*)(const char*, char* const[], char* const[]);

// Looked up at load time: the lookup is not async-signal-safe, and execve
// runs in a forked child.
Execve real_execve = nullptr;

__attribute__((constructor)) void find_real_execve() {
    real_execve = reinterpret_cast<Execve>(::dlsym(RTLD_NEXT, "execve"));
}

constexpr int kMaxEntries = 1024;
constexpr char kName[] = "PAM_WRAPPER=";

}  // namespace

extern "C" int execve(const char* path, char* const argv[], char* const envp[]) noexcept {
    if (real_execve == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    char* kept[kMaxEntries + 1];
    int n = 0;
    for (int i = 0; envp != nullptr && envp[i] != nullptr; ++i) {
        if (n == kMaxEntries) return real_execve(path, argv, envp);  // too many to copy
        if (std::strncmp(envp[i], kName, sizeof kName - 1) != 0) kept[n++] = envp[i];
    }
    kept[n] = nullptr;
    return real_execve(path, argv, kept);
}
