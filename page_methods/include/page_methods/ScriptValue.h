// One argument of a page's call, as the page object receives it, whichever way it reached us
// (a browser's plug-in variant, a JSON value of the native messaging host). Strings are views:
// the caller keeps their bytes alive for the call.
#ifndef PAGE_METHODS_SCRIPTVALUE_H
#define PAGE_METHODS_SCRIPTVALUE_H

#include <cstdint>

namespace page_methods {

struct ScriptValue {
    enum Type { VOID, NULL_VALUE, BOOL, INT32, DOUBLE, STRING, OBJECT };

    Type type = VOID;
    bool boolean = false;
    int32_t int32 = 0;
    double number = 0;
    const char* chars = nullptr; // STRING: its bytes (may hold NULs; null for an empty string)
    uint32_t length = 0;

    static ScriptValue makeVoid() { return ScriptValue(); }
    static ScriptValue makeNull() { return of(NULL_VALUE); }
    static ScriptValue makeObject() { return of(OBJECT); }
    static ScriptValue makeBool(bool value)
    {
        ScriptValue v = of(BOOL);
        v.boolean = value;
        return v;
    }
    static ScriptValue makeInt32(int32_t value)
    {
        ScriptValue v = of(INT32);
        v.int32 = value;
        return v;
    }
    static ScriptValue makeDouble(double value)
    {
        ScriptValue v = of(DOUBLE);
        v.number = value;
        return v;
    }
    static ScriptValue makeString(const char* chars, uint32_t length)
    {
        ScriptValue v = of(STRING);
        v.chars = chars;
        v.length = chars ? length : 0;
        return v;
    }

private:
    static ScriptValue of(Type type)
    {
        ScriptValue v;
        v.type = type;
        return v;
    }
};

} // namespace page_methods

#endif
