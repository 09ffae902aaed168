// The description of a scripted remote: its identity, report sizes and behaviour. The simulated
// remotes of libHidlet and the virtual uhid remote of tools/ both play this one description.
//
// Text form (one remote; fields separated by ',', each key=value, blanks around ignored):
//   id=NAME        stable name of the remote (default simN, N = its position from 1)
//   vid=, pid=     USB vendor and product id (default 0x1234, 0x5678)
//   version=       device version number (default 0x0100)
//   location=      location id; the device path is it in decimal (default 0x14000000 | N << 20)
//   in=, out=      input and output report sizes in bytes (default 64, 1..4096)
//   reply=         echo: answer each output report with it (cut or zero-padded to in bytes)
//                  silent: never answer
//                  N: answer each output report with N reports; report k is the output report
//                     (cut or zero-padded to in bytes) with its last byte set to k
//   end=HEX        after the answer, send this report (zero-padded to in bytes)
//   delay=MS       wait before the first report of an answer (default 0)
//   rate=MS        wait between the reports of an answer (default 0)
//   length=BYTES   send answer reports of this length instead of in (a misbehaving remote)
//   vanish=K       disappear right after the K-th input report (0: at the first output report)
//   replug=MS      come back as a new device this long after disappearing (default never)
//   open=fail      its pipe cannot be opened
#ifndef QUORVEX_HIDLET_SIM_SIMREMOTESCRIPT_H
#define QUORVEX_HIDLET_SIM_SIMREMOTESCRIPT_H

#include <string>
#include <vector>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet { namespace sim {

struct SimRemoteScript
{
    enum Reply { ECHO, SILENT, COUNT };

    std::string id;
    long vendorId = 0x1234;
    long productId = 0x5678;
    long version = 0x0100;
    long location = 0;
    long inputSize = 64;
    long outputSize = 64;
    Reply reply = ECHO;
    long replyCount = 0;
    std::vector<unsigned char> endPacket;    // empty: none
    long delayMs = 0;
    long rateMs = 0;
    long answerLength = -1;                  // -1: inputSize
    long vanishAfter = -1;                   // -1: never
    long replugMs = -1;                      // -1: never
    bool openFails = false;
    std::string text;                        // the description it was parsed from
    std::vector<std::string> keys;           // the keys it gave, in its order

    // The location in decimal: the device path toward the engine.
    std::string devicePath() const { return std::to_string(location); }
};

// Parses one remote. position (from 1) gives the defaults of id and location. Throws
// std::invalid_argument naming the field for a description it cannot take.
SimRemoteScript parseSimRemote(const std::string& text, int position);

// Parses a list of remotes separated by ';' or line breaks; '#' starts a comment up to the end
// of its line; empty entries are skipped. "1" or "default" alone is one remote with defaults.
// Ids must be unique.
std::vector<SimRemoteScript> parseSimRemotes(const std::string& text);

}}}}}} // namespace quorvex::lumora::client::corvane::hidlet::sim

#endif
