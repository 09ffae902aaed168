#include "client_app.h"

#include "include/cef_cookie.h"
#include "v8_binding.h"

ClientApp::ClientApp() {
  CreateBrowserDelegates(browserDelegates);
  CreateRenderDelegates(renderDelegates);
  cookieSchemes.push_back("http");
  cookieSchemes.push_back("https");
}

void ClientApp::OnRegisterCustomSchemes(CefRefPtr<CefSchemeRegistrar> registrar) {
  RegisterCustomSchemes(registrar, cookieSchemes);
}

// Each fan-out holds a reference to the application object for as long as the delegates run, so
// that a delegate dropping the last outside reference cannot delete it mid-walk.

void ClientApp::OnContextInitialized() {
  CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager();
  if (manager) manager->SetSupportedSchemes(cookieSchemes);
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<BrowserDelegate>& delegate : browserDelegates)
    delegate->OnContextInitialized(self);
}

void ClientApp::OnBeforeChildProcessLaunch(CefRefPtr<CefCommandLine> command_line) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<BrowserDelegate>& delegate : browserDelegates)
    delegate->OnBeforeChildProcessLaunch(self, command_line);
}

void ClientApp::OnRenderProcessThreadCreated(CefRefPtr<CefListValue> extra_info) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<BrowserDelegate>& delegate : browserDelegates)
    delegate->OnRenderProcessThreadCreated(self, extra_info);
}

void ClientApp::OnRenderThreadCreated(CefRefPtr<CefListValue> extra_info) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnRenderThreadCreated(self, extra_info);
}

void ClientApp::OnWebKitInitialized() {
  RegisterAppExtension();
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnWebKitInitialized(self);
}

void ClientApp::OnBrowserCreated(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnBrowserCreated(self, browser);
}

void ClientApp::OnBrowserDestroyed(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnBrowserDestroyed(self, browser);
}

bool ClientApp::OnBeforeNavigation(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   CefRefPtr<CefRequest> request, NavigationType navigation_type,
                                   bool is_redirect) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates) {
    if (delegate->OnBeforeNavigation(self, browser, frame, request, navigation_type, is_redirect))
      return true;
  }
  return false;
}

void ClientApp::OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                 CefRefPtr<CefV8Context> context) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnContextCreated(self, browser, frame, context);
  InitV8Binding(browser, frame, context->GetGlobal());
}

void ClientApp::OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                  CefRefPtr<CefV8Context> context) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnContextReleased(self, browser, frame, context);
  ReleaseMessageCallbacks(context);
}

void ClientApp::OnUncaughtException(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                    CefRefPtr<CefV8Context> context,
                                    CefRefPtr<CefV8Exception> exception,
                                    CefRefPtr<CefV8StackTrace> stackTrace) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnUncaughtException(self, browser, frame, context, exception, stackTrace);
}

void ClientApp::OnFocusedNodeChanged(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                     CefRefPtr<CefDOMNode> node) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates)
    delegate->OnFocusedNodeChanged(self, browser, frame, node);
}

bool ClientApp::OnProcessMessageReceived(CefRefPtr<CefBrowser> browser,
                                         CefProcessId source_process,
                                         CefRefPtr<CefProcessMessage> message) {
  CefRefPtr<ClientApp> self(this);
  for (const CefRefPtr<RenderDelegate>& delegate : renderDelegates) {
    if (delegate->OnProcessMessageReceived(self, browser, source_process, message)) return true;
  }
  return DispatchToMessageCallback(browser, message);
}
