#include "SimConfigFile.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

void writeSimConfig(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary.c_str(), std::ios::trunc);
        out << text;
        if (!out)
            throw std::runtime_error("cannot write " + temporary);
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        throw std::runtime_error("cannot replace " + path);
}
