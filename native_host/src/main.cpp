// remote-bridge-host: the native messaging host that lets a browser extension reach the remotes.
// The browser starts it with the extension's origin as an argument and speaks to it over standard
// input and output; diagnostics go to standard error.
#include <csignal>
#include <iostream>
#include <sys/signalfd.h>
#include <unistd.h>

#include "DeviceWatch.h"
#include "HostLoop.h"
#include "SuperSimpleEngineFactory.h"

int main()
{
    // The stop signals arrive as a descriptor, so that the host can release the remotes first.
    // Blocked before the engine starts its worker, so that no other thread takes them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGHUP);
    sigprocmask(SIG_BLOCK, &stop, nullptr);
    const int signalFd = signalfd(-1, &stop, SFD_CLOEXEC | SFD_NONBLOCK);
    // A browser that closed the port makes writes fail rather than kill the host.
    std::signal(SIGPIPE, SIG_IGN);

    using quorvex::lumora::client::corvane::superstupiddummyengine::SuperSimpleEngineFactory;
    page_methods::Engine* engine = nullptr;
    try {
        engine = SuperSimpleEngineFactory::createSuperSimpleDummyEngine();
    } catch (...) {
        std::cerr << "remote-bridge-host: the engine could not start" << std::endl;
    }
    const std::unique_ptr<native_host::DeviceWatch> watch = native_host::watchRemotes();
    return native_host::runHost(engine, STDIN_FILENO, STDOUT_FILENO, watch.get(), signalFd);
}
