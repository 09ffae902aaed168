#ifndef CEF_INCLUDE_INTERNAL_CEF_LINUX_H_
#define CEF_INCLUDE_INTERNAL_CEF_LINUX_H_

// The process's own command line, as main() received it.
class CefMainArgs {
 public:
  CefMainArgs() : argc(0), argv(0) {}
  CefMainArgs(int argc_arg, char** argv_arg) : argc(argc_arg), argv(argv_arg) {}

  int argc;
  char** argv;
};

#endif  // CEF_INCLUDE_INTERNAL_CEF_LINUX_H_
