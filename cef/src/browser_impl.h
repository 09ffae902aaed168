#ifndef CEF_SRC_BROWSER_IMPL_H_
#define CEF_SRC_BROWSER_IMPL_H_

#include <map>
#include <memory>
#include <string>

#include "include/cef_browser.h"
#include "include/cef_dom.h"
#include "include/cef_frame.h"
#include "include/cef_request.h"
#include "ipc/channel.h"
#include "v8_context_impl.h"

namespace cef_stand_in {

class FrameImpl;

// A browser hosted by the render process; its messages go out over the process's channel.
class BrowserImpl : public CefBrowser {
 public:
  BrowserImpl(int id, int64 main_frame_id, std::shared_ptr<cef_ipc::Channel> channel);

  int GetIdentifier() override { return id_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override { return that.get() == this; }
  CefRefPtr<CefFrame> GetMainFrame() override;
  bool SendProcessMessage(CefProcessId target_process,
                          CefRefPtr<CefProcessMessage> message) override;

  // The frame named |name| ("" for the main frame); empty when there is none.
  CefRefPtr<FrameImpl> FindFrame(const std::string& name);
  CefRefPtr<FrameImpl> AddFrame(const std::string& name, int64 id);
  std::map<std::string, CefRefPtr<FrameImpl>>& frames() { return frames_; }
  // The browser is gone: its frames are dropped and it sends nothing more.
  void Close();

 private:
  int id_;
  std::shared_ptr<cef_ipc::Channel> channel_;
  std::map<std::string, CefRefPtr<FrameImpl>> frames_;
  bool closed_ = false;

  IMPLEMENT_REFCOUNTING(BrowserImpl);
};

class FrameImpl : public CefFrame {
 public:
  FrameImpl(CefRefPtr<BrowserImpl> browser, int64 id, const std::string& name)
      : browser_(browser), id_(id), name_(name) {}

  bool IsValid() override { return browser_ != nullptr; }
  bool IsMain() override { return name_.empty(); }
  CefString GetName() override { return name_; }
  int64 GetIdentifier() override { return id_; }
  CefString GetURL() override { return url_; }
  CefRefPtr<CefBrowser> GetBrowser() override { return browser_.get(); }
  CefRefPtr<CefV8Context> GetV8Context() override { return context_.get(); }

  CefRefPtr<V8ContextImpl> context() const { return context_; }
  void SetDocument(CefRefPtr<V8ContextImpl> context, const std::string& url) {
    context_ = context;
    url_ = url;
  }
  void Detach() {
    browser_ = NULL;
    context_ = NULL;
  }

 private:
  CefRefPtr<BrowserImpl> browser_;
  int64 id_;
  std::string name_;
  std::string url_;
  CefRefPtr<V8ContextImpl> context_;

  IMPLEMENT_REFCOUNTING(FrameImpl);
};

class DOMNodeImpl : public CefDOMNode {
 public:
  explicit DOMNodeImpl(bool editable) : editable_(editable) {}
  bool IsEditable() override { return editable_; }

 private:
  bool editable_;

  IMPLEMENT_REFCOUNTING(DOMNodeImpl);
};

class RequestImpl : public CefRequest {
 public:
  explicit RequestImpl(const std::string& url) : url_(url) {}
  bool IsReadOnly() override { return true; }
  CefString GetURL() override { return url_; }
  CefString GetMethod() override { return "GET"; }

 private:
  std::string url_;

  IMPLEMENT_REFCOUNTING(RequestImpl);
};

}  // namespace cef_stand_in

#endif  // CEF_SRC_BROWSER_IMPL_H_
