#ifndef RENDER_HELPER_CLIENT_APP_H_
#define RENDER_HELPER_CLIENT_APP_H_

#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "include/cef_app.h"

// The application object of every process the shell starts from this executable. It plays the
// three framework roles at once and passes each callback on to the delegates of that role.
class ClientApp : public CefApp, public CefBrowserProcessHandler, public CefRenderProcessHandler {
 public:
  // Code that wants the browser-process callbacks.
  class BrowserDelegate : public virtual CefBase {
   public:
    virtual void OnContextInitialized(CefRefPtr<ClientApp> /*app*/) {}
    virtual void OnBeforeChildProcessLaunch(CefRefPtr<ClientApp> /*app*/,
                                            CefRefPtr<CefCommandLine> /*command_line*/) {}
    virtual void OnRenderProcessThreadCreated(CefRefPtr<ClientApp> /*app*/,
                                              CefRefPtr<CefListValue> /*extra_info*/) {}
  };
  typedef std::set<CefRefPtr<BrowserDelegate> > BrowserDelegateSet;

  // Code that wants the render-process callbacks.
  class RenderDelegate : public virtual CefBase {
   public:
    virtual void OnRenderThreadCreated(CefRefPtr<ClientApp> /*app*/,
                                       CefRefPtr<CefListValue> /*extra_info*/) {}
    virtual void OnWebKitInitialized(CefRefPtr<ClientApp> /*app*/) {}
    virtual void OnBrowserCreated(CefRefPtr<ClientApp> /*app*/, CefRefPtr<CefBrowser> /*browser*/) {}
    virtual void OnBrowserDestroyed(CefRefPtr<ClientApp> /*app*/,
                                    CefRefPtr<CefBrowser> /*browser*/) {}
    virtual bool OnBeforeNavigation(CefRefPtr<ClientApp> /*app*/, CefRefPtr<CefBrowser> /*browser*/,
                                    CefRefPtr<CefFrame> /*frame*/, CefRefPtr<CefRequest> /*request*/,
                                    cef_navigation_type_t /*navigation_type*/,
                                    bool /*is_redirect*/) {
      return false;
    }
    virtual void OnContextCreated(CefRefPtr<ClientApp> /*app*/, CefRefPtr<CefBrowser> /*browser*/,
                                  CefRefPtr<CefFrame> /*frame*/,
                                  CefRefPtr<CefV8Context> /*context*/) {}
    virtual void OnContextReleased(CefRefPtr<ClientApp> /*app*/, CefRefPtr<CefBrowser> /*browser*/,
                                   CefRefPtr<CefFrame> /*frame*/,
                                   CefRefPtr<CefV8Context> /*context*/) {}
    virtual void OnUncaughtException(CefRefPtr<ClientApp> /*app*/,
                                     CefRefPtr<CefBrowser> /*browser*/,
                                     CefRefPtr<CefFrame> /*frame*/,
                                     CefRefPtr<CefV8Context> /*context*/,
                                     CefRefPtr<CefV8Exception> /*exception*/,
                                     CefRefPtr<CefV8StackTrace> /*stackTrace*/) {}
    virtual void OnFocusedNodeChanged(CefRefPtr<ClientApp> /*app*/,
                                      CefRefPtr<CefBrowser> /*browser*/,
                                      CefRefPtr<CefFrame> /*frame*/,
                                      CefRefPtr<CefDOMNode> /*node*/) {}
    virtual bool OnProcessMessageReceived(CefRefPtr<ClientApp> /*app*/,
                                          CefRefPtr<CefBrowser> /*browser*/,
                                          CefProcessId /*source_process*/,
                                          CefRefPtr<CefProcessMessage> /*message*/) {
      return false;
    }
  };
  typedef std::set<CefRefPtr<RenderDelegate> > RenderDelegateSet;

  ClientApp();

  // The page callback registered for (name, browser id): first registration wins.
  void SetMessageCallback(const std::string& message_name, int browser_id,
                          CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> function);
  // True when a registration was removed.
  bool RemoveMessageCallback(const std::string& message_name, int browser_id);

 private:
  // Hooks filled per executable.
  static void CreateBrowserDelegates(BrowserDelegateSet& delegates);
  static void CreateRenderDelegates(RenderDelegateSet& delegates);
  static void RegisterCustomSchemes(CefRefPtr<CefSchemeRegistrar> registrar,
                                    std::vector<CefString>& cookiable_schemes);

  // CefApp.
  void OnRegisterCustomSchemes(CefRefPtr<CefSchemeRegistrar> registrar) override;
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() override { return this; }
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return this; }

  // CefBrowserProcessHandler.
  void OnContextInitialized() override;
  void OnBeforeChildProcessLaunch(CefRefPtr<CefCommandLine> command_line) override;
  void OnRenderProcessThreadCreated(CefRefPtr<CefListValue> extra_info) override;

  // CefRenderProcessHandler.
  void OnRenderThreadCreated(CefRefPtr<CefListValue> extra_info) override;
  void OnWebKitInitialized() override;
  void OnBrowserCreated(CefRefPtr<CefBrowser> browser) override;
  void OnBrowserDestroyed(CefRefPtr<CefBrowser> browser) override;
  bool OnBeforeNavigation(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                          CefRefPtr<CefRequest> request, NavigationType navigation_type,
                          bool is_redirect) override;
  void OnContextCreated(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                        CefRefPtr<CefV8Context> context) override;
  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                         CefRefPtr<CefV8Context> context) override;
  void OnUncaughtException(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Exception> exception,
                           CefRefPtr<CefV8StackTrace> stackTrace) override;
  void OnFocusedNodeChanged(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefDOMNode> node) override;
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefProcessId source_process,
                                CefRefPtr<CefProcessMessage> message) override;

  // The message bridge's side of the callbacks (message_bridge.cpp).
  void RegisterAppExtension();
  bool DispatchToMessageCallback(CefRefPtr<CefBrowser> browser,
                                 CefRefPtr<CefProcessMessage> message);
  void ReleaseMessageCallbacks(CefRefPtr<CefV8Context> context);

  typedef std::map<std::pair<std::string, int>,
                   std::pair<CefRefPtr<CefV8Context>, CefRefPtr<CefV8Value> > >
      CallbackMap;
  CallbackMap messageCallbacks;
  BrowserDelegateSet browserDelegates;
  RenderDelegateSet renderDelegates;
  // Schemes whose cookies the cookie manager handles.
  std::vector<CefString> cookieSchemes;

  IMPLEMENT_REFCOUNTING(ClientApp);
};

#endif  // RENDER_HELPER_CLIENT_APP_H_
