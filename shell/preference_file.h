#ifndef SHELL_PREFERENCE_FILE_H_
#define SHELL_PREFERENCE_FILE_H_

#include <string>

namespace shell {

// The preference file the browser process shares with render-helper:
// $XDG_CONFIG_HOME when it is an absolute path (else ~/.config), then
// Velorum/<version>/preferences.log.
std::string PreferenceFilePath(const std::string& version);

// Creates the preference file, and the folders above it, when it does not exist yet; an
// existing file is left as it is. Returns false when it could not be created.
bool CreatePreferenceFile(const std::string& version);

}  // namespace shell

#endif  // SHELL_PREFERENCE_FILE_H_
