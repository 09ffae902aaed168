#include "nphost/Browser.h"

#include "BrowserFunctions.h"

namespace nphost {

Browser::Browser()
{
    fillBrowserFunctions(functions_);
    answers_[NPNVjavascriptEnabledBool] = Answer{NPERR_NO_ERROR, true};
    answers_[NPNVSupportsWindowless] = Answer{NPERR_NO_ERROR, true};
    answers_[NPNVisOfflineBool] = Answer{NPERR_NO_ERROR, false};
    answers_[NPNVprivateModeBool] = Answer{NPERR_NO_ERROR, false};
}

void Browser::answerValue(NPNVariable variable, bool value, NPError error)
{
    answers_[variable] = Answer{error, value};
}

void Browser::forgetValue(NPNVariable variable)
{
    answers_.erase(variable);
}

Browser* Browser::of(NPP instance)
{
    return instance ? static_cast<Browser*>(instance->ndata) : nullptr;
}

NPError Browser::getValue(NPNVariable variable, void* value) const
{
    auto found = answers_.find(variable);
    if (found == answers_.end())
        return NPERR_GENERIC_ERROR;
    if (found->second.error == NPERR_NO_ERROR && value)
        *static_cast<NPBool*>(value) = found->second.value;
    return found->second.error;
}

NPError Browser::setValue(NPP instance, NPPVariable variable, void* value)
{
    setValueCalls_.push_back(SetValueCall{instance, variable, reinterpret_cast<intptr_t>(value)});
    return NPERR_NO_ERROR;
}

void Browser::queueAsyncCall(std::function<void()> call)
{
    std::lock_guard<std::mutex> lock(asyncMutex_);
    asyncCalls_.push_back(std::move(call));
}

void Browser::runAsyncCalls()
{
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard<std::mutex> lock(asyncMutex_);
            if (asyncCalls_.empty())
                return;
            call = std::move(asyncCalls_.front());
            asyncCalls_.pop_front();
        }
        call();
    }
}

} // namespace nphost
