#ifndef CEF_IPC_MESSAGES_H_
#define CEF_IPC_MESSAGES_H_

#include <cstdint>
#include <string>

#include "include/cef_process_message.h"
#include "include/cef_values.h"

// What the browser process and a render process say to each other over their channel.
//
// The browser process sends requests, each with a sequence number; the render process handles
// them one at a time, in order, and answers each with a kReply of the same number. Process messages
// from the render process (kMessageToBrowser) may come at any time before that reply.
namespace cef_ipc {

enum class Kind : uint8_t {
  // Browser process → render process.
  kRenderThreadCreated = 1,  // |list|: the extra info for OnRenderThreadCreated; comes first
  kBrowserCreated,           // |browser_id|
  kBrowserDestroyed,         // |browser_id|
  kLoad,                     // |browser_id|, |frame_name|, |url|, |script|: a new document
  kNavigate,                 // as kLoad, but started by the page: may be cancelled
  kFocusChanged,             // |browser_id|, |frame_name|, |focus|
  kProcessMessage,           // |browser_id|, |message|
  // Render process → browser process.
  kReply = 100,       // |seq|, |ok|, |text|
  kMessageToBrowser,  // |browser_id|, |message|
};

enum class FocusTarget : uint8_t {
  kNone = 0,
  kEditable = 1,
  kNonEditable = 2,
};

struct Frame {
  Kind kind = Kind::kReply;
  uint32_t seq = 0;
  int32_t browser_id = 0;
  // The main frame is the one without a name.
  std::string frame_name;
  std::string url;
  std::string script;
  FocusTarget focus = FocusTarget::kNone;
  // kReply: whether the request did what it asked (a load ran without an uncaught exception,
  // a navigation was not cancelled, a process message was handled); |text| says why not.
  bool ok = true;
  std::string text;
  CefRefPtr<CefListValue> list;
  CefRefPtr<CefProcessMessage> message;
};

// Nesting of lists deeper than this is refused in both directions.
const int kMaxListDepth = 128;

// False when a list is nested too deeply.
bool Encode(const Frame& frame, std::string& out);
// False for bytes that are not a well-formed frame. Decoded messages and lists are read-only.
bool Decode(const std::string& bytes, Frame& frame);

}  // namespace cef_ipc

#endif  // CEF_IPC_MESSAGES_H_
