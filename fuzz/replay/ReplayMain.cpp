// Replays fuzz inputs through a fuzz target without libFuzzer, so that every build (gcc, ASan,
// TSan) runs the seed corpus and the crashes found so far as regression cases.
//
//   replay_<target> PATH...   each PATH is an input file or a folder of them (read in name order;
//                             a folder that does not exist is skipped)
// Fails when no input at all was found: a target that replays nothing proves nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool isDirectory(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void collect(const std::string& path, std::vector<std::string>& files)
{
    if (!isDirectory(path)) {
        if (exists(path))
            files.push_back(path);
        return;
    }
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && name[0] != '.')
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        collect(path + "/" + name, files);
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
        collect(argv[i], files);
    if (files.empty()) {
        std::fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // A copy of exactly the input's size, so that a read past its end is caught by ASan.
        std::vector<uint8_t> input(bytes.begin(), bytes.end());
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), input.size());
        LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
    }
    std::printf("replay: %zu input(s) ran cleanly\n", files.size());
    return 0;
}
