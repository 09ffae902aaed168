// A simulated remote as a device of the model: identity from its description, one pipe.
#ifndef QUORVEX_HIDLET_SIM_CSIMHIDLET_H
#define QUORVEX_HIDLET_SIM_CSIMHIDLET_H

#include <map>

#include "SimDevice.h"
#include "hidlet/AHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

class CSimHidlet : public AHidlet
{
public:
    explicit CSimHidlet(const boost::shared_ptr<SimDevice>& device);

    // Applies the candidate rule and, for a candidate, creates its one pipe. True when the
    // device has a pipe afterwards.
    bool updateIoPipes();

    void getIoPipes(std::vector<boost::shared_ptr<AIoPipe> >& pipes) override;
    boost::shared_ptr<AIoPipe> getIoPipe(AIoPipe* pipe) override;
    void removeIoPipe(AIoPipe* pipe) override;
    void removeAllIoPipes() override;
    long getVendorID() override;
    long getProductID() override;
    long getVersionNumber() override;
    std::string getDeviceID() override;
    std::string getDevicePath() override;

private:
    boost::shared_ptr<SimDevice> m_device;
    std::map<int, boost::shared_ptr<AIoPipe> > m_IoPipes;
};

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
