// Finds the remote family's HID interfaces among the hidraw devices: those whose report
// descriptor's first application collection has usage page 0xFF00 and usage 1, and whose vendor
// and product id pair is a supported type.
#ifndef QUORVEX_HIDLET_LINUX_CLINUXHIDLETMANAGER_H
#define QUORVEX_HIDLET_LINUX_CLINUXHIDLETMANAGER_H

#include <map>
#include <string>

#include "HidrawSysfs.h"
#include "hidlet/AHidletManager.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

class CLinuxHidletManager : public AHidletManager
{
public:
    explicit CLinuxHidletManager(const LinuxRoots& roots);

    void getHidlets(std::vector<boost::shared_ptr<AHidlet> >& hidlets) override;
    void updateHidlets() override;
    boost::shared_ptr<AHidlet> getHidlet(AHidlet* hidlet) override;
    void removeHidlet(AHidlet* hidlet) override;

private:
    // What a listed device was found to be, so that a device listed again (a released remote,
    // another HID device of the machine) is not read from sysfs again while it stays.
    struct Description
    {
        HidrawStamp stamp;
        HidrawInterface hidraw;
    };

    // A listed name's key and stamp, and the inode number of its class link they were taken for.
    struct Link
    {
        unsigned long inode = 0;
        std::string key;
        HidrawStamp stamp;
    };

    // The key and stamp of a listed entry: on sysfs those of the last listing while the link is
    // the same one, else taken now (empty key: gone).
    Link linkOf(const HidrawListing& listing, const HidrawEntry& entry) const;

    // The device's description: the one taken before while its folder is the same, else read now.
    // False when it is gone.
    bool describe(const std::string& name, const std::string& key, const HidrawStamp& stamp,
                  std::map<std::string, Description>& described, HidrawInterface* out);

    const LinuxRoots m_Roots;
    // Held devices keyed by the resolved sysfs path of their hidraw device.
    std::map<std::string, boost::shared_ptr<AHidlet> > m_Hidlets;
    // The devices of the last listing, keyed the same way; those gone since are dropped.
    std::map<std::string, Description> m_Described;
    // The links of the last listing by name.
    std::map<std::string, Link> m_Links;
};

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
