#include "client_renderer.h"

namespace client_renderer {

const char kFocusedNodeChangedMessage[] = "ClientRenderer.FocusedNodeChanged";

namespace {

// Tells the browser process whether the focused node takes text input, so that it can offer
// text input only then. There is one per process: the state is shared by every browser and frame
// the process hosts.
class ClientRenderDelegate : public ClientApp::RenderDelegate {
 public:
  ClientRenderDelegate() : lastNodeEditable(false) {}

  void OnFocusedNodeChanged(CefRefPtr<ClientApp> /*app*/, CefRefPtr<CefBrowser> browser,
                            CefRefPtr<CefFrame> /*frame*/, CefRefPtr<CefDOMNode> node) override {
    bool editable = node.get() && node->IsEditable();
    if (editable == lastNodeEditable) return;
    lastNodeEditable = editable;
    CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(kFocusedNodeChangedMessage);
    message->GetArgumentList()->SetBool(0, editable);
    if (browser) browser->SendProcessMessage(PID_BROWSER, message);
  }

 private:
  // The editability last reported to the browser process.
  bool lastNodeEditable;

  IMPLEMENT_REFCOUNTING(ClientRenderDelegate);
};

}  // namespace

void CreateRenderDelegates(ClientApp::RenderDelegateSet& delegates) {
  delegates.insert(new ClientRenderDelegate);
}

}  // namespace client_renderer
