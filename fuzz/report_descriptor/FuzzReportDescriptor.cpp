// The hidraw backend's report-descriptor parser on any bytes: a device hands the descriptor over
// as it likes, and the parser must read it without reading past it and give report sizes that a
// read buffer can be made of (-1, or 1 to the largest report hidraw moves).
#include <cstdint>
#include <vector>

#include "FuzzInput.h"
#include "linux/ReportDescriptor.h"

namespace usb = quorvex::lumora::client::corvane::hidlet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the descriptor's size, as the backend reads it from the kernel.
    const std::vector<unsigned char> bytes(data, data + (data ? size : 0));
    const usb::ReportLayout layout = usb::parseReportDescriptor(bytes.data(), bytes.size());
    FUZZ_CHECK(layout.inputBytes >= -1 && layout.outputBytes >= -1, "report sizes %ld/%ld", layout.inputBytes,
               layout.outputBytes);
    FUZZ_CHECK(layout.inputBytes <= usb::kMaxReportBytes && layout.outputBytes <= usb::kMaxReportBytes,
               "report sizes %ld/%ld past what hidraw moves", layout.inputBytes, layout.outputBytes);
    return 0;
}
