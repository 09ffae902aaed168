#include "page_methods/MethodAnswer.h"

#include <utility>

namespace page_methods {

MethodAnswer MethodAnswer::fixed(const char* text)
{
    MethodAnswer answer;
    answer.kind_ = FIXED;
    answer.fixed_ = text;
    return answer;
}

MethodAnswer MethodAnswer::fromEngine(char* text)
{
    MethodAnswer answer;
    answer.kind_ = ENGINE;
    answer.engine_.reset(text);
    return answer;
}

MethodAnswer MethodAnswer::fromString(std::string text)
{
    MethodAnswer answer;
    answer.kind_ = OWN;
    answer.own_ = std::move(text);
    return answer;
}

const char* MethodAnswer::text() const
{
    switch (kind_) {
    case FIXED: return fixed_;
    case ENGINE: return engine_.get();
    case OWN: return own_.c_str();
    case NONE: break;
    }
    return nullptr;
}

} // namespace page_methods
