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
    uint64_t instanceObjects = 0;
    if (page)
        for (size_t i = 0; i < page->instanceCount(); ++i)
            instanceObjects += page->instance(i).npp()->pdata ? 1 : 0;
    page.reset();
    return leaks.problems(instanceObjects);
}

} // namespace device_plugin_tests
