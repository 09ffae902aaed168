#ifndef CEF_SRC_EXTENSION_H_
#define CEF_SRC_EXTENSION_H_

#include <string>
#include <vector>

#include "include/cef_v8.h"

namespace cef_stand_in {

class V8ContextImpl;

// A registered script extension, ready to run in new contexts.
struct Extension {
  std::string name;
  // The source (UTF-8) with its native function declarations blanked out.
  std::string code;
  std::vector<std::string> natives;
  CefRefPtr<CefV8Handler> handler;
};

// Finds the declarations "native function NAME();" in |code| (at any nesting), lists their names
// and blanks them out with spaces, keeping lines and columns. The declarations are found by their
// tokens alone, so one written inside a string literal or a comment counts too.
Extension MakeExtension(const std::string& name, const std::string& code,
                        CefRefPtr<CefV8Handler> handler);

// Runs |extension| in |context|, with each declared native function in scope as a function that
// calls the handler by its name. Returns false when the extension's code threw.
bool InstallExtension(V8ContextImpl* context, const Extension& extension, std::string& error);

}  // namespace cef_stand_in

#endif  // CEF_SRC_EXTENSION_H_
