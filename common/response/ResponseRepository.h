// Result codes, their texts, and the two text formats that cross the engine's interface:
// the response string "{{code|text[:detail]}}" and the device list
// "key=value;;key=value...||key=value...||".
#ifndef QUORVEX_RESPONSE_RESPONSEREPOSITORY_H
#define QUORVEX_RESPONSE_RESPONSEREPOSITORY_H

#include <map>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace response {

class ResponseRepository
{
public:
    static constexpr int SUCCESS = 0;
    static constexpr int UNSET = -100;
    static constexpr int NEW = -2;
    static constexpr int IN_PROGRESS = -1;
    static constexpr int FATAL_ERROR = 400;
    static constexpr int UNKNOWN_ERROR = 500;
    static constexpr int CANCEL = 600;

    static constexpr int USBLIB_GENERAL_ERROR = 100;
    static constexpr int USBLIB_READ_ERROR_UNKNOWN = 101;
    static constexpr int USBLIB_READ_TIMEOUT = 102;
    static constexpr int USBLIB_READ_IOPIPE_NOT_FOUND = 103;
    static constexpr int USBLIB_WRITE_IOPIPE_NOT_FOUND = 104;
    static constexpr int USBLIB_WRITE_ERROR_UNKNOWN = 105;
    static constexpr int USBLIB_WRITE_ERROR_IOPIPE = 106;

    static constexpr int KVE_GENERAL_ERROR = 200;
    static constexpr int KVE_REMOTE_NOT_FOUND = 201;
    static constexpr int KVE_CHANNEL_NOT_FOUND = 202;
    static constexpr int KVE_COMMAND_NOT_FOUND = 203;
    static constexpr int KVE_COMMAND_STATE_ERROR = 204;
    static constexpr int KVE_WRITE_ERROR = 205;
    static constexpr int KVE_READ_ERROR = 206;
    static constexpr int KVE_READ_CHANNEL_NOT_OPEN = 207;
    static constexpr int KVE_WRITE_CHANNEL_NOT_OPEN = 208;
    static constexpr int KVE_EOF_PACKET_ERROR = 209;
    static constexpr int KVE_NO_TERMINATE_SIGNAL = 210;
    static constexpr int KVE_CANNOT_CLEANUP_REMOTE = 211;

    static constexpr int PLUGIN_GENERAL_ERROR = 300;

    // Fills the code table on first use. Every reader of the table calls it.
    static void init();

    // out receives a new NUL-terminated array (new char[]) holding "{{code|text[:detail]}}";
    // the caller releases it with delete[]. Whatever out held before is not released.
    static void createDynamicErrorMessage(char*& out, int code, const std::string& detail);
    static void createDynamicErrorMessage(char*& out, int code, const char* detail);

    // The table's text for a code (empty for a code that is not in the table).
    static std::string getErrorText(int code);
    // The table's text, ": " and the detail (the separator is added even for an empty detail).
    static std::string getErrorText(int code, const std::string& detail);
    static std::string getErrorText(int code, const char* detail);

    // Readers of a response string. A text that is not a response string has code 0 and empty
    // texts; a successful device answer (plain hexadecimal) therefore reads as success.
    static std::string getErrorText(const std::string& response);
    static std::string getErrorText(const char* response);
    static std::string getMajorText(const std::string& response);
    static std::string getMajorText(const char* response);
    static std::string getMinorText(const std::string& response);
    static std::string getMinorText(const char* response);
    static int getResponseCode(const std::string& response);
    static int getResponseCode(const char* response);

    static bool isSuccess(int code) { return code == 0; }
    static bool isInProgress(int code) { return code < 0; }
    static bool isFailure(int code) { return code > 0; }
    static bool isSuccess(const std::string& response) { return isSuccess(getResponseCode(response)); }
    static bool isSuccess(const char* response) { return isSuccess(getResponseCode(response)); }
    static bool isInProgress(const std::string& response) { return isInProgress(getResponseCode(response)); }
    static bool isInProgress(const char* response) { return isInProgress(getResponseCode(response)); }
    static bool isFailure(const std::string& response) { return isFailure(getResponseCode(response)); }
    static bool isFailure(const char* response) { return isFailure(getResponseCode(response)); }

    static bool isUsbLibError(int code) { return code >= 100 && code < 200; }
    static bool isKVEError(int code) { return code >= 200 && code < 300; }
    static bool isPluginError(int code) { return code >= 300 && code < 400; }

    // Value of the first attribute of the first record of a device list (the device path).
    static std::string getDeviceId(std::string deviceList);
    // Key/value pairs of the first record, the last attribute included, added to the map.
    static void getDeviceAttributes(const std::string& deviceList, std::map<std::string, std::string>& attributes);

private:
    ResponseRepository();
};

}}}}} // namespace quorvex::lumora::client::corvane::response

#endif
