// The bundle information file that the build installs beside the render helper.
//
// It plays the part of an application bundle's information dictionary: a text file of
// "key=value" lines, one of which is "version=<the project version>". The helper finds it in the
// directory of its own executable.
#ifndef QUORVEX_RENDERHELPER_BUNDLEINFO_H
#define QUORVEX_RENDERHELPER_BUNDLEINFO_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The file's name; the build writes it into the programs' output directory.
extern const char* const BUNDLE_INFO_FILE_NAME;

// The directory holding the running executable (from /proc/self/exe), or "" when unknown.
std::string ExecutableDirectory();

// The "version" value of the bundle information file in the given directory; "" when the file
// or the key is missing.
std::string ReadBundleVersion(const std::string& directory);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
