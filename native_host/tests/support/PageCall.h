// The page script of a bad-input row ("p.method(args)", maybe followed by ".length" or
// ".split('||').length") turned into the request the browser extension sends the host for it: the
// arguments as the page's JSON serialisation gives them (NaN and infinities become null, objects
// {}, lone surrogates \u escapes), so the host sees what it would see from a browser.
//
// It reads the little script that the rows use: string literals with \u escapes, numbers (also
// hexadecimal, NaN, Infinity), null, true, false, {}, [..], the names the rows define, '+',
// .toLowerCase(), .substring(n) and big(text, length).
#ifndef NATIVE_HOST_TESTS_PAGECALL_H
#define NATIVE_HOST_TESTS_PAGECALL_H

#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace native_host_tests {

struct PageCall {
    std::string method;
    std::string argsJson;
    enum Suffix { NONE, LENGTH, SPLIT_LENGTH } suffix = NONE;

    // The answer as the page would show it ("string:...", "number:N", "null").
    std::string shown(const nlohmann::json& result) const;
};

// names: the string variables the rows define (E, B, Q, R). Throws std::invalid_argument for
// script it does not read.
PageCall parsePageCall(const std::string& script, const std::map<std::string, std::string>& names);

} // namespace native_host_tests

#endif
