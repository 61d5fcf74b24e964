#pragma once
// One player per data folder: an exclusive lock on a file named after the
// folder's real path, held for the life of the object.
#include <string>

namespace mivo {

class InstanceLock {
public:
    // Tries to take the lock; Held() tells whether it was had.
    explicit InstanceLock(const std::string& data_dir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    const std::string& LockPath() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

}  // namespace mivo
