// page-runner: runs a page script against the browser plug-in in a small host browser.
#include <iostream>
#include <string>
#include <vector>

#include "PageRunner.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (!arguments.empty() && (arguments[0] == "-h" || arguments[0] == "--help")) {
        std::cout << page_runner::usage();
        return 0;
    }
    page_runner::Options options;
    std::string error;
    if (!page_runner::parseOptions(arguments, options, error)) {
        std::cerr << "page-runner: " << error << '\n' << page_runner::usage();
        return page_runner::EXIT_USAGE;
    }
    return page_runner::runPage(options, std::cout, std::cerr);
}
