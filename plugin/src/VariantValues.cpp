#include "VariantValues.h"

namespace device_plugin {

using page_methods::ScriptValue;

ScriptValue scriptValueOf(const NPVariant& variant)
{
    switch (variant.type) {
    case NPVariantType_Void: return ScriptValue::makeVoid();
    case NPVariantType_Null: return ScriptValue::makeNull();
    case NPVariantType_Bool: return ScriptValue::makeBool(NPVARIANT_TO_BOOLEAN(variant));
    case NPVariantType_Int32: return ScriptValue::makeInt32(NPVARIANT_TO_INT32(variant));
    case NPVariantType_Double: return ScriptValue::makeDouble(NPVARIANT_TO_DOUBLE(variant));
    case NPVariantType_String: {
        const NPString& string = NPVARIANT_TO_STRING(variant);
        return ScriptValue::makeString(string.UTF8Characters, string.UTF8Length);
    }
    case NPVariantType_Object: return ScriptValue::makeObject();
    }
    // A type no browser sends reads like a value of no use to any method.
    return ScriptValue::makeObject();
}

} // namespace device_plugin
