// Script objects of the browser plug-in interface: identifiers, strings, variants, object classes.
//
// Layout and numeric values follow the published binary interface; do not reorder.
#ifndef REMOTE_BRIDGE_NPAPI_NPRUNTIME_H
#define REMOTE_BRIDGE_NPAPI_NPRUNTIME_H

#include <stddef.h>
#include <stdint.h>
#include "npapi.h"

#ifdef __cplusplus
extern "C" {
#else
#include <stdbool.h>
#endif

typedef char NPUTF8;

// Text in UTF-8, not NUL-terminated; the length counts bytes.
typedef struct _NPString {
    const NPUTF8* UTF8Characters;
    uint32_t UTF8Length;
} NPString;

typedef struct NPObject NPObject;
typedef struct NPClass NPClass;

typedef enum {
    NPVariantType_Void,
    NPVariantType_Null,
    NPVariantType_Bool,
    NPVariantType_Int32,
    NPVariantType_Double,
    NPVariantType_String,
    NPVariantType_Object
} NPVariantType;

typedef struct _NPVariant {
    NPVariantType type;
    union {
        bool boolValue;
        int32_t intValue;
        double doubleValue;
        NPString stringValue;
        NPObject* objectValue;
    } value;
} NPVariant;

// A browser-interned name (string) or index (integer); equal names give equal identifiers.
typedef void* NPIdentifier;

typedef NPObject* (*NPAllocateFunctionPtr)(NPP npp, NPClass* aClass);
typedef void (*NPDeallocateFunctionPtr)(NPObject* npobj);
typedef void (*NPInvalidateFunctionPtr)(NPObject* npobj);
typedef bool (*NPHasMethodFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool (*NPInvokeFunctionPtr)(NPObject* npobj, NPIdentifier name, const NPVariant* args,
                                    uint32_t argCount, NPVariant* result);
typedef bool (*NPInvokeDefaultFunctionPtr)(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                                           NPVariant* result);
typedef bool (*NPHasPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool (*NPGetPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name, NPVariant* result);
typedef bool (*NPSetPropertyFunctionPtr)(NPObject* npobj, NPIdentifier name, const NPVariant* value);
typedef bool (*NPRemovePropertyFunctionPtr)(NPObject* npobj, NPIdentifier name);
typedef bool (*NPEnumerationFunctionPtr)(NPObject* npobj, NPIdentifier** value, uint32_t* count);
typedef bool (*NPConstructFunctionPtr)(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                                       NPVariant* result);

#define NP_CLASS_STRUCT_VERSION 3
#define NP_CLASS_STRUCT_VERSION_ENUM 2
#define NP_CLASS_STRUCT_VERSION_CTOR 3

#define NP_CLASS_STRUCT_VERSION_HAS_ENUM(npclass) ((npclass)->structVersion >= NP_CLASS_STRUCT_VERSION_ENUM)
#define NP_CLASS_STRUCT_VERSION_HAS_CTOR(npclass) ((npclass)->structVersion >= NP_CLASS_STRUCT_VERSION_CTOR)

struct NPClass {
    uint32_t structVersion;
    NPAllocateFunctionPtr allocate;
    NPDeallocateFunctionPtr deallocate;
    NPInvalidateFunctionPtr invalidate;
    NPHasMethodFunctionPtr hasMethod;
    NPInvokeFunctionPtr invoke;
    NPInvokeDefaultFunctionPtr invokeDefault;
    NPHasPropertyFunctionPtr hasProperty;
    NPGetPropertyFunctionPtr getProperty;
    NPSetPropertyFunctionPtr setProperty;
    NPRemovePropertyFunctionPtr removeProperty;
    NPEnumerationFunctionPtr enumerate;
    NPConstructFunctionPtr construct;
};

// The header every script object starts with; the browser fills both fields.
struct NPObject {
    NPClass* _class;
    uint32_t referenceCount;
};

#define NPVARIANT_IS_VOID(v) ((v).type == NPVariantType_Void)
#define NPVARIANT_IS_NULL(v) ((v).type == NPVariantType_Null)
#define NPVARIANT_IS_BOOLEAN(v) ((v).type == NPVariantType_Bool)
#define NPVARIANT_IS_INT32(v) ((v).type == NPVariantType_Int32)
#define NPVARIANT_IS_DOUBLE(v) ((v).type == NPVariantType_Double)
#define NPVARIANT_IS_STRING(v) ((v).type == NPVariantType_String)
#define NPVARIANT_IS_OBJECT(v) ((v).type == NPVariantType_Object)

#define NPVARIANT_TO_BOOLEAN(v) ((v).value.boolValue)
#define NPVARIANT_TO_INT32(v) ((v).value.intValue)
#define NPVARIANT_TO_DOUBLE(v) ((v).value.doubleValue)
#define NPVARIANT_TO_STRING(v) ((v).value.stringValue)
#define NPVARIANT_TO_OBJECT(v) ((v).value.objectValue)

#define VOID_TO_NPVARIANT(v) \
    do { (v).type = NPVariantType_Void; (v).value.objectValue = NULL; } while (0)
#define NULL_TO_NPVARIANT(v) \
    do { (v).type = NPVariantType_Null; (v).value.objectValue = NULL; } while (0)
#define BOOLEAN_TO_NPVARIANT(val, v) \
    do { (v).type = NPVariantType_Bool; (v).value.boolValue = !!(val); } while (0)
#define INT32_TO_NPVARIANT(val, v) \
    do { (v).type = NPVariantType_Int32; (v).value.intValue = (val); } while (0)
#define DOUBLE_TO_NPVARIANT(val, v) \
    do { (v).type = NPVariantType_Double; (v).value.doubleValue = (val); } while (0)
#define STRINGN_TO_NPVARIANT(val, len, v) \
    do { \
        (v).type = NPVariantType_String; \
        (v).value.stringValue.UTF8Characters = (val); \
        (v).value.stringValue.UTF8Length = (uint32_t)(len); \
    } while (0)
#define OBJECT_TO_NPVARIANT(val, v) \
    do { (v).type = NPVariantType_Object; (v).value.objectValue = (val); } while (0)

#ifdef __cplusplus
}
#endif

#endif
