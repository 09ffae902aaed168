// Changes of one file (written, replaced, removed), through inotify on its folder, so that a file
// that does not exist yet or is replaced by a rename is followed too. Other files changing in that
// folder wake the host for nothing, so a description file is best kept in a folder of its own.
#ifndef NATIVE_HOST_FILEWATCH_H
#define NATIVE_HOST_FILEWATCH_H

#include <string>

#include "DeviceWatch.h"

namespace native_host {

class FileWatch : public DeviceWatch {
public:
    // Null when the file's folder cannot be watched.
    static std::unique_ptr<FileWatch> open(const std::string& path);
    ~FileWatch() override;

    int fd() const override { return fd_; }
    bool drain() override;

private:
    FileWatch() = default;

    int fd_ = -1;
    std::string name_;
};

} // namespace native_host

#endif
