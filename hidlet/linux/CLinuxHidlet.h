// One hidraw interface of the remote family, with the identity of the USB device behind it and
// its one pipe.
#ifndef QUORVEX_HIDLET_LINUX_CLINUXHIDLET_H
#define QUORVEX_HIDLET_LINUX_CLINUXHIDLET_H

#include <map>
#include <string>

#include "HidrawSysfs.h"
#include "hidlet/AHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class CLinuxHidlet : public AHidlet
{
public:
    explicit CLinuxHidlet(const HidrawInterface& hidraw);

    // The candidate rule: a device whose vendor and product id pair is a supported type gets its
    // pipe. True when the device has a pipe afterwards.
    bool updateIoPipes();

    void getIoPipes(std::vector<boost::shared_ptr<AIoPipe> >& pipes) override;
    boost::shared_ptr<AIoPipe> getIoPipe(AIoPipe* pipe) override;
    void removeIoPipe(AIoPipe* pipe) override;
    void removeAllIoPipes() override;
    long getVendorID() override { return m_VendorID; }
    long getProductID() override { return m_ProductID; }
    long getVersionNumber() override { return m_VersionNumber; }
    std::string getDeviceID() override { return std::string(); }
    std::string getDevicePath() override { return m_DevicePath; }

private:
    const HidrawInterface m_Hidraw;
    const long m_ProductID;
    const long m_VersionNumber;
    const long m_VendorID;
    const std::string m_DevicePath;
    std::map<std::string, boost::shared_ptr<AIoPipe> > m_IoPipes;   // at most one, under the key
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
