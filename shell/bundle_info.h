#ifndef SHELL_BUNDLE_INFO_H_
#define SHELL_BUNDLE_INFO_H_

#include <string>

namespace shell {

// The bundle information file that the build installs beside render-helper: "key=value" lines,
// one of them "version=<bundle version>". render-helper reads the version from the copy in its
// own directory; the browser process reads the same copy, so that both name the same preference
// file.
extern const char kBundleInfoFileName[];

// The "version" value of the bundle information file in |directory|; "" when the file or the line
// is missing, which is what render-helper then goes by too.
std::string ReadBundleVersion(const std::string& directory);

// The directory that holds the program at |path| once symbolic links are resolved, as the
// program sees itself; the directory part of |path| as written when it cannot be resolved.
std::string ProgramDirectory(const std::string& path);

}  // namespace shell

#endif  // SHELL_BUNDLE_INFO_H_
