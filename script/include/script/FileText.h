// The whole content of a file a page host loads as script (a page, a module), as bytes.
#ifndef SCRIPT_FILETEXT_H
#define SCRIPT_FILETEXT_H

#include <string>

namespace script {

// False, leaving content as it was, when the file cannot be opened.
bool readFileText(const std::string& path, std::string& content);

} // namespace script

#endif
