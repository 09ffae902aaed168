#include "BundleInfo.h"

#include <unistd.h>

#include <fstream>
#include <vector>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

const char* const BUNDLE_INFO_FILE_NAME = "bundle-info.txt";

namespace {

const std::string VERSION_KEY = "version=";

} // namespace

std::string ExecutableDirectory()
{
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return "";
        if (static_cast<size_t>(length) < buffer.size()) {
            std::string path(buffer.data(), static_cast<size_t>(length));
            std::string::size_type slash = path.rfind('/');
            if (slash == std::string::npos)
                return "";
            return slash == 0 ? "/" : path.substr(0, slash);
        }
        // readlink truncates silently: retry with more room until the whole path fits.
        buffer.resize(buffer.size() * 2);
    }
}

std::string ReadBundleVersion(const std::string& directory)
{
    std::ifstream file(directory + "/" + BUNDLE_INFO_FILE_NAME);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, VERSION_KEY.size(), VERSION_KEY) == 0)
            return line.substr(VERSION_KEY.size());
    }
    return "";
}

}}}} // namespace quorvex::lumora::client::renderhelper
