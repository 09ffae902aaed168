#include "browser_impl.h"

#include "ipc/messages.h"

namespace cef_stand_in {

BrowserImpl::BrowserImpl(int id, int64 main_frame_id, std::shared_ptr<cef_ipc::Channel> channel)
    : id_(id), channel_(std::move(channel)) {
  AddFrame("", main_frame_id);
}

CefRefPtr<CefFrame> BrowserImpl::GetMainFrame() { return FindFrame("").get(); }

bool BrowserImpl::SendProcessMessage(CefProcessId target_process,
                                     CefRefPtr<CefProcessMessage> message) {
  if (closed_ || target_process != PID_BROWSER || !message || !message->IsValid()) return false;
  cef_ipc::Frame frame;
  frame.kind = cef_ipc::Kind::kMessageToBrowser;
  frame.browser_id = id_;
  frame.message = message;
  std::string bytes;
  return cef_ipc::Encode(frame, bytes) && channel_->Send(bytes);
}

CefRefPtr<FrameImpl> BrowserImpl::FindFrame(const std::string& name) {
  auto it = frames_.find(name);
  return it == frames_.end() ? nullptr : it->second;
}

CefRefPtr<FrameImpl> BrowserImpl::AddFrame(const std::string& name, int64 id) {
  CefRefPtr<FrameImpl> frame = new FrameImpl(this, id, name);
  frames_[name] = frame;
  return frame;
}

void BrowserImpl::Close() {
  closed_ = true;
  for (auto& entry : frames_) entry.second->Detach();
  frames_.clear();
}

}  // namespace cef_stand_in
