// How a text answer is handed back to page script.
#ifndef DEVICE_PLUGIN_STRINGRESULT_H
#define DEVICE_PLUGIN_STRINGRESULT_H

#include <npapi/npruntime.h>

namespace device_plugin {

// Copies text (up to its NUL) into browser memory and makes it the string result; the browser owns
// the copy from then on. If the browser cannot allocate, the result is null rather than a bad string.
void setStringResult(NPVariant* result, const char* text);

} // namespace device_plugin

#endif
