#include "preference_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {
namespace {

// Joins two path parts with exactly one separator between them.
std::string Join(std::string base, std::string part) {
  while (!base.empty() && base.back() == '/') base.pop_back();
  size_t start = part.find_first_not_of('/');
  part = start == std::string::npos ? std::string() : part.substr(start);
  return base + "/" + part;
}

std::string ConfigDirectory() {
  // A relative XDG_CONFIG_HOME is invalid and ignored, by render-helper as well.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* entry = getpwuid(getuid());
    home = entry ? entry->pw_dir : "";
  }
  return Join(home, ".config");
}

bool MakeDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
    std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

}  // namespace

std::string PreferenceFilePath(const std::string& version) {
  return Join(Join(Join(ConfigDirectory(), "Velorum"), version), "preferences.log");
}

bool CreatePreferenceFile(const std::string& version) {
  std::string path = PreferenceFilePath(version);
  if (!MakeDirectories(path.substr(0, path.rfind('/')))) return false;
  // O_EXCL: never truncate a file that is already there.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd >= 0) {
    close(fd);
    return true;
  }
  return errno == EEXIST;
}

}  // namespace shell
