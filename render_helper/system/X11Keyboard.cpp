#include "X11Keyboard.h"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

namespace {

struct XcbConnectionRelease {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using XcbConnectionHandle = std::unique_ptr<xcb_connection_t, XcbConnectionRelease>;

template <typename Reply>
using XcbReplyHandle = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_window_t RootWindow(xcb_connection_t* connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    return screens.rem > 0 ? screens.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

// The five NUL-separated rule names (rules, model, layouts, variants, options) that the server
// keeps on its root window; empty when it keeps none.
std::vector<std::string> ReadRuleNames(xcb_connection_t* connection, xcb_window_t root)
{
    static const char ATOM_NAME[] = "_XKB_RULES_NAMES";
    XcbReplyHandle<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof ATOM_NAME - 1, ATOM_NAME), nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE || root == XCB_WINDOW_NONE)
        return {};

    XcbReplyHandle<xcb_get_property_reply_t> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_STRING, 0, 1024),
                               nullptr),
        &std::free);
    if (!property || property->format != 8)
        return {};

    const char* value = static_cast<const char*>(xcb_get_property_value(property.get()));
    int length = xcb_get_property_value_length(property.get());
    std::vector<std::string> names;
    std::string current;
    for (int i = 0; i < length; ++i) {
        if (value[i] == '\0') {
            names.push_back(current);
            current.clear();
        } else {
            current += value[i];
        }
    }
    if (!current.empty())
        names.push_back(current);
    return names;
}

} // namespace

std::optional<X11Keyboard> ReadX11Keyboard(xkb_context* context, const std::string& display)
{
    if (context == nullptr || display.empty())
        return std::nullopt;

    int screenNumber = 0;
    XcbConnectionHandle connection(xcb_connect(display.c_str(), &screenNumber));
    if (!connection || xcb_connection_has_error(connection.get()))
        return std::nullopt;

    if (!xkb_x11_setup_xkb_extension(connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return std::nullopt;

    int32_t device = xkb_x11_get_core_keyboard_device_id(connection.get());
    if (device < 0)
        return std::nullopt;

    X11Keyboard keyboard;
    keyboard.keymap.reset(
        xkb_x11_keymap_new_from_device(context, connection.get(), device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keyboard.keymap)
        return std::nullopt;
    XkbStateHandle state(xkb_x11_state_new_from_device(keyboard.keymap.get(), connection.get(), device));
    if (!state)
        return std::nullopt;
    keyboard.group = xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE);

    std::vector<std::string> ruleNames = ReadRuleNames(connection.get(), RootWindow(connection.get(), screenNumber));
    ruleNames.resize(5);
    keyboard.names.rules = ruleNames[0];
    keyboard.names.model = ruleNames[1];
    keyboard.names.layout = ListItem(ruleNames[2], keyboard.group);
    keyboard.names.variant = ListItem(ruleNames[3], keyboard.group);
    keyboard.names.options = ruleNames[4];
    if (keyboard.names.layout.empty()) {
        const char* groupName = xkb_keymap_layout_get_name(keyboard.keymap.get(), keyboard.group);
        keyboard.names.layout = groupName != nullptr ? groupName : "";
    }
    return keyboard;
}

}}}} // namespace quorvex::lumora::client::renderhelper
