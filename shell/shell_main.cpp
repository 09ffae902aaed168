// bridge-shell: a minimal browser process for render-helper. See README.md.
#include <climits>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bundle_info.h"
#include "preference_file.h"
#include "render_host.h"
#include "shell_session.h"

namespace {

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string text(path, static_cast<size_t>(n));
  return text.substr(0, text.rfind('/'));
}

int Usage() {
  std::cerr << "usage: bridge-shell [--helper PATH] [--bundle-version VERSION] PAGE.js\n"
               "then commands on standard input: send NAME [LIST], load FILE [FRAME],\n"
               "navigate FILE [FRAME], focus editable|other|none [FRAME],\n"
               "browser new|close N|use N, quit\n";
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string helper = ExecutableDirectory() + "/render-helper";
  std::string version;
  bool version_given = false;
  std::string page;
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument == "--helper" && i + 1 < argc) {
      helper = argv[++i];
    } else if (argument == "--bundle-version" && i + 1 < argc) {
      version = argv[++i];
      version_given = true;
    } else if (!argument.empty() && argument[0] != '-' && page.empty()) {
      page = argument;
    } else {
      return Usage();
    }
  }
  if (page.empty()) return Usage();
  // The helper names the preference file after the version in its bundle information file: take
  // the same one, so that the page's cache-clearing request lands in the file made here.
  if (!version_given) {
    std::string directory = shell::ProgramDirectory(helper);
    version = shell::ReadBundleVersion(directory);
    if (version.empty())
      std::cerr << "no version in " << directory << "/" << shell::kBundleInfoFileName << "\n";
  }

  if (!shell::CreatePreferenceFile(version))
    std::cerr << "cannot create " << shell::PreferenceFilePath(version) << "\n";
  std::unique_ptr<shell::RenderHost> host =
      shell::RenderHost::Launch(helper, {"--uncaught-exception-stack-size=10"});
  if (!host) {
    std::cerr << "cannot start " << helper << "\n";
    return 1;
  }
  shell::ShellSession session(*host, std::cout);
  session.Open(page);
  std::string line;
  while (std::getline(std::cin, line) && session.RunCommand(line)) {
  }
  int exit_code = host->Shutdown();
  std::cout << "render-helper exited with " << exit_code << "\n";
  return exit_code == 0 ? 0 : 1;
}
