// Writes the description file that the simulated backend reads at every enumeration, so a test
// plugs and unplugs simulated remotes.
#ifndef HIDLET_TESTS_SIMCONFIGFILE_H
#define HIDLET_TESTS_SIMCONFIGFILE_H

#include <string>

// Replaces the file's content in one step (a reader never sees it half-written).
void writeSimConfig(const std::string& path, const std::string& text);

#endif
