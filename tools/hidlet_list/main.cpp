// hidlet-list: the HID interfaces that libHidlet's Linux backend sees, with what it reads of each
// (identity, location, report sizes) and whether it would hand the interface out as a remote.
// The first thing to run when a remote is not found.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "hidlet/Hidlets.h"
#include "linux/CLinuxHidIoPipe.h"
#include "linux/HidrawSysfs.h"

namespace hidlet = quorvex::lumora::client::corvane::hidlet;

namespace {

const char kUsage[] =
    "usage: hidlet-list [VID:PID ...]\n"
    "       hidlet-list --send HEX VID:PID [VID:PID ...]\n"
    "\n"
    "Lists every hidraw interface with its identity, location (the device path the page sees),\n"
    "report sizes and whether it is a remote: usage page 0xFF00 and usage 1 in its report\n"
    "descriptor, and, when VID:PID pairs (hexadecimal) are given, one of those pairs. With pairs\n"
    "it then lists what the library itself hands out for them.\n"
    "  --send HEX  also send each remote the library lists one output report (HEX, zero-padded;\n"
    "              with numbered reports its first byte is the report id) and print the input\n"
    "              reports that come back until none comes for a second; needs VID:PID\n"
    "HIDLET_SYSFS_ROOT and HIDLET_DEV_ROOT move /sys and /dev.\n";

typedef std::pair<long, long> Pair;

bool parsePair(const std::string& text, Pair* pair)
{
    const std::string::size_type colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    // Each half is kept in a variable of its own: strtol leaves `end` pointing into it.
    const std::string vendorText = text.substr(0, colon);
    const std::string productText = text.substr(colon + 1);
    char* end = nullptr;
    const long vendor = std::strtol(vendorText.c_str(), &end, 16);
    if (*end != '\0' || vendorText.empty())
        return false;
    const long product = std::strtol(productText.c_str(), &end, 16);
    if (*end != '\0' || productText.empty())
        return false;
    *pair = Pair(vendor, product);
    return vendor >= 0 && vendor <= 0xFFFF && product >= 0 && product <= 0xFFFF;
}

std::string hex4(long value)
{
    if (value < 0)
        return "-1";
    char text[24];
    std::snprintf(text, sizeof text, "%04lx", value);
    return text;
}

std::string verdict(const hidlet::HidrawInterface& hidraw, const std::vector<Pair>& pairs)
{
    if (!hidraw.descriptorRead)
        return "no: the report descriptor cannot be read";
    if (!hidraw.isRemoteFamily())
        return "no: not usage page 0xff00, usage 1";
    if (pairs.empty())
        return "remote family; give VID:PID to check its pair";
    for (const Pair& pair : pairs) {
        if (pair.first == hidraw.vendorId && pair.second == hidraw.productId)
            return "yes";
    }
    return "no: " + hex4(hidraw.vendorId) + ":" + hex4(hidraw.productId) + " is not among the given pairs";
}

// Opens the interface as the library would and says why that fails, if it does.
std::string accessVerdict(const hidlet::HidrawInterface& hidraw)
{
    hidlet::CLinuxHidIoPipe pipe(hidraw);
    if (pipe.initialize())
        return "read-write";
    return "none: " + pipe.getLastError();
}

void printInterface(const hidlet::HidrawInterface& hidraw, const std::vector<Pair>& pairs)
{
    const hidlet::ReportLayout& layout = hidraw.layout;
    std::cout << hidraw.name << "  " << hidraw.key << "\n"
              << "  id " << hex4(hidraw.vendorId) << ":" << hex4(hidraw.productId)
              << "  version " << (hidraw.version < 0 ? std::string("-1") : "0x" + hex4(hidraw.version))
              << "  location " << hidraw.location << " (device path \"" << hidraw.devicePath() << "\")\n";
    std::cout << "  usage page ";
    if (layout.usagePage < 0)
        std::cout << "none";
    else
        std::cout << "0x" << hex4(layout.usagePage) << " usage 0x" << hex4(layout.usage);
    std::cout << "  reports: input " << hidraw.inputReportSize() << ", output " << hidraw.outputReportSize()
              << " bytes";
    if (!layout.wellFormed)
        std::cout << " (descriptor unreadable: defaults)";
    else if (layout.inputNumbered || layout.outputNumbered)
        std::cout << " (numbered, with the report id byte)";
    else
        std::cout << " (unnumbered)";
    std::cout << "\n  access " << hidraw.devNode << ": " << accessVerdict(hidraw) << "\n"
              << "  candidate: " << verdict(hidraw, pairs) << "\n";
}

std::string hexText(const unsigned char* bytes, long length)
{
    std::string text;
    char pair[4];
    for (long i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

bool parseHex(const std::string& text, std::vector<unsigned char>* bytes)
{
    if (text.size() % 2 != 0 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    for (std::string::size_type i = 0; i < text.size(); i += 2)
        bytes->push_back(static_cast<unsigned char>(std::strtol(text.substr(i, 2).c_str(), nullptr, 16)));
    return true;
}

void exchange(long pipe, const std::vector<unsigned char>& request)
{
    const long maxAnswerReports = 64;
    std::vector<unsigned char> output(static_cast<std::size_t>(hidlet::GetOutputPacketSize(pipe)), 0);
    std::copy(request.begin(), request.begin() + std::min(request.size(), output.size()), output.begin());
    const long written = hidlet::Write(pipe, output.data(), static_cast<long>(output.size()));
    std::cout << "    sent " << hexText(output.data(), static_cast<long>(output.size())) << ": code " << written << "\n";
    std::vector<unsigned char> input(static_cast<std::size_t>(hidlet::GetInputPacketSize(pipe)), 0);
    for (long i = 0; written == 0 && i < maxAnswerReports; ++i) {
        const long read = hidlet::Read(pipe, input.data(), static_cast<long>(input.size()), 1000);
        if (read != 0) {
            std::cout << "    no further report (code " << read << ")\n";
            break;
        }
        std::cout << "    got  " << hexText(input.data(), static_cast<long>(input.size())) << "\n";
    }
}

void listThroughLibrary(const std::vector<Pair>& pairs, const std::vector<unsigned char>* request)
{
    for (const Pair& pair : pairs)
        hidlet::AddHidlet(pair.first, pair.second);
    long* tokens = nullptr;
    int count = 0;
    hidlet::GetCandidateHidletTokens(&tokens, &count);
    std::cout << "library: " << count << " remote(s)\n";
    for (int i = 0; i < count; ++i) {
        hidlet::AttachDevice(tokens[i]);
        std::cout << "  path \"" << hidlet::GetHidletPath(tokens[i]) << "\"  id " << hex4(hidlet::GetVendorId(tokens[i]))
                  << ":" << hex4(hidlet::GetProductId(tokens[i])) << "  version " << hidlet::GetVersionNumber(tokens[i]);
        long* pipes = nullptr;
        int pipeCount = 0;
        hidlet::GetCandidateIoPipeTokens(tokens[i], &pipes, &pipeCount);
        for (int p = 0; p < pipeCount; ++p) {
            hidlet::AttachChannel(tokens[i], pipes[p]);
            const bool opened = hidlet::OpenChannel(pipes[p]);
            std::cout << "  reports " << hidlet::GetInputPacketSize(pipes[p]) << "/" << hidlet::GetOutputPacketSize(pipes[p])
                      << "  opens: " << (opened ? "yes" : "no") << "\n";
            if (opened && request)
                exchange(pipes[p], *request);
            hidlet::CloseChannel(pipes[p]);
            hidlet::DetachChannel(pipes[p]);
        }
        delete[] pipes;
        hidlet::DetachDevice(tokens[i]);
    }
    delete[] tokens;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<Pair> pairs;
    std::vector<unsigned char> request;
    bool send = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        Pair pair;
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--send") {
            if (i + 1 >= argc || !parseHex(argv[++i], &request)) {
                std::cerr << "hidlet-list: --send takes hexadecimal bytes\n" << kUsage;
                return 2;
            }
            send = true;
            continue;
        }
        if (!parsePair(arg, &pair)) {
            std::cerr << "hidlet-list: not a VID:PID pair: " << arg << "\n" << kUsage;
            return 2;
        }
        pairs.push_back(pair);
    }
    if (send && pairs.empty()) {
        std::cerr << "hidlet-list: --send needs a VID:PID pair (it goes to the remotes listed for the pairs)\n"
                  << kUsage;
        return 2;
    }

    const hidlet::LinuxRoots roots = hidlet::LinuxRoots::fromEnvironment();
    const std::vector<std::string> names = hidlet::listHidrawNames(roots);
    if (names.empty())
        std::cout << "no hidraw interfaces under " << roots.sysfs << "/class/hidraw\n";
    for (const std::string& name : names) {
        hidlet::HidrawInterface hidraw;
        if (hidlet::describeHidraw(roots, name, &hidraw))
            printInterface(hidraw, pairs);
    }
    if (!pairs.empty())
        listThroughLibrary(pairs, send ? &request : nullptr);
    return 0;
}
