#include "bundle_info.h"

#include <climits>
#include <cstdlib>
#include <fstream>

namespace shell {

const char kBundleInfoFileName[] = "bundle-info.txt";

std::string ReadBundleVersion(const std::string& directory) {
  static const std::string kVersionKey = "version=";
  std::ifstream file(directory + "/" + kBundleInfoFileName);
  std::string line;
  // The first version line counts; a line ending in CR LF counts without the CR.
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, kVersionKey.size(), kVersionKey) == 0)
      return line.substr(kVersionKey.size());
  }
  return "";
}

std::string ProgramDirectory(const std::string& path) {
  // render-helper finds its copy through /proc/self/exe, which names the resolved file.
  char resolved[PATH_MAX];
  std::string program = realpath(path.c_str(), resolved) ? std::string(resolved) : path;
  size_t slash = program.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : program.substr(0, slash);
}

}  // namespace shell
