#include "render_process.h"

#include <cstdio>
#include <cstdlib>

#include "include/cef_scheme.h"
#include "script/JsString.h"
#include "script/ModuleLoader.h"
#include "script/ScriptValues.h"
#include "v8_exception_impl.h"

namespace cef_stand_in {
namespace {

thread_local RenderProcess* t_current = nullptr;

class SchemeRegistrarImpl : public CefSchemeRegistrar {
 public:
  // No custom scheme changes how this process runs scripts: accepted and not kept.
  bool AddCustomScheme(const CefString& scheme_name, bool, bool, bool) override {
    return !scheme_name.empty();
  }

 private:
  IMPLEMENT_REFCOUNTING(SchemeRegistrarImpl);
};

// console.log and console.error write to standard error, as a renderer logs console messages.
JSValueRef ConsoleWrite(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t argc,
                        const JSValueRef argv[], JSValueRef*) {
  std::string line = "[CONSOLE] ";
  for (size_t i = 0; i < argc; ++i) {
    if (i > 0) line += ' ';
    line += script::textOf(ctx, argv[i]);
  }
  line += '\n';
  std::fputs(line.c_str(), stderr);
  return JSValueMakeUndefined(ctx);
}

// A promise rejected without a handler by the end of its task is logged as the renderer logs it.
JSValueRef ReportUnhandledRejection(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t argc,
                                    const JSValueRef argv[], JSValueRef*) {
  std::string line = "[CONSOLE] Uncaught (in promise) " +
                     (argc > 1 ? script::textOf(ctx, argv[1]) : std::string("undefined")) + "\n";
  std::fputs(line.c_str(), stderr);
  return JSValueMakeUndefined(ctx);
}

void InstallConsole(JSGlobalContextRef ctx) {
  JSObjectRef console = JSObjectMake(ctx, nullptr, nullptr);
  for (const char* name : {"log", "error"}) {
    script::JsString key = script::JsString::fromUtf8(name);
    JSObjectSetProperty(ctx, console, key.get(),
                        JSObjectMakeFunctionWithCallback(ctx, key.get(), ConsoleWrite),
                        kJSPropertyAttributeNone, nullptr);
  }
  JSObjectSetProperty(ctx, JSContextGetGlobalObject(ctx), script::JsString::fromUtf8("console").get(),
                      console, kJSPropertyAttributeNone, nullptr);
  script::onUnhandledRejection(ctx, ReportUnhandledRejection);
}

}  // namespace

RenderProcess::RenderProcess(CefRefPtr<CefApp> app, int channel_fd,
                             CefRefPtr<CefCommandLine> command_line)
    : app_(app),
      command_line_(command_line),
      channel_(std::make_shared<cef_ipc::Channel>(channel_fd)),
      engine_(std::make_shared<ScriptEngine>()) {
  report_uncaught_ =
      std::atoi(command_line->GetSwitchValue("uncaught-exception-stack-size").ToString().c_str()) >
      0;
}

RenderProcess::~RenderProcess() { Shutdown(); }

RenderProcess* RenderProcess::Current() { return t_current; }

int RenderProcess::Run() {
  t_current = this;
  ScriptEngine::SetCurrent(engine_);
  if (app_) {
    app_->OnBeforeCommandLineProcessing("renderer", command_line_);
    app_->OnRegisterCustomSchemes(new SchemeRegistrarImpl());
    handler_ = app_->GetRenderProcessHandler();
  }
  int exit_code = 0;
  std::string bytes;
  while (channel_->Receive(bytes)) {
    cef_ipc::Frame request, reply;
    if (!cef_ipc::Decode(bytes, request)) {
      std::fprintf(stderr, "render process: malformed request from the browser process\n");
      exit_code = 1;
      break;
    }
    reply.kind = cef_ipc::Kind::kReply;
    reply.seq = request.seq;
    Handle(request, reply);
    std::string out;
    if (!cef_ipc::Encode(reply, out) || !channel_->Send(out)) break;
  }
  Shutdown();
  return exit_code;
}

void RenderProcess::Handle(const cef_ipc::Frame& request, cef_ipc::Frame& reply) {
  if (!started_ && request.kind != cef_ipc::Kind::kRenderThreadCreated) {
    reply.ok = false;
    reply.text = "render thread not started";
    return;
  }
  if (request.kind == cef_ipc::Kind::kRenderThreadCreated) {
    if (started_) {
      reply.ok = false;
      reply.text = "render thread already started";
      return;
    }
    started_ = true;
    if (handler_) {
      CefRefPtr<CefListValue> extra_info = request.list ? request.list : CefListValue::Create();
      handler_->OnRenderThreadCreated(extra_info);
      handler_->OnWebKitInitialized();
    }
    return;
  }
  if (request.kind == cef_ipc::Kind::kBrowserCreated) {
    CreateBrowser(request.browser_id, reply);
    return;
  }
  auto it = browsers_.find(request.browser_id);
  if (it == browsers_.end()) {
    reply.ok = false;
    reply.text = "no browser " + std::to_string(request.browser_id);
    return;
  }
  CefRefPtr<BrowserImpl> browser = it->second;
  switch (request.kind) {
    case cef_ipc::Kind::kBrowserDestroyed:
      DestroyBrowser(browser);
      browsers_.erase(request.browser_id);
      break;
    case cef_ipc::Kind::kLoad:
      Load(browser, request.frame_name, request.url, request.script, reply);
      break;
    case cef_ipc::Kind::kNavigate:
      Navigate(browser, request, reply);
      break;
    case cef_ipc::Kind::kFocusChanged:
      ChangeFocus(browser, request, reply);
      break;
    case cef_ipc::Kind::kProcessMessage:
      reply.ok = request.message && handler_ &&
                 handler_->OnProcessMessageReceived(browser.get(), PID_BROWSER, request.message);
      if (!reply.ok) reply.text = "not handled";
      break;
    default:
      reply.ok = false;
      reply.text = "unknown request";
      break;
  }
}

void RenderProcess::CreateBrowser(int id, cef_ipc::Frame& reply) {
  if (browsers_.count(id)) {
    reply.ok = false;
    reply.text = "browser " + std::to_string(id) + " exists";
    return;
  }
  CefRefPtr<BrowserImpl> browser = new BrowserImpl(id, next_frame_id_++, channel_);
  browsers_[id] = browser;
  if (handler_) handler_->OnBrowserCreated(browser.get());
}

void RenderProcess::DestroyBrowser(CefRefPtr<BrowserImpl> browser) {
  std::vector<CefRefPtr<FrameImpl>> frames;
  for (auto& entry : browser->frames()) frames.push_back(entry.second);
  for (CefRefPtr<FrameImpl>& frame : frames) ReleaseContext(browser, frame);
  if (handler_) handler_->OnBrowserDestroyed(browser.get());
  browser->Close();
}

void RenderProcess::Load(CefRefPtr<BrowserImpl> browser, const std::string& frame_name,
                         const std::string& url, const std::string& script,
                         cef_ipc::Frame& reply) {
  CefRefPtr<FrameImpl> frame = browser->FindFrame(frame_name);
  if (!frame) frame = browser->AddFrame(frame_name, next_frame_id_++);
  ReleaseContext(browser, frame);
  CefRefPtr<V8ContextImpl> context = CreateContext(browser, frame);
  frame->SetDocument(context, url);
  if (handler_) {
    // The new context is the current one while the handler sets it up, as in the framework, so
    // that the handler can create objects and functions in it.
    context->Enter();
    handler_->OnContextCreated(browser.get(), frame.get(), context.get());
    context->Exit();
  }

  CefRefPtr<CefV8Value> retval;
  CefRefPtr<CefV8Exception> exception;
  // A document whose script has import or export statements is a module; what it imports is read
  // from the files beside the one of its URL.
  const bool ran = script::isModuleSource(script) ? context->RunModule(script, url, exception)
                                                  : context->Run(script, url, retval, exception);
  if (!ran) {
    reply.ok = false;
    reply.text = exception->GetMessage().ToString();
    ReportUncaughtException(browser, frame, context, exception);
  }
}

void RenderProcess::Navigate(CefRefPtr<BrowserImpl> browser, const cef_ipc::Frame& request,
                             cef_ipc::Frame& reply) {
  CefRefPtr<FrameImpl> frame = browser->FindFrame(request.frame_name);
  if (!frame) {
    reply.ok = false;
    reply.text = "no frame '" + request.frame_name + "'";
    return;
  }
  CefRefPtr<CefRequest> navigation = new RequestImpl(request.url);
  if (handler_ && handler_->OnBeforeNavigation(browser.get(), frame.get(), navigation,
                                               NAVIGATION_LINK_CLICKED, false)) {
    reply.ok = false;
    reply.text = "navigation cancelled";
    return;
  }
  Load(browser, request.frame_name, request.url, request.script, reply);
}

void RenderProcess::ChangeFocus(CefRefPtr<BrowserImpl> browser, const cef_ipc::Frame& request,
                                cef_ipc::Frame& reply) {
  if (request.focus == cef_ipc::FocusTarget::kNone) {
    if (handler_) handler_->OnFocusedNodeChanged(browser.get(), NULL, NULL);
    return;
  }
  CefRefPtr<FrameImpl> frame = browser->FindFrame(request.frame_name);
  if (!frame) {
    reply.ok = false;
    reply.text = "no frame '" + request.frame_name + "'";
    return;
  }
  CefRefPtr<CefDOMNode> node =
      new DOMNodeImpl(request.focus == cef_ipc::FocusTarget::kEditable);
  if (handler_) handler_->OnFocusedNodeChanged(browser.get(), frame.get(), node);
}

void RenderProcess::ReleaseContext(CefRefPtr<BrowserImpl> browser, CefRefPtr<FrameImpl> frame) {
  CefRefPtr<V8ContextImpl> context = frame->context();
  if (!context) return;
  if (handler_) handler_->OnContextReleased(browser.get(), frame.get(), context.get());
  context->Invalidate();
  frame->SetDocument(NULL, std::string());
}

CefRefPtr<V8ContextImpl> RenderProcess::CreateContext(CefRefPtr<BrowserImpl> browser,
                                                      CefRefPtr<FrameImpl> frame) {
  CefRefPtr<V8ContextImpl> context = new V8ContextImpl(engine_, browser.get(), frame.get());
  InstallConsole(context->ctx());
  for (const Extension& extension : extensions_) {
    std::string error;
    if (!InstallExtension(context.get(), extension, error))
      std::fprintf(stderr, "[CONSOLE] extension %s: %s\n", extension.name.c_str(), error.c_str());
  }
  return context;
}

void RenderProcess::ReportUncaughtException(CefRefPtr<BrowserImpl> browser,
                                            CefRefPtr<FrameImpl> frame,
                                            CefRefPtr<V8ContextImpl> context,
                                            CefRefPtr<CefV8Exception> exception) {
  std::fprintf(stderr, "[CONSOLE] %s, source: %s (%d)\n", exception->GetMessage().ToString().c_str(),
               exception->GetScriptResourceName().ToString().c_str(), exception->GetLineNumber());
  if (!report_uncaught_ || !handler_) return;
  CefRefPtr<CefV8StackTrace> trace =
      static_cast<V8ExceptionImpl*>(exception.get())->GetStackTrace();
  handler_->OnUncaughtException(browser.get(), frame.get(), context.get(), exception, trace);
}

bool RenderProcess::RegisterExtension(const CefString& name, const CefString& code,
                                      CefRefPtr<CefV8Handler> handler) {
  if (name.empty() || !handler) return false;
  extensions_.push_back(MakeExtension(name.ToString(), code.ToString(), handler));
  return true;
}

void RenderProcess::Shutdown() {
  if (!engine_) return;
  // The browser process is gone: every browser closes, as it would when its window closes.
  std::map<int, CefRefPtr<BrowserImpl>> browsers;
  browsers.swap(browsers_);
  for (auto& entry : browsers) DestroyBrowser(entry.second);
  browsers.clear();
  engine_->Shutdown();
  extensions_.clear();
  handler_ = NULL;
  channel_->Close();
  ScriptEngine::SetCurrent(nullptr);
  engine_.reset();
  if (t_current == this) t_current = nullptr;
}

}  // namespace cef_stand_in

bool CefRegisterExtension(const CefString& extension_name, const CefString& javascript_code,
                          CefRefPtr<CefV8Handler> handler) {
  cef_stand_in::RenderProcess* process = cef_stand_in::RenderProcess::Current();
  return process && process->RegisterExtension(extension_name, javascript_code, handler);
}
