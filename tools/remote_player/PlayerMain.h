// The program that uhid-remote and usb-remote share: the command line, the remotes of the
// description, and the loop that plays them until a stop signal; each program brings the kind of
// device it plays them on.
#ifndef REMOTE_PLAYER_PLAYERMAIN_H
#define REMOTE_PLAYER_PLAYERMAIN_H

#include <memory>
#include <string>
#include <vector>

#include "RemoteDevice.h"
#include "sim/SimRemoteScript.h"

namespace sim = quorvex::lumora::client::corvane::hidlet::sim;

// A key of the description that makes no difference on a kind of device, and why.
struct UnplayableKey
{
    const char* key;
    const char* why;
};

class PlayerBackend
{
public:
    virtual ~PlayerBackend() = default;

    virtual const char* program() const = 0;
    // The whole help text.
    virtual const char* usage() const = 0;
    // Takes an option of the backend's own, with its value (e.g. --uhid PATH); false when it has
    // none of that name.
    virtual bool takeOption(const std::string& name, const std::string& value) = 0;
    virtual std::vector<UnplayableKey> unplayableKeys() const = 0;
    // Gets ready to play these remotes; throws std::exception (with what to do about it) when
    // this machine cannot play them.
    virtual void prepare(const std::vector<sim::SimRemoteScript>& scripts, bool numbered) = 0;
    virtual std::unique_ptr<RemoteDevice> makeDevice(const sim::SimRemoteScript& script, bool numbered) = 0;
};

// main() of both programs: 0 once stopped by SIGINT, SIGTERM or SIGHUP, 1 when the remotes
// cannot be played, 2 for a command line it does not take.
int playRemotes(int argc, char** argv, PlayerBackend& backend);

#endif
