// Texts handed back to page script, and how they are handed over.
#ifndef DEVICE_PLUGIN_RESULTTEXT_H
#define DEVICE_PLUGIN_RESULTTEXT_H

#include <npapi/npruntime.h>

namespace device_plugin {

// Answers of the plug-in itself, in the engine's {{code|text}} form: 998 when the engine left its
// answer empty, 999 when it failed. Pages match these bytes, including the shared exception text.
constexpr char EXCEPTION_TEXT[] = "{{999|Unexpected exception in cancel command}}";
constexpr char NULL_RESPONSE_EXECUTE_TEXT[] = "{{998|Null response from KVE in execute command}}";
constexpr char NULL_RESPONSE_CANCEL_TEXT[] = "{{998|Null response from KVE in cancel command}}";
constexpr char CLEANUP_ALL_TEXT[] = "{{0|Cleanup all successfully executed!}}";
constexpr char PLUGIN_VERSION_KEY[] = "plugin_version";
constexpr char PLUGIN_VERSION[] = "2.0";

// Copies text (up to its NUL) into browser memory and makes it the string result; the browser owns
// the copy from then on. If the browser cannot allocate, the result is null rather than a bad string.
void setStringResult(NPVariant* result, const char* text);

} // namespace device_plugin

#endif
