// The device-list readers on any text: the first record's identifier and its attributes.
// Records end with "||", attributes are separated by ";;", each is key=value.
#include <cstdint>
#include <map>
#include <string>

#include "FuzzInput.h"
#include "response/ResponseRepository.h"

using quorvex::lumora::client::corvane::response::ResponseRepository;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string list(reinterpret_cast<const char*>(data), data ? size : 0);
    const std::string firstRecord = list.substr(0, list.find("||"));

    const std::string id = ResponseRepository::getDeviceId(list);
    FUZZ_CHECK(firstRecord.find(id) != std::string::npos, "identifier is not part of the first record");
    FUZZ_CHECK(id.find(";;") == std::string::npos, "identifier runs into the next attribute");
    if (list.find("||") == std::string::npos)
        FUZZ_CHECK(id.empty(), "a list without a record end has an identifier");

    std::map<std::string, std::string> attributes;
    attributes["kept"] = "as it was";
    ResponseRepository::getDeviceAttributes(list, attributes);
    for (const auto& [key, value] : attributes) {
        if (key == "kept" && value == "as it was")
            continue;
        FUZZ_CHECK(key.find('=') == std::string::npos, "key holds '='");
        FUZZ_CHECK(firstRecord.find(key + "=" + value) != std::string::npos, "attribute %s is not in the first record",
                   key.c_str());
        FUZZ_CHECK((key + "=" + value).find(";;") == std::string::npos, "attribute runs across ';;'");
    }
    // The identifier is the value of the first attribute, which the attribute reader also saw
    // (unless a later attribute of the same key overwrote it).
    const std::string firstPiece = firstRecord.substr(0, firstRecord.find(";;"));
    const std::string::size_type equals = firstPiece.find('=');
    if (!id.empty() && equals != std::string::npos && firstRecord.find(firstPiece.substr(0, equals + 1), 1) == std::string::npos)
        FUZZ_CHECK(attributes[firstPiece.substr(0, equals)] == id, "identifier and first attribute differ");
    return 0;
}
