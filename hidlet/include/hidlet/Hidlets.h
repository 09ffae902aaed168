// The token API: the whole exported surface of libHidlet.
//
// Devices and I/O pipes are handed out as integer tokens by listing, attached before use and
// detached when done. Token arrays are allocated with new[] and released by the caller with
// delete[]. Every function may be called from any thread.
//
// Calling order: AddHidlet for each supported type; GetCandidateHidletTokens; for each new device
// AttachDevice, GetCandidateIoPipeTokens, then AttachChannel and OpenChannel for each pipe; read
// and write; CloseChannel and DetachChannel for each pipe, then DetachDevice.
#ifndef QUORVEX_HIDLET_HIDLETS_H
#define QUORVEX_HIDLET_HIDLETS_H

#include <string>

#include "HidletExport.h"
#include "exception/LogicException.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

// Supported device types.
HIDLET_API void AddHidlet(long vendorId, long productId);
HIDLET_API void ClearHidlets();

// Re-enumerates and lists the candidate devices. *count receives their number; when it is not
// 0, *tokens receives a new[] array of device tokens (left untouched otherwise).
HIDLET_API void GetCandidateHidletTokens(long** tokens, int* count);
HIDLET_API void AttachDevice(long deviceToken);
HIDLET_API void DetachDevice(long deviceToken);

// Identity of an attached device; 0 or "" for a token that is not attached.
HIDLET_API long GetVendorId(long deviceToken);
HIDLET_API long GetProductId(long deviceToken);
HIDLET_API long GetVersionNumber(long deviceToken);
HIDLET_API std::string GetHidletPath(long deviceToken);

// Pipes of an attached device: *count and a new[] array (also when empty). Nothing is written
// for a device that is not attached.
HIDLET_API void GetCandidateIoPipeTokens(long deviceToken, long** tokens, int* count);
HIDLET_API void AttachChannel(long deviceToken, long pipeToken);
HIDLET_API void DetachChannel(long pipeToken);
HIDLET_API long GetInputPacketSize(long pipeToken);
HIDLET_API long GetOutputPacketSize(long pipeToken);
HIDLET_API bool OpenChannel(long pipeToken);
HIDLET_API void CloseChannel(long pipeToken);
// Whether an attached pipe is open for transfers: opened, not closed since, and its device still
// there. False for a pipe that is not attached. A read or write that failed on a pipe that is no
// longer open failed because the pipe was closed or its device went away, not for a time-out.
HIDLET_API bool IsChannelOpen(long pipeToken);
// Drops the input reports that have arrived on an open pipe and were not read yet; returns how
// many (0 for a pipe that is not attached or not open). Never throws.
HIDLET_API long DiscardInput(long pipeToken);

// Reading byte by byte is not supported: -1 for an attached pipe; LogicException
// "CloseChannelException" otherwise.
HIDLET_API long Read(long pipeToken);
// Reads one input report into buffer (at most length bytes are stored). Returns 0, 102 when no
// report came in time or the pipe is not open, 103 for a pipe that is not attached, 101 when the
// read failed unexpectedly. Never throws.
HIDLET_API long Read(long pipeToken, unsigned char* buffer, long length, long timeout);
// Reads one input report and copies at most length bytes of it into buffer; returns the input
// report size. LogicException "CloseChannelException" or "DataNotFound" on failure.
HIDLET_API long Read(long pipeToken, unsigned char* buffer, long length, long size, long timeout);
// Writing byte by byte is not supported: always throws LogicException.
HIDLET_API long Write(long pipeToken, long byte);
// Sends data as one output report (zero-padded when length is shorter). Returns 0, 104 for a
// pipe that is not attached, 106 when the pipe failed the write or is not open, 105 when the
// write failed unexpectedly. Never throws.
HIDLET_API long Write(long pipeToken, unsigned char* data, long length);
// Sends start zero bytes followed by length bytes of data as one output report (zero-padded to
// the report size); the outcome is not reported. LogicException "CloseChannelException" for a
// pipe that is not attached.
HIDLET_API void Write(long pipeToken, unsigned char* data, long start, long length);

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
