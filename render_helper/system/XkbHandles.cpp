#include "XkbHandles.h"

namespace quorvex { namespace lumora { namespace client { namespace renderhelper {

XkbContextHandle NewXkbContext()
{
    XkbContextHandle context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES));
    if (context)
        xkb_context_set_log_level(context.get(), XKB_LOG_LEVEL_CRITICAL);
    return context;
}

}}}} // namespace quorvex::lumora::client::renderhelper
