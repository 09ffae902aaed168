// The seven methods of the page object: convert the page's arguments, call the engine, answer with
// a text (or null). No exception leaves them: engine failures become the page object's own texts.
// Both the browser plug-in and the native messaging host answer pages through these.
#ifndef PAGE_METHODS_PAGEMETHODS_H
#define PAGE_METHODS_PAGEMETHODS_H

#include <cstdint>

#include "ISuperSimpleDummyEngine.h"
#include "page_methods/MethodAnswer.h"
#include "page_methods/MethodNames.h"
#include "page_methods/ScriptValue.h"

namespace page_methods {

using Engine = quorvex::lumora::client::corvane::superstupiddummyengine::ISuperSimpleDummyEngine;

// engine may be null (it could not be started): the methods then answer as if it had failed.
MethodAnswer invokeMethod(Engine* engine, MethodIndex method, const ScriptValue* args, uint32_t argCount) noexcept;

} // namespace page_methods

#endif
