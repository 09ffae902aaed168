// The preference file that the render helper shares with the shell's browser process.
//
// The file lives at <user configuration directory>/Velorum/<bundle version>/preferences.log.
// The shell creates and reads it; the helper only adds the cache-clearing marker to it.
#ifndef QUORVEX_RENDERHELPER_PREFERENCEFILE_H
#define QUORVEX_RENDERHELPER_PREFERENCEFILE_H

#include "Environment.h"

#include <ostream>
#include <string>
#include <vector>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The marker that asks the shell to clear its cache.
extern const char* const CLEAR_CACHE_MARKER;

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config (the password database's
// home directory when HOME is unset).
std::string UserConfigDirectory(const EnvironmentLookup& environment);

// Joins path components so that exactly one '/' stands between them, whatever slashes the
// components carry; empty components add nothing. A leading '/' of the first is kept.
std::string JoinPathComponents(const std::vector<std::string>& components);

// <configDirectory>/Velorum/<version>/preferences.log
std::string PreferenceFilePath(const std::string& configDirectory, const std::string& version);

enum class ClearCacheOutcome {
    FILE_UNAVAILABLE,   // the file is missing or cannot be opened for update: nothing done
    ALREADY_REQUESTED,  // the first line already mentions clearCache: nothing written
    MARKER_APPENDED,    // ";;clearCache" was added at the end of the file
};

// Records the cache-clearing request in the preference file at path. Reads the first line (at
// most 99 bytes, up to and including the first newline), echoes it to echo followed by a newline,
// and appends ";;clearCache" at the end of the file unless that line contains "clearCache".
// Never creates the file.
ClearCacheOutcome MarkClearCacheRequest(const std::string& path, std::ostream& echo);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
