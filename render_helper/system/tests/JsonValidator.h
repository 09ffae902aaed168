// A strict JSON checker (RFC 8259 grammar, UTF-8 text) for the export tests.
#ifndef QUORVEX_RENDERHELPER_TESTS_JSONVALIDATOR_H
#define QUORVEX_RENDERHELPER_TESTS_JSONVALIDATOR_H

#include <string>

// "" when the text is one valid JSON value; otherwise what is wrong and where.
std::string JsonError(const std::string& text);

#endif
