// The simulated remotes that are plugged in, as a description says. The description is given
// inline or as "@path" of a file that is read again at every enumeration, so a test or a user
// plugs and unplugs remotes by editing the file.
#ifndef QUORVEX_HIDLET_SIM_SIMBUS_H
#define QUORVEX_HIDLET_SIM_SIMBUS_H

#include <map>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "SimDevice.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

class SimBus
{
public:
    // The value of HIDLET_SIM: a description, or "@" followed by a file's path.
    explicit SimBus(const std::string& source);

    // Brings the plugged set up to date and returns the remotes present now, in description
    // order. A remote whose description changed, or that the description dropped, is unplugged;
    // one that vanished by script stays away until its replug time.
    std::vector<boost::shared_ptr<SimDevice> > refresh();

private:
    std::vector<SimRemoteScript> describe();

    std::string m_inline;
    std::string m_file;
    std::vector<SimRemoteScript> m_lastGood;
    std::string m_lastError;
    std::map<std::string, boost::shared_ptr<SimDevice> > m_plugged;
    unsigned long m_nextSerial = 1;
};

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
