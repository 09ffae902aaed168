#include "RemoteDevice.h"

namespace {

void item(std::vector<unsigned char>& d, unsigned char prefix, unsigned long value)
{
    if (value <= 0xFF) {
        d.push_back(static_cast<unsigned char>(prefix | 1));
        d.push_back(static_cast<unsigned char>(value));
    } else {
        d.push_back(static_cast<unsigned char>(prefix | 2));
        d.push_back(static_cast<unsigned char>(value & 0xFF));
        d.push_back(static_cast<unsigned char>(value >> 8));
    }
}

} // namespace

std::vector<unsigned char> remoteReportDescriptor(long inputBytes, long outputBytes, bool numbered)
{
    const long idByte = numbered ? 1 : 0;
    std::vector<unsigned char> d = {0x06, 0x00, 0xFF,   // Usage Page (vendor 0xFF00)
                                    0x09, 0x01,         // Usage (1)
                                    0xA1, 0x01};        // Collection (Application)
    if (numbered)
        item(d, 0x84, 1);                               // Report ID (1)
    item(d, 0x14, 0);                                   // Logical Minimum (0)
    d.insert(d.end(), {0x26, 0xFF, 0x00});              // Logical Maximum (255)
    item(d, 0x74, 8);                                   // Report Size (8)
    item(d, 0x94, static_cast<unsigned long>(inputBytes - idByte));    // Report Count
    item(d, 0x08, 1);                                   // Usage (1)
    item(d, 0x80, 0x02);                                // Input (Data, Var, Abs)
    item(d, 0x94, static_cast<unsigned long>(outputBytes - idByte));   // Report Count
    item(d, 0x08, 1);                                   // Usage (1)
    item(d, 0x90, 0x02);                                // Output (Data, Var, Abs)
    d.push_back(0xC0);                                  // End Collection
    return d;
}
