// The simulated remotes of the page soak: what each does wrong, its description for HIDLET_SIM
// and its description for the page; and the file through which they are plugged and unplugged.
#ifndef PAGE_SOAK_SOAKREMOTES_H
#define PAGE_SOAK_SOAKREMOTES_H

#include <string>
#include <vector>

namespace page_soak {

struct SoakRemote {
    std::string kind;        // what it does wrong ("echo" does nothing wrong)
    std::string simulation;  // one remote of HIDLET_SIM
    std::string pageArgument;
    bool plugged = true;
};

// One remote of each kind: echo, several reports closed by an end packet, slow, reports of the wrong
// length, gone in the middle of an answer (and back shortly after), gone after the first report of
// an answer that the page waits for with the longest time-out, small reports, silent.
std::vector<SoakRemote> soakRemotes();

// Writes the plugged remotes to `path` in one step (a listing never reads half a file).
void writeSimulation(const std::string& path, const std::vector<SoakRemote>& remotes);

} // namespace page_soak

#endif
