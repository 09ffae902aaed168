// What the backend needs from a HID report descriptor: the primary usage (usage page and usage of
// the first application collection) and the largest input and output report in the bytes that
// /dev/hidrawN reads and expects.
#ifndef QUORVEX_HIDLET_LINUX_REPORTDESCRIPTOR_H
#define QUORVEX_HIDLET_LINUX_REPORTDESCRIPTOR_H

#include <cstddef>
#include <vector>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

struct ReportLayout
{
    // Usage page and usage of the first application collection; -1 when there is none.
    long usagePage = -1;
    long usage = -1;
    // Largest report of each direction in bytes, with the report-id byte when that direction's
    // reports are numbered; -1 when the descriptor declares none or cannot be read to its end.
    long inputBytes = -1;
    long outputBytes = -1;
    bool inputNumbered = false;
    bool outputNumbered = false;
    // False when the descriptor is cut short or breaks the item grammar.
    bool wellFormed = false;
};

// The largest report hidraw moves (its buffer size); anything larger cannot be a real report.
const long kMaxReportBytes = 16384;

ReportLayout parseReportDescriptor(const unsigned char* bytes, std::size_t length);

inline ReportLayout parseReportDescriptor(const std::vector<unsigned char>& bytes)
{
    return parseReportDescriptor(bytes.data(), bytes.size());
}

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
