// Something that tells which characters a key shows under a modifier state.
#ifndef QUORVEX_RENDERHELPER_KEYTRANSLATOR_H
#define QUORVEX_RENDERHELPER_KEYTRANSLATOR_H

#include <cstdint>
#include <string>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

class KeyTranslator
{
public:
    virtual ~KeyTranslator() = default;

    // The characters (UTF-8) the key with the given macOS virtual key code shows under the
    // modifier state (macOS event modifier flags); "" when it shows none.
    virtual std::string Translate(uint16_t keyCode, uint32_t modifierState) = 0;
};

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
