#include "ReportDescriptor.h"

#include <cstdint>
#include <map>
#include <utility>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

namespace {

enum ItemType { MAIN = 0, GLOBAL = 1, LOCAL = 2 };
enum MainTag { INPUT = 0x8, OUTPUT = 0x9, COLLECTION = 0xA, FEATURE = 0xB, END_COLLECTION = 0xC };
enum GlobalTag { USAGE_PAGE = 0x0, REPORT_SIZE = 0x7, REPORT_ID = 0x8, REPORT_COUNT = 0x9, PUSH = 0xA, POP = 0xB };
enum LocalTag { USAGE = 0x0 };
const std::uint32_t kApplicationCollection = 1;
const unsigned char kLongItemPrefix = 0xFE;

struct GlobalState
{
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

// Bits of each report, keyed by direction and report id. Totals stop growing past the largest
// report hidraw can move, so absurd counts cannot overflow.
class ReportBits
{
public:
    void add(int direction, std::uint32_t id, const GlobalState& g)
    {
        const std::uint64_t limit = static_cast<std::uint64_t>(kMaxReportBytes) * 8 + 8;
        std::uint64_t& total = m_bits[std::make_pair(direction, id)];
        const std::uint64_t added = static_cast<std::uint64_t>(g.reportSize) * g.reportCount;
        total = (added > limit || total + added > limit) ? limit : total + added;
        if (id != 0)
            m_numbered[direction] = true;
    }

    bool numbered(int direction) const
    {
        std::map<int, bool>::const_iterator it = m_numbered.find(direction);
        return it != m_numbered.end() && it->second;
    }

    // The largest report of the direction in bytes as hidraw moves it; -1 when there is none or
    // it is larger than hidraw allows.
    long largestBytes(int direction) const
    {
        long largest = -1;
        for (const auto& entry : m_bits) {
            if (entry.first.first != direction)
                continue;
            const long bytes = static_cast<long>((entry.second + 7) / 8) + (numbered(direction) ? 1 : 0);
            if (bytes > largest)
                largest = bytes;
        }
        return (largest > kMaxReportBytes || largest == 0) ? -1 : largest;
    }

private:
    std::map<std::pair<int, std::uint32_t>, std::uint64_t> m_bits;
    std::map<int, bool> m_numbered;
};

} // namespace

ReportLayout parseReportDescriptor(const unsigned char* bytes, std::size_t length)
{
    ReportLayout layout;
    GlobalState global;
    std::vector<GlobalState> pushed;
    ReportBits bits;
    bool haveUsage = false;
    std::uint32_t firstUsage = 0;
    int usageSize = 0;
    int openCollections = 0;
    bool broken = false;

    std::size_t at = 0;
    while (at < length && !broken) {
        const unsigned char prefix = bytes[at];
        if (prefix == kLongItemPrefix) {
            // Long items carry no layout; skip their data.
            if (at + 2 >= length || at + 3 + bytes[at + 1] > length) {
                broken = true;
                break;
            }
            at += 3 + bytes[at + 1];
            continue;
        }
        const std::size_t size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        if (at + 1 + size > length) {
            broken = true;
            break;
        }
        std::uint32_t data = 0;
        for (std::size_t i = 0; i < size; ++i)
            data |= static_cast<std::uint32_t>(bytes[at + 1 + i]) << (8 * i);
        at += 1 + size;

        if (type == GLOBAL) {
            switch (tag) {
            case USAGE_PAGE: global.usagePage = data; break;
            case REPORT_SIZE: global.reportSize = data; break;
            case REPORT_COUNT: global.reportCount = data; break;
            case REPORT_ID:
                if (data == 0 || data > 0xFF)
                    broken = true;
                global.reportId = data;
                break;
            case PUSH: pushed.push_back(global); break;
            case POP:
                if (pushed.empty()) {
                    broken = true;
                } else {
                    global = pushed.back();
                    pushed.pop_back();
                }
                break;
            default: break;
            }
        } else if (type == LOCAL) {
            if (tag == USAGE && !haveUsage) {
                haveUsage = true;
                firstUsage = data;
                usageSize = static_cast<int>(size);
            }
        } else if (type == MAIN) {
            switch (tag) {
            case INPUT: bits.add(INPUT, global.reportId, global); break;
            case OUTPUT: bits.add(OUTPUT, global.reportId, global); break;
            case COLLECTION:
                if (data == kApplicationCollection && layout.usagePage < 0 && haveUsage) {
                    // A four-byte usage carries its own page in the upper half.
                    layout.usagePage = usageSize == 4 ? static_cast<long>(firstUsage >> 16) : static_cast<long>(global.usagePage);
                    layout.usage = static_cast<long>(firstUsage & 0xFFFF);
                }
                ++openCollections;
                break;
            case END_COLLECTION:
                if (--openCollections < 0)
                    broken = true;
                break;
            default: break;
            }
            haveUsage = false;
        } else {
            broken = true;   // reserved item type
        }
    }

    layout.wellFormed = !broken && openCollections == 0;
    if (layout.wellFormed) {
        layout.inputNumbered = bits.numbered(INPUT);
        layout.outputNumbered = bits.numbered(OUTPUT);
        layout.inputBytes = bits.largestBytes(INPUT);
        layout.outputBytes = bits.largestBytes(OUTPUT);
    }
    return layout;
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet
