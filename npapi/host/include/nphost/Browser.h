// The browser side of the plug-in interface: the function table a plug-in receives, and the settings
// a test or the page runner gives it (version, user agent, answers to NPN_GetValue).
#ifndef NPHOST_BROWSER_H
#define NPHOST_BROWSER_H

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <npapi/npfunctions.h>

namespace nphost {

class Browser {
public:
    static constexpr char DEFAULT_USER_AGENT[] = "Mozilla/5.0 (X11; Linux x86_64) RemoteBridgeHost/1.0";

    Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    NPNetscapeFuncs* functions() { return &functions_; }

    void setVersion(uint16_t version) { functions_.version = version; }
    const std::string& userAgent() const { return userAgent_; }
    void setUserAgent(std::string userAgent) { userAgent_ = std::move(userAgent); }

    // NPN_GetValue for a boolean variable answers `value` with `error`; a variable without an answer
    // fails with NPERR_GENERIC_ERROR. A new browser supports windowless plug-ins and script.
    void answerValue(NPNVariable variable, bool value, NPError error = NPERR_NO_ERROR);
    void forgetValue(NPNVariable variable);

    struct SetValueCall {
        NPP instance;
        NPPVariable variable;
        intptr_t value; // the pointer argument, which carries models and flags by value
    };
    // Every NPN_SetValue a plug-in made, in order.
    const std::vector<SetValueCall>& setValueCalls() const { return setValueCalls_; }

    // Calls a plug-in asked to have run on the browser's thread (NPN_PluginThreadAsyncCall).
    void runAsyncCalls();

    // For the function table: the browser an instance belongs to (null when the plug-in passed none).
    static Browser* of(NPP instance);
    NPError getValue(NPNVariable variable, void* value) const;
    NPError setValue(NPP instance, NPPVariable variable, void* value);
    void queueAsyncCall(std::function<void()> call);

private:
    struct Answer {
        NPError error;
        bool value;
    };

    NPNetscapeFuncs functions_;
    std::string userAgent_ = DEFAULT_USER_AGENT;
    std::map<NPNVariable, Answer> answers_;
    std::vector<SetValueCall> setValueCalls_;
    std::mutex asyncMutex_;
    std::deque<std::function<void()>> asyncCalls_;
};

// NPN_SetException messages wait here until the script binding that made the call picks them up.
std::string takeScriptException();

} // namespace nphost

#endif
