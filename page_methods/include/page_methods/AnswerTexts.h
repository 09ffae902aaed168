// Answers of the page object itself, in the engine's {{code|text}} form: 998 when the engine left
// its answer empty, 999 when it failed. Pages match these bytes, including the shared exception text.
#ifndef PAGE_METHODS_ANSWERTEXTS_H
#define PAGE_METHODS_ANSWERTEXTS_H

namespace page_methods {

constexpr char EXCEPTION_TEXT[] = "{{999|Unexpected exception in cancel command}}";
constexpr char NULL_RESPONSE_EXECUTE_TEXT[] = "{{998|Null response from KVE in execute command}}";
constexpr char NULL_RESPONSE_CANCEL_TEXT[] = "{{998|Null response from KVE in cancel command}}";
constexpr char CLEANUP_ALL_TEXT[] = "{{0|Cleanup all successfully executed!}}";
constexpr char PLUGIN_VERSION_KEY[] = "plugin_version";
constexpr char PLUGIN_VERSION[] = "2.0";

} // namespace page_methods

#endif
