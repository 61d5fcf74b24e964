#include "data/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/error.hpp"

namespace mivo {

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    std::filesystem::path target(path);
    std::string dir = target.parent_path().empty() ? "." : target.parent_path().string();
    std::string tmpl = dir + "/." + target.filename().string() + ".XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) throw Error(path + ": " + std::strerror(errno));
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        throw Error(path + ": " + std::strerror(err));
    };
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) fail(w < 0 ? errno : EIO);
        done += static_cast<size_t>(w);
    }
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) fail(errno);
    if (::close(fd) != 0) {
        ::unlink(tmpl.c_str());
        throw Error(path + ": " + std::strerror(errno));
    }
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        throw Error(path + ": " + std::strerror(err));
    }
    // Make the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

}  // namespace mivo
