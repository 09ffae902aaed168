#include "command_line_impl.h"

#include <mutex>

namespace cef_stand_in {
namespace {

std::mutex g_global_mutex;
CefRefPtr<CefCommandLine> g_global_command_line;

// "--name=value" → (name, value); "--name" → (name, ""). Returns false for other arguments.
bool ParseSwitch(const std::string& argument, std::string& name, std::string& value) {
  if (argument.size() <= 2 || argument.compare(0, 2, "--") != 0) return false;
  size_t equals = argument.find('=');
  name = argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
  value = equals == std::string::npos ? std::string() : argument.substr(equals + 1);
  return !name.empty();
}

}  // namespace

void CommandLineImpl::InitFromArgv(int argc, const char* const* argv) {
  if (read_only_) return;
  program_.clear();
  arguments_.clear();
  switches_.clear();
  if (argc < 1 || !argv) return;
  program_ = argv[0] ? argv[0] : "";
  bool switches_end = false;
  for (int i = 1; i < argc; ++i) {
    if (!argv[i]) continue;
    std::string argument = argv[i];
    arguments_.push_back(argument);
    // A bare "--" ends the switches; what follows is taken literally.
    if (argument == "--") switches_end = true;
    std::string name, value;
    if (!switches_end && ParseSwitch(argument, name, value)) switches_[name] = value;
  }
}

void CommandLineImpl::GetArgv(std::vector<CefString>& argv) {
  argv.clear();
  argv.push_back(program_);
  for (const std::string& argument : arguments_) argv.push_back(argument);
}

void CommandLineImpl::SetProgram(const CefString& program) {
  if (!read_only_) program_ = program.ToString();
}

bool CommandLineImpl::HasSwitch(const CefString& name) {
  return switches_.count(name.ToString()) != 0;
}

CefString CommandLineImpl::GetSwitchValue(const CefString& name) {
  auto it = switches_.find(name.ToString());
  return it == switches_.end() ? CefString() : CefString(it->second);
}

void CommandLineImpl::AppendSwitch(const CefString& name) { AppendSwitchWithValue(name, ""); }

void CommandLineImpl::AppendSwitchWithValue(const CefString& name, const CefString& value) {
  if (read_only_ || name.empty()) return;
  std::string argument = "--" + name.ToString();
  if (!value.empty()) argument += "=" + value.ToString();
  arguments_.push_back(argument);
  switches_[name.ToString()] = value.ToString();
}

void CommandLineImpl::AppendArgument(const CefString& argument) {
  if (!read_only_) arguments_.push_back(argument.ToString());
}

void SetGlobalCommandLine(CefRefPtr<CefCommandLine> command_line) {
  std::lock_guard<std::mutex> lock(g_global_mutex);
  g_global_command_line = command_line;
}

}  // namespace cef_stand_in

CefRefPtr<CefCommandLine> CefCommandLine::CreateCommandLine() {
  return new cef_stand_in::CommandLineImpl();
}

CefRefPtr<CefCommandLine> CefCommandLine::GetGlobalCommandLine() {
  std::lock_guard<std::mutex> lock(cef_stand_in::g_global_mutex);
  return cef_stand_in::g_global_command_line;
}
