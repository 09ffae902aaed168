// Escaping of a key's characters for the JSON text of the key layout export.
#ifndef QUORVEX_RENDERHELPER_KEYVALUEESCAPE_H
#define QUORVEX_RENDERHELPER_KEYVALUEESCAPE_H

#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

// The characters as they stand between the quotes of "V": a backslash goes in front of each '"'
// and '\' (for the single character a key normally produces that is one backslash in front of
// the whole value), and control characters (U+0000-U+001F, U+007F) become \u00XX. Everything
// else is copied unchanged, so the export stays valid JSON whatever a layout produces.
std::string EscapeKeyValue(const std::string& characters);

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
