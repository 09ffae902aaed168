#include "PreferenceFile.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

const char* const CLEAR_CACHE_MARKER = ";;clearCache";

namespace {

const char* const CLEAR_CACHE_WORD = "clearCache";

// The first line is read into a 100-byte buffer that keeps room for a terminator.
const size_t FIRST_LINE_LIMIT = 99;

std::string HomeDirectory(const EnvironmentLookup& environment)
{
    if (std::optional<std::string> home = NonEmptyVariable(environment, "HOME"))
        return *home;
    struct passwd entry;
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return "";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string ReadFirstLine(std::FILE* file)
{
    std::string line;
    while (line.size() < FIRST_LINE_LIMIT) {
        int c = std::fgetc(file);
        if (c == EOF)
            break;
        line.push_back(static_cast<char>(c));
        if (c == '\n')
            break;
    }
    return line;
}

} // namespace

std::string UserConfigDirectory(const EnvironmentLookup& environment)
{
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    std::optional<std::string> configHome = NonEmptyVariable(environment, "XDG_CONFIG_HOME");
    if (configHome && configHome->front() == '/')
        return *configHome;
    return JoinPathComponents({HomeDirectory(environment), ".config"});
}

std::string JoinPathComponents(const std::vector<std::string>& components)
{
    std::string joined;
    for (const std::string& component : components) {
        if (component.empty())
            continue;
        if (!joined.empty())
            joined += '/';
        joined += component;
    }

    std::string path;
    for (char c : joined) {
        if (c == '/' && !path.empty() && path.back() == '/')
            continue;
        path += c;
    }
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string PreferenceFilePath(const std::string& configDirectory, const std::string& version)
{
    return JoinPathComponents({configDirectory, "/Velorum/", version, "/preferences.log"});
}

ClearCacheOutcome MarkClearCacheRequest(const std::string& path, std::ostream& echo)
{
    // "r+" opens for reading and writing but never creates the file: the shell owns it.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "r+"));
    if (!file)
        return ClearCacheOutcome::FILE_UNAVAILABLE;

    std::string firstLine = ReadFirstLine(file.get());
    echo << firstLine << '\n';
    echo.flush();

    if (firstLine.find(CLEAR_CACHE_WORD) != std::string::npos)
        return ClearCacheOutcome::ALREADY_REQUESTED;

    // Switching from reading to writing on one stream needs a positioning call in between.
    std::fseek(file.get(), 0, SEEK_END);
    std::fputs(CLEAR_CACHE_MARKER, file.get());
    return ClearCacheOutcome::MARKER_APPENDED;
}

}}}} // namespace quorvex::lumora::client::renderhelper
