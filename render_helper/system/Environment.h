// Looking up environment variables through a replaceable function.
//
// The keyboard and configuration-directory lookups read the environment on every call; tests
// hand them a fixed table instead of the process environment.
#ifndef QUORVEX_RENDERHELPER_ENVIRONMENT_H
#define QUORVEX_RENDERHELPER_ENVIRONMENT_H

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The value of a variable, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// The environment of this process, read at the moment of each lookup.
EnvironmentLookup ProcessEnvironment();

// A fixed set of variables; any other name is unset.
EnvironmentLookup FixedEnvironment(std::map<std::string, std::string> variables);

// The value of a variable when it is set and not empty.
std::optional<std::string> NonEmptyVariable(const EnvironmentLookup& environment, const std::string& name);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
