// Tokens are the objects' addresses as signed 64-bit integers. A token is never dereferenced on
// its own: it is only a key to look an object up among the ones the library holds. 0 is never a
// token; it converts to a null object, which every caller answers as "not found".
#ifndef QUORVEX_HIDLET_TOKENCONVERSION_H
#define QUORVEX_HIDLET_TOKENCONVERSION_H

#include "hidlet/AHidlet.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane { namespace hidlet {

inline long GetIntFromHidlet(AHidlet* i_pHidlet) { return reinterpret_cast<long>(i_pHidlet); }
inline AHidlet* GetHidletFromInt(long token) { return reinterpret_cast<AHidlet*>(token); }
inline long GetIntFromIoPipe(AIoPipe* i_pIoPipe) { return reinterpret_cast<long>(i_pIoPipe); }
inline AIoPipe* GetIoPipeFromInt(long token) { return reinterpret_cast<AIoPipe*>(token); }

}}}}} // namespace quorvex::lumora::client::corvane::hidlet

#endif
