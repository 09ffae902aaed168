#ifndef SHELL_LIST_TEXT_H_
#define SHELL_LIST_TEXT_H_

#include <string>

#include "include/cef_values.h"

namespace shell {

// List values as text, in JSON array notation: [1, 2.5, "text", true, null, [3]].
// A number without fraction or exponent that fits 32 bits is an int, any other number a double;
// doubles always print with a fraction or exponent (3.0), so the two stay apart.

// Parses |text| into |list| (for example a message's argument list); on failure returns false
// with |error| saying where, and |list| holds what was read up to there.
bool ParseList(const std::string& text, CefRefPtr<CefListValue> list, std::string& error);

std::string FormatList(CefRefPtr<CefListValue> list);

}  // namespace shell

#endif  // SHELL_LIST_TEXT_H_
