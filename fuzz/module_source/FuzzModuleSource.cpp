// Module source of a page, translated into a classic script: any text either translates or gets
// an error naming a line of the text, never reads past it, and the translation keeps every line
// where it was (one more line break: the end of the module's function).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "script/ModuleLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string source(reinterpret_cast<const char*>(data), size);
    const std::string path = "/pages/page.js";
    script::isModuleSource(source);
    std::string code, error;
    const long lines = std::count(source.begin(), source.end(), '\n') + 1;
    if (script::translateModule(source, path, code, error)) {
        const long codeLines = std::count(code.begin(), code.end(), '\n') + 1;
        FUZZ_CHECK(codeLines == lines + 1, "%ld lines became %ld", lines, codeLines);
    } else {
        FUZZ_CHECK(error.rfind(path + ":", 0) == 0, "error without the file: %s", error.c_str());
        const long line = std::atol(error.c_str() + path.size() + 1);
        FUZZ_CHECK(line >= 1 && line <= lines, "error at line %ld of %ld: %s", line, lines, error.c_str());
    }
    return 0;
}
