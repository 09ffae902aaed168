// The shell's sub-process executable: every role the framework starts it in runs here.
#include "client_app.h"
#include "include/cef_app.h"

int main(int argc, char* argv[]) {
  CefMainArgs main_args(argc, argv);
  CefRefPtr<ClientApp> app(new ClientApp);
  return CefExecuteProcess(main_args, app.get(), NULL);
}
