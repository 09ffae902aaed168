#include "script/FileText.h"

#include <fstream>
#include <sstream>

namespace script {

bool readFileText(const std::string& path, std::string& content)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream buffer;
    buffer << file.rdbuf();
    content = buffer.str();
    return true;
}

} // namespace script
