// The page's message bridge: the global "app" object that sends named messages to the browser
// process and registers page callbacks for the messages it sends back.
#include "client_app.h"
#include "list_conversion.h"

namespace {

const char kAppExtensionName[] = "v8/app";

const char kAppExtensionSource[] =
    "var app;if (!app)  app = {};(function() {  app.sendMessage = function(name, arguments) {    "
    "native function sendMessage();    return sendMessage(name, arguments);  };  "
    "app.setMessageCallback = function(name, callback) {    native function setMessageCallback();"
    "    return setMessageCallback(name, callback);  };  app.removeMessageCallback = "
    "function(name) {    native function removeMessageCallback();    return "
    "removeMessageCallback(name);  };})();";

const char kInvalidArguments[] = "Invalid method arguments";

// The identifier of the browser whose page runs in |context|.
bool BrowserIdOf(CefRefPtr<CefV8Context> context, int& browser_id) {
  CefRefPtr<CefBrowser> browser = context.get() ? context->GetBrowser() : NULL;
  if (!browser.get()) return false;
  browser_id = browser->GetIdentifier();
  return true;
}

// The native side of the "app" functions.
class ClientAppExtensionHandler : public CefV8Handler {
 public:
  explicit ClientAppExtensionHandler(CefRefPtr<ClientApp> client_app) : client_app_(client_app) {}

  bool Execute(const CefString& name, CefRefPtr<CefV8Value> /*object*/,
               const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
               CefString& exception) override {
    bool handled = false;
    if (name == "sendMessage") {
      handled = SendMessage(arguments);
    } else if (name == "setMessageCallback") {
      CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
      int browser_id;
      if (arguments.size() == 2 && arguments[0]->IsString() && arguments[1]->IsFunction() &&
          BrowserIdOf(context, browser_id)) {
        client_app_->SetMessageCallback(arguments[0]->GetStringValue(), browser_id, context,
                                        arguments[1]);
        handled = true;
      }
    } else if (name == "removeMessageCallback") {
      int browser_id;
      if (arguments.size() == 1 && arguments[0]->IsString() &&
          BrowserIdOf(CefV8Context::GetCurrentContext(), browser_id)) {
        bool removed = client_app_->RemoveMessageCallback(arguments[0]->GetStringValue(),
                                                          browser_id);
        retval = CefV8Value::CreateBool(removed);
        handled = true;
      }
    }
    if (!handled) exception = kInvalidArguments;
    return true;
  }

 private:
  // app.sendMessage(name[, array]): false when the arguments are not accepted.
  bool SendMessage(const CefV8ValueList& arguments) {
    if ((arguments.size() != 1 && arguments.size() != 2) || !arguments[0]->IsString())
      return false;
    CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
    CefRefPtr<CefBrowser> browser = context.get() ? context->GetBrowser() : NULL;
    CefString name = arguments[0]->GetStringValue();
    if (name.empty() || !browser.get()) return false;
    CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(name);
    // Only an array supplies arguments; anything else leaves the list empty.
    if (arguments.size() == 2 && arguments[1]->IsArray() &&
        !SetList(arguments[1], message->GetArgumentList()))
      return false;
    browser->SendProcessMessage(PID_BROWSER, message);
    return true;
  }

  CefRefPtr<ClientApp> client_app_;

  IMPLEMENT_REFCOUNTING(ClientAppExtensionHandler);
};

}  // namespace

void ClientApp::RegisterAppExtension() {
  CefRegisterExtension(kAppExtensionName, kAppExtensionSource,
                       new ClientAppExtensionHandler(this));
}

void ClientApp::SetMessageCallback(const std::string& message_name, int browser_id,
                                   CefRefPtr<CefV8Context> context,
                                   CefRefPtr<CefV8Value> function) {
  // insert keeps an existing registration: the first one wins.
  messageCallbacks.insert(
      std::make_pair(std::make_pair(message_name, browser_id), std::make_pair(context, function)));
}

bool ClientApp::RemoveMessageCallback(const std::string& message_name, int browser_id) {
  return messageCallbacks.erase(std::make_pair(message_name, browser_id)) > 0;
}

bool ClientApp::DispatchToMessageCallback(CefRefPtr<CefBrowser> browser,
                                          CefRefPtr<CefProcessMessage> message) {
  if (messageCallbacks.empty()) return false;
  CallbackMap::const_iterator it = messageCallbacks.find(
      std::make_pair(message->GetName().ToString(), browser->GetIdentifier()));
  if (it == messageCallbacks.end()) return false;

  // Own references: the callback may remove its own registration while it runs.
  CefRefPtr<CefV8Context> context = it->second.first;
  CefRefPtr<CefV8Value> callback = it->second.second;
  if (!context->Enter()) return false;

  CefV8ValueList arguments;
  arguments.push_back(CefV8Value::CreateString(message->GetName()));
  CefRefPtr<CefListValue> list = message->GetArgumentList();
  CefRefPtr<CefV8Value> array = CefV8Value::CreateArray(static_cast<int>(list->GetSize()));
  bool handled = false;
  if (array.get()) {
    SetList(list, array);
    arguments.push_back(array);
    CefRefPtr<CefV8Value> retval = callback->ExecuteFunction(NULL, arguments);
    // Only a callback that returns the boolean true has handled the message.
    handled = retval.get() && retval->IsBool() && retval->GetBoolValue();
  }
  context->Exit();
  return handled;
}

void ClientApp::ReleaseMessageCallbacks(CefRefPtr<CefV8Context> context) {
  for (CallbackMap::iterator it = messageCallbacks.begin(); it != messageCallbacks.end();) {
    if (it->second.first->IsSame(context))
      it = messageCallbacks.erase(it);
    else
      ++it;
  }
}
