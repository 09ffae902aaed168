#include "IRemote.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

const std::string IRemote::KEY_DEVICE_ID = "device_id";
const std::string IRemote::KEY_TOKEN = "token";
const std::string IRemote::KEY_VENDOR_ID = "vendor_id";
const std::string IRemote::KEY_PRODUCT_ID = "product_id";
const std::string IRemote::KEY_SKIN = "skin";
const std::string IRemote::KEY_INPUT_REPORT_LENGTH = "input_report_length";
const std::string IRemote::KEY_OUTPUT_REPORT_LENGTH = "output_report_length";
const std::string IRemote::KEY_BCD_VERSION_NUMBER = "bcd_version_number";
const std::string IRemote::SEPARATOR_DEVICE = "||";
const std::string IRemote::SEPARATOR_ATTRIBUTE = ";;";
const std::string IRemote::SEPARATOR_KEY_VALUE = "=";

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
