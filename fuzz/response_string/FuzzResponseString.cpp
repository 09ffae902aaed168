// The readers of response strings ("{{code|text[:detail]}}") on any text, and the writer's output
// read back. A text that is not a response string reads as code 0 with empty texts.
#include <algorithm>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "response/ResponseRepository.h"

using quorvex::lumora::client::corvane::response::ResponseRepository;

namespace {

void readAnyText(const std::string& text)
{
    const int code = ResponseRepository::getResponseCode(text);
    const std::string errorText = ResponseRepository::getErrorText(text);
    const std::string major = ResponseRepository::getMajorText(text);
    const std::string minor = ResponseRepository::getMinorText(text);

    const bool framed = text.size() >= 3 && text[0] == '{' && text[1] == '{';
    if (!framed) {
        FUZZ_CHECK(code == 0 && errorText.empty() && major.empty() && minor.empty(), "unframed text read as a response");
        FUZZ_CHECK(ResponseRepository::isSuccess(text), "unframed text is not a success");
    }
    FUZZ_CHECK(text.find(errorText) != std::string::npos, "text part is not part of the response");
    FUZZ_CHECK(errorText.find('}') == std::string::npos, "text part runs past the first '}'");
    if (errorText.find(':') != std::string::npos)
        FUZZ_CHECK(major + ":" + minor == errorText, "major and minor text do not make up the text part");
    else
        FUZZ_CHECK(major == errorText && minor.empty(), "text without ':' has a minor part");

    FUZZ_CHECK(ResponseRepository::isSuccess(text) + ResponseRepository::isInProgress(text)
                   + ResponseRepository::isFailure(text) == 1,
               "code %d is in more or fewer than one class", code);

    // The C-string readers see the text up to its first NUL.
    const std::string cut = text.substr(0, text.find('\0'));
    FUZZ_CHECK(ResponseRepository::getResponseCode(cut.c_str()) == ResponseRepository::getResponseCode(cut),
               "C-string and string readers differ");
    FUZZ_CHECK(ResponseRepository::getErrorText(cut.c_str()) == ResponseRepository::getErrorText(cut),
               "C-string and string readers differ");
}

void writeAndReadBack(int code, std::string detail)
{
    // The writer's answer is a C string: a NUL in the detail would end it early.
    detail.erase(std::remove(detail.begin(), detail.end(), '\0'), detail.end());
    char* out = nullptr;
    ResponseRepository::createDynamicErrorMessage(out, code, detail);
    const std::string response(out);
    delete[] out;

    const std::string tableText = ResponseRepository::getErrorText(code);
    const std::string expected = "{{" + std::to_string(code) + "|" + tableText + (detail.empty() ? "" : ":" + detail) + "}}";
    FUZZ_CHECK(response == expected, "wrote %s", response.c_str());
    FUZZ_CHECK(ResponseRepository::getResponseCode(response) == code, "code %d did not read back from %s", code,
               response.c_str());
    if (detail.find('}') == std::string::npos) {
        FUZZ_CHECK(ResponseRepository::getMajorText(response) == tableText, "major text of %s", response.c_str());
        FUZZ_CHECK(ResponseRepository::getMinorText(response) == detail, "minor text of %s", response.c_str());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const std::string whole(reinterpret_cast<const char*>(data), data ? size : 0);
    readAnyText(whole);

    const int code = input.i32();
    writeAndReadBack(code, input.rest());
    return 0;
}
