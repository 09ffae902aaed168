// A browser with the plug-in under test (beside the fake engine) loaded and one page open, for tests
// that use the plug-in as a page would. Closing the page checks that nothing leaked.
#ifndef DEVICE_PLUGIN_TESTS_PLUGINHARNESS_H
#define DEVICE_PLUGIN_TESTS_PLUGINHARNESS_H

#include <memory>
#include <sstream>
#include <string>

#include "FakeEngineClient.h"
#include "nphost/LeakCheck.h"
#include "nphost/Browser.h"
#include "nphost/Page.h"
#include "nphost/PluginModule.h"

namespace device_plugin_tests {

class PluginHarness {
public:
    explicit PluginHarness(const std::string& pluginPath = pluginUnderTest());
    ~PluginHarness();

    // Opens the page (once the browser is set up as the test wants it).
    nphost::Page& openPage();
    // Runs script on the open page (see ScriptContext::evaluate for the answer's form).
    std::string evaluate(const std::string& code);
    // Closes the page and returns what leaked (empty when nothing did).
    std::string closePage();

    nphost::LeakCheck leaks;
    nphost::Browser browser;
    FakeEngineClient engine;
    nphost::PluginModule module;
    std::unique_ptr<nphost::Page> page;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace device_plugin_tests

#endif
