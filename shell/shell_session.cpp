#include "shell_session.h"

#include <fstream>
#include <sstream>

#include "list_text.h"

namespace shell {

bool ReadFile(const std::string& path, std::string& contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream buffer;
  buffer << file.rdbuf();
  contents = buffer.str();
  return true;
}

ShellSession::ShellSession(RenderHost& host, std::ostream& out) : host_(host), out_(out) {}

bool ShellSession::Open(const std::string& page) {
  return RunCommand("browser new") && LoadFile(page, "", false);
}

void ShellSession::Report(const std::string& what, const Result& result) {
  out_ << what;
  if (!result.ok) out_ << ": " << result.text;
  out_ << "\n";
  PrintMessages();
}

void ShellSession::PrintMessages() {
  for (const ReceivedMessage& received : host_.TakeMessages()) {
    out_ << "<- browser " << received.browser_id << ": " << received.message->GetName().ToString()
         << " " << FormatList(received.message->GetArgumentList()) << "\n";
  }
}

bool ShellSession::LoadFile(const std::string& path, const std::string& frame, bool navigate) {
  std::string script;
  if (!ReadFile(path, script)) {
    out_ << "cannot read " << path << "\n";
    return false;
  }
  std::string url = "file://" + path;
  Result result = navigate ? host_.Navigate(current_browser_, script, url, frame)
                           : host_.Load(current_browser_, script, url, frame);
  Report(std::string(navigate ? "navigated" : "loaded") + " " + path, result);
  return result.ok;
}

bool ShellSession::RunCommand(const std::string& line) {
  std::istringstream words(line);
  std::string command;
  if (!(words >> command) || command[0] == '#') return true;
  if (command == "quit") return false;
  if (command == "send") {
    std::string name, rest;
    words >> name;
    std::getline(words, rest);
    CefRefPtr<CefProcessMessage> message = CefProcessMessage::Create(name);
    if (!message) {
      out_ << "usage: send NAME [LIST]\n";
      return true;
    }
    std::string error;
    if (rest.find_first_not_of(" \t") != std::string::npos &&
        !ParseList(rest, message->GetArgumentList(), error)) {
      out_ << error << "\n";
      return true;
    }
    Result result = host_.SendProcessMessage(current_browser_, message);
    out_ << "-> browser " << current_browser_ << ": " << name << " "
         << FormatList(message->GetArgumentList()) << (result.ok ? " (handled)" : " (not handled)")
         << "\n";
    PrintMessages();
    return true;
  }
  if (command == "load" || command == "navigate") {
    std::string path, frame;
    words >> path >> frame;
    if (path.empty()) out_ << "usage: " << command << " FILE [FRAME]\n";
    else LoadFile(path, frame, command == "navigate");
    return true;
  }
  if (command == "focus") {
    std::string target, frame;
    words >> target >> frame;
    FocusTarget focus;
    if (target == "editable") focus = FocusTarget::kEditable;
    else if (target == "other") focus = FocusTarget::kNonEditable;
    else if (target == "none") focus = FocusTarget::kNone;
    else {
      out_ << "usage: focus editable|other|none [FRAME]\n";
      return true;
    }
    Report("focus " + target, host_.Focus(current_browser_, focus, frame));
    return true;
  }
  if (command == "browser") {
    std::string action;
    int id = 0;
    words >> action >> id;
    if (action == "new") {
      id = next_browser_++;
      Result result = host_.CreateBrowser(id);
      if (result.ok) current_browser_ = id;
      Report("browser " + std::to_string(id) + " created", result);
    } else if (action == "close") {
      Report("browser " + std::to_string(id) + " closed", host_.DestroyBrowser(id));
    } else if (action == "use") {
      current_browser_ = id;
      out_ << "using browser " << id << "\n";
    } else {
      out_ << "usage: browser new | browser close N | browser use N\n";
    }
    return true;
  }
  out_ << "unknown command: " << command
       << " (send, load, navigate, focus, browser, quit)\n";
  return true;
}

}  // namespace shell
