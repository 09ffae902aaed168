// What this executable puts into the application object.
#include "client_app.h"
#include "client_renderer.h"

void ClientApp::CreateBrowserDelegates(BrowserDelegateSet& /*delegates*/) {}

void ClientApp::CreateRenderDelegates(RenderDelegateSet& delegates) {
  client_renderer::CreateRenderDelegates(delegates);
}

void ClientApp::RegisterCustomSchemes(CefRefPtr<CefSchemeRegistrar> /*registrar*/,
                                      std::vector<CefString>& /*cookiable_schemes*/) {}
