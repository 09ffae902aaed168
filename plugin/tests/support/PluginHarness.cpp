#include "PluginHarness.h"

namespace device_plugin_tests {

PluginHarness::PluginHarness(const std::string& pluginPath) : module(browser, pluginPath) {}

PluginHarness::~PluginHarness()
{
    page.reset();
}

nphost::Page& PluginHarness::openPage()
{
    page = std::make_unique<nphost::Page>(module, out, err);
    return *page;
}

std::string PluginHarness::evaluate(const std::string& code)
{
    if (!page)
        openPage();
    return page->script().evaluate(code);
}

std::string PluginHarness::closePage()
{
    const uint64_t instanceObjects = page ? page->instanceObjects() : 0;
    page.reset();
    return leaks.problems(instanceObjects);
}

} // namespace device_plugin_tests
