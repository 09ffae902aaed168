#include "CurrentKeyboard.h"

#include "X11Keyboard.h"

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

std::optional<X11Keyboard> ReadDisplayKeyboard(xkb_context* context, const KeyboardSettings& settings)
{
    std::optional<std::string> display = NonEmptyVariable(settings.environment, "DISPLAY");
    if (!display)
        return std::nullopt;
    return ReadX11Keyboard(context, *display);
}

bool Usable(const std::unique_ptr<XkbKeyTranslator>& translator)
{
    return translator && translator->ProducesCharacters();
}

} // namespace

KeyboardNames CurrentKeyboardNames(const KeyboardSettings& settings)
{
    XkbContextHandle context = NewXkbContext();
    if (std::optional<X11Keyboard> keyboard = ReadDisplayKeyboard(context.get(), settings))
        return keyboard->names;
    return ConfiguredKeyboardNames(settings);
}

std::unique_ptr<XkbKeyTranslator> OpenCurrentKeyboard(const KeyboardSettings& settings)
{
    std::unique_ptr<XkbKeyTranslator> translator;

    XkbContextHandle context = NewXkbContext();
    if (std::optional<X11Keyboard> keyboard = ReadDisplayKeyboard(context.get(), settings))
        translator = std::make_unique<XkbKeyTranslator>(std::move(context), std::move(keyboard->keymap),
                                                        keyboard->group);
    else
        translator = XkbKeyTranslator::FromNames(ConfiguredKeyboardNames(settings));

    if (!Usable(translator))
        translator = XkbKeyTranslator::FromNames(DefaultKeyboardNames());
    if (!translator)
        translator = std::make_unique<XkbKeyTranslator>(nullptr, nullptr, 0);
    return translator;
}

}}}} // namespace quorvex::lumora::client::renderhelper
