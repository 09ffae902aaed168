// Page arguments as the engine takes them: integers and NUL-terminated texts.
#ifndef PAGE_METHODS_ARGUMENTCONVERSION_H
#define PAGE_METHODS_ARGUMENTCONVERSION_H

#include <cstdint>
#include <memory>

#include "page_methods/ScriptValue.h"

namespace page_methods {

// An Int32 gives its value; a Double its value truncated toward zero, or -1 when that does not fit
// 32 bits (NaN and infinities included); any other type, or an argument the page did not pass, -1.
int32_t intArgument(const ScriptValue* args, uint32_t argCount, uint32_t index);

using OwnedText = std::unique_ptr<char[]>;

// A String gives a new[] array holding its bytes up to the first NUL, NUL-terminated; any other
// type gives null.
OwnedText textOf(const ScriptValue& value);

// textOf for a position that the page may not have passed (null then).
OwnedText textArgument(const ScriptValue* args, uint32_t argCount, uint32_t index);

} // namespace page_methods

#endif
