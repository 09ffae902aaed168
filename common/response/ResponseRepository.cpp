#include "ResponseRepository.h"

#include <cstring>
#include <mutex>
#include <sstream>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace response {

namespace {

// The table is shared by the threads of a library (libHidlet's write path runs on the engine's
// worker) and must outlive static destruction, because a detached worker may still be running
// while the process exits. So it is never destroyed, and every access is serialised.
struct CodeTable
{
    std::mutex lock;
    std::map<int, std::string> errorMap;
    bool initialized = false;
};

CodeTable& table()
{
    static CodeTable* instance = new CodeTable;
    return *instance;
}

void fillLocked(CodeTable& t)
{
    if (t.initialized)
        return;
    typedef ResponseRepository R;
    std::map<int, std::string>& m = t.errorMap;
    m[R::SUCCESS] = "Command executed successfully";
    m[R::UNSET] = "No code set";
    m[R::NEW] = "New command created";
    m[R::IN_PROGRESS] = "Command in progress";
    m[R::FATAL_ERROR] = "Fatal error occurred, system should be refreshed";
    m[R::UNKNOWN_ERROR] = "Unkown error";
    m[R::CANCEL] = "Cancel command";
    m[R::USBLIB_GENERAL_ERROR] = "Error in USB device library";
    m[R::USBLIB_READ_ERROR_UNKNOWN] = "USB Unexpected read error";
    m[R::USBLIB_READ_TIMEOUT] = "USB read error (read timeout)";
    m[R::USBLIB_READ_IOPIPE_NOT_FOUND] = "USB read error (IoPipe not found)";
    m[R::USBLIB_WRITE_IOPIPE_NOT_FOUND] = "USB write error (IoPipe not found)";
    m[R::USBLIB_WRITE_ERROR_UNKNOWN] = "USB Unexpected write error";
    m[R::USBLIB_WRITE_ERROR_IOPIPE] = "USB write error in IoPipe";
    m[R::KVE_GENERAL_ERROR] = "Error in KVE";
    m[R::KVE_REMOTE_NOT_FOUND] = "Lumora remote not found";
    m[R::KVE_CHANNEL_NOT_FOUND] = "USB Communication channel not found";
    m[R::KVE_COMMAND_NOT_FOUND] = "Command can not be processed because it does not exist";
    m[R::KVE_COMMAND_STATE_ERROR] = "Command can not be procssed because of invalid state";
    m[R::KVE_WRITE_ERROR] = "Write error";
    m[R::KVE_READ_ERROR] = "Read error";
    m[R::KVE_READ_CHANNEL_NOT_OPEN] = "USB Communication channel not open for read";
    m[R::KVE_WRITE_CHANNEL_NOT_OPEN] = "USB Communication channel not open for write";
    m[R::KVE_EOF_PACKET_ERROR] = "End packet parsing error";
    m[R::KVE_NO_TERMINATE_SIGNAL] = "KVE terminate signal missing";
    m[R::KVE_CANNOT_CLEANUP_REMOTE] = "KVE cannot cleanup the remote";
    m[R::PLUGIN_GENERAL_ERROR] = "Error in plugin";
    t.initialized = true;
}

// A copy of the table's text; a code without an entry reads as the empty text.
std::string textOf(int code)
{
    CodeTable& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    fillLocked(t);
    return t.errorMap[code];
}

std::string orEmpty(const char* text) { return text ? std::string(text) : std::string(); }

bool looksLikeResponse(const std::string& text)
{
    return text.size() >= 3 && text[0] == '{' && text[1] == '{';
}

} // namespace

void ResponseRepository::init()
{
    CodeTable& t = table();
    std::lock_guard<std::mutex> hold(t.lock);
    fillLocked(t);
}

void ResponseRepository::createDynamicErrorMessage(char*& out, int code, const std::string& detail)
{
    std::ostringstream text;
    text << "{{" << code << "|" << textOf(code);
    if (!detail.empty())
        text << ":" << detail;
    text << "}}";
    const std::string s = text.str();
    out = new char[s.size() + 1];
    std::memcpy(out, s.c_str(), s.size() + 1);
}

void ResponseRepository::createDynamicErrorMessage(char*& out, int code, const char* detail)
{
    createDynamicErrorMessage(out, code, orEmpty(detail));
}

std::string ResponseRepository::getErrorText(int code) { return textOf(code); }

std::string ResponseRepository::getErrorText(int code, const std::string& detail)
{
    return textOf(code) + ": " + detail;
}

std::string ResponseRepository::getErrorText(int code, const char* detail)
{
    return getErrorText(code, orEmpty(detail));
}

int ResponseRepository::getResponseCode(const std::string& response)
{
    if (!looksLikeResponse(response))
        return 0;
    const std::string::size_type bar = response.find('|');
    const std::string digits = response.substr(2, bar == std::string::npos ? std::string::npos : bar - 2);
    std::istringstream in(digits);
    int code = 0;
    in >> code;
    return code;
}

int ResponseRepository::getResponseCode(const char* response) { return getResponseCode(orEmpty(response)); }

std::string ResponseRepository::getErrorText(const std::string& response)
{
    if (!looksLikeResponse(response))
        return std::string();
    const std::string::size_type bar = response.find('|');
    const std::string::size_type close = response.find('}');
    // A "}" before the "|" leaves nothing between them.
    if (bar == std::string::npos || close == std::string::npos || close <= bar)
        return std::string();
    return response.substr(bar + 1, close - bar - 1);
}

std::string ResponseRepository::getErrorText(const char* response) { return getErrorText(orEmpty(response)); }

std::string ResponseRepository::getMajorText(const std::string& response)
{
    const std::string text = getErrorText(response);
    const std::string::size_type colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(0, colon);
}

std::string ResponseRepository::getMajorText(const char* response) { return getMajorText(orEmpty(response)); }

std::string ResponseRepository::getMinorText(const std::string& response)
{
    const std::string text = getErrorText(response);
    const std::string::size_type colon = text.find(':');
    return colon == std::string::npos ? std::string() : text.substr(colon + 1);
}

std::string ResponseRepository::getMinorText(const char* response) { return getMinorText(orEmpty(response)); }

std::string ResponseRepository::getDeviceId(std::string deviceList)
{
    const std::string::size_type recordEnd = deviceList.find("||");
    if (recordEnd == std::string::npos)
        return std::string();
    const std::string record = deviceList.substr(0, recordEnd);
    const std::string::size_type attributeEnd = record.find(";;");
    if (attributeEnd == std::string::npos)
        return std::string();
    const std::string attribute = record.substr(0, attributeEnd);
    const std::string::size_type equals = attribute.find('=');
    if (equals == std::string::npos)
        return std::string();
    return attribute.substr(equals + 1);
}

void ResponseRepository::getDeviceAttributes(const std::string& deviceList,
                                             std::map<std::string, std::string>& attributes)
{
    std::string rest = deviceList.substr(0, deviceList.find("||"));
    // Every piece of the record is an attribute, the one after the last ";;" included.
    for (;;) {
        const std::string::size_type end = rest.find(";;");
        const std::string piece = rest.substr(0, end);
        const std::string::size_type equals = piece.find('=');
        if (equals != std::string::npos)
            attributes[piece.substr(0, equals)] = piece.substr(equals + 1);
        if (end == std::string::npos)
            break;
        rest.erase(0, end + 2);
    }
}

}}}}} // namespace quorvex::lumora::client::corvane::response
