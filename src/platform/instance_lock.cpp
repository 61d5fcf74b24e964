#include "platform/instance_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace mivo {

namespace {

// Per-user folder for the lock files: the runtime folder when there is one.
std::string LockFolder() {
    const char* rt = std::getenv("XDG_RUNTIME_DIR");
    std::string dir = rt && *rt ? std::string(rt) + "/mivoplayer"
                                : "/tmp/mivoplayer-" + std::to_string(static_cast<unsigned>(::getuid()));
    ::mkdir(dir.c_str(), 0700);
    return dir;
}

uint64_t Fnv(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

}  // namespace

InstanceLock::InstanceLock(const std::string& data_dir) {
    std::error_code ec;
    std::string real = std::filesystem::weakly_canonical(std::filesystem::absolute(data_dir, ec), ec).string();
    if (real.empty()) real = data_dir;
    while (real.size() > 1 && real.back() == '/') real.pop_back();
    char name[40];
    std::snprintf(name, sizeof name, "/%016llx.lock", static_cast<unsigned long long>(Fnv(real)));
    path_ = LockFolder() + name;
    int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace mivo
