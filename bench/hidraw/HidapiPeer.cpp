#include "HidapiPeer.h"

#include <cstring>

#include <hidapi.h>

HidapiPeer::HidapiPeer(const std::string& node) : m_device(hid_open_path(node.c_str())) {}

HidapiPeer::~HidapiPeer()
{
    if (m_device)
        hid_close(m_device);
}

bool HidapiPeer::write(const unsigned char* report)
{
    unsigned char out[65] = {0};
    std::memcpy(out + 1, report, 64);
    return m_device && hid_write(m_device, out, sizeof out) == static_cast<int>(sizeof out);
}

bool HidapiPeer::read(unsigned char* report, int timeoutMs)
{
    return m_device && hid_read_timeout(m_device, report, 64, timeoutMs) == 64;
}

bool HidapiPeer::start() { return hid_init() == 0; }

void HidapiPeer::stop() { hid_exit(); }
