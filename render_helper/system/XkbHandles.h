// Owning handles for libxkbcommon objects.
#ifndef QUORVEX_RENDERHELPER_XKBHANDLES_H
#define QUORVEX_RENDERHELPER_XKBHANDLES_H

#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

struct XkbContextRelease {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct XkbKeymapRelease {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct XkbStateRelease {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};

using XkbContextHandle = std::unique_ptr<xkb_context, XkbContextRelease>;
using XkbKeymapHandle = std::unique_ptr<xkb_keymap, XkbKeymapRelease>;
using XkbStateHandle = std::unique_ptr<xkb_state, XkbStateRelease>;

// A context that takes nothing from the environment: the layout names are always passed in full,
// so that the caller's choice of layout is the only one that counts.
XkbContextHandle NewXkbContext();

}}}} // namespace quorvex::lumora::client::renderhelper

#endif
