// A fresh directory under the system's temporary directory, removed with everything in it.
#ifndef QUORVEX_RENDERHELPER_TESTS_TEMPORARYDIRECTORY_H
#define QUORVEX_RENDERHELPER_TESTS_TEMPORARYDIRECTORY_H

#include <string>

class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const { return m_path; }

    // Writes a file below the directory, creating the directories on the way.
    std::string write(const std::string& relativePath, const std::string& content) const;

private:
    std::string m_path;
};

// The whole content of a file; "" when it cannot be read.
std::string ReadFile(const std::string& path);

#endif
