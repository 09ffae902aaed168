// A uhid-remote process (see RemoteProcess.h).
#ifndef HIDLET_VM_UHIDREMOTEPROCESS_H
#define HIDLET_VM_UHIDREMOTEPROCESS_H

#include "RemoteProcess.h"

class UhidRemoteProcess : public RemoteProcess
{
public:
    UhidRemoteProcess(const std::string& description, bool numbered, const std::vector<std::string>& ids,
                      bool quiet = false)
        : RemoteProcess(RemoteKind::Uhid, description, numbered, ids, quiet)
    {
    }
};

#endif
