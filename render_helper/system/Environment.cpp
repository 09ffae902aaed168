#include "Environment.h"

#include <cstdlib>
#include <utility>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

EnvironmentLookup ProcessEnvironment()
{
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value == nullptr)
            return std::nullopt;
        return std::string(value);
    };
}

EnvironmentLookup FixedEnvironment(std::map<std::string, std::string> variables)
{
    return [variables = std::move(variables)](const std::string& name) -> std::optional<std::string> {
        auto found = variables.find(name);
        if (found == variables.end())
            return std::nullopt;
        return found->second;
    };
}

std::optional<std::string> NonEmptyVariable(const EnvironmentLookup& environment, const std::string& name)
{
    std::optional<std::string> value = environment(name);
    if (!value || value->empty())
        return std::nullopt;
    return value;
}

}}}} // namespace quorvex::lumora::client::renderhelper
