// Both conversions of the message bridge: a script array (nested, self-containing, sharing
// elements, sparse, with getters that throw, holding values of every type and strings that are
// not valid UTF-16 or UTF-8) into a list value, and a list value back into a script array.
//
// A conversion that succeeds must carry every element by the bridge's rules; one that gives up
// (nesting or size past the limits) must say so; neither may crash, hang or leak.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "include/cef_v8.h"
#include "include/cef_values.h"
#include "list_conversion.h"
#include "script_engine.h"
#include "v8_context_impl.h"

using cef_stand_in::ScriptEngine;
using cef_stand_in::V8ContextImpl;

namespace {

struct Script {
    std::shared_ptr<ScriptEngine> engine;
    CefRefPtr<V8ContextImpl> context;

    Script()
    {
        engine = std::make_shared<ScriptEngine>();
        ScriptEngine::SetCurrent(engine);
        context = new V8ContextImpl(engine, nullptr, nullptr);
        FUZZ_CHECK(context->Enter(), "cannot enter the script context");
    }

    CefRefPtr<CefV8Value> eval(const std::string& code)
    {
        CefRefPtr<CefV8Value> value;
        CefRefPtr<CefV8Exception> exception;
        FUZZ_CHECK(context->Eval(code, value, exception) && value, "%s threw", code.c_str());
        return value;
    }
};

Script& script()
{
    // One render process for the whole run; it ends with the process.
    static Script* instance = new Script;
    return *instance;
}

// Values that the API cannot make but pages can.
const char* const kPageValues[] = {
    "[, 1, , 2]",
    "(function () { var a = [1]; Object.defineProperty(a, 0, {get: function () { throw new Error('x'); }}); return a; })()",
    "(function () { var a = []; a.length = 4294967295; return a; })()",
    "(function () { var a = [1, 2, 3]; a.length = 2147483648; return a; })()",
    "new Proxy([1, 2], {get: function (t, k) { return k === 'length' ? 3 : 'p'; }})",
    "new Date(0)",
    "/re/",
    "new Uint8Array([1, 2])",
    "(function () {})",
    "'\\uD800\\uDC00\\uDFFF'",
    "-0",
    "0.5",
    "4294967295",
    "-2147483648",
    "NaN",
    "(function () { var a = [0]; a[0] = a; return a; })()",
    "(function () { var a = [0, 1]; var b = [a, a]; a[1] = b; return b; })()",
};

struct Builder {
    fuzz::FuzzInput& input;
    std::vector<CefRefPtr<CefV8Value>> arrays;
    // Arrays that share elements level upon level grow exponentially; a few shared references
    // make cycles and sharing without spending every run at the conversion's size limit.
    int sharedLeft = 4;

    CefRefPtr<CefV8Value> value(int depth)
    {
        switch (input.below(11)) {
        case 0: return CefV8Value::CreateInt(input.i32());
        case 1: return CefV8Value::CreateDouble(input.number());
        case 2: return CefV8Value::CreateString(CefString(input.text(64)));
        case 3: {
            std::u16string units;
            for (size_t n = input.below(8); n > 0; --n)
                units += static_cast<char16_t>(input.byte() << 8 | input.byte());
            return CefV8Value::CreateString(CefString(units));
        }
        case 4: return CefV8Value::CreateBool(input.flag());
        case 5: return input.flag() ? CefV8Value::CreateNull() : CefV8Value::CreateUndefined();
        case 6: return CefV8Value::CreateObject(nullptr);
        case 7:
            if (!arrays.empty() && sharedLeft-- > 0)
                return arrays[input.below(static_cast<uint32_t>(arrays.size()))];
            [[fallthrough]];
        case 8: return script().eval(kPageValues[input.below(sizeof kPageValues / sizeof kPageValues[0])]);
        default: return array(depth + 1);
        }
    }

    CefRefPtr<CefV8Value> array(int depth)
    {
        const int length = depth > 12 ? 0 : static_cast<int>(input.below(6));
        CefRefPtr<CefV8Value> a = CefV8Value::CreateArray(length);
        arrays.push_back(a);
        for (int i = 0; i < length && !input.empty(); ++i)
            a->SetValue(i, value(depth));
        return a;
    }
};

bool sameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The list holds what the array held, converted by the bridge's rules.
void checkList(CefRefPtr<CefV8Value> array, CefRefPtr<CefListValue> list)
{
    const int length = array->GetArrayLength();
    FUZZ_CHECK(length == 0 ? list->GetSize() == 0 : static_cast<int>(list->GetSize()) == length,
               "list of %zu for an array of %d", list->GetSize(), length);
    for (int i = 0; i < length; ++i) {
        CefRefPtr<CefV8Value> value = array->GetValue(i);
        const CefValueType type = list->GetType(i);
        if (!value) {
            FUZZ_CHECK(type == VTYPE_NULL, "unreadable element %d is not null", i);
        } else if (value->IsArray()) {
            FUZZ_CHECK(type == VTYPE_LIST, "array element %d became type %d", i, type);
            checkList(value, list->GetList(i));
        } else if (value->IsString()) {
            FUZZ_CHECK(type == VTYPE_STRING && list->GetString(i).ToString16() == value->GetStringValue().ToString16(),
                       "string element %d", i);
        } else if (value->IsBool()) {
            FUZZ_CHECK(type == VTYPE_BOOL && list->GetBool(i) == value->GetBoolValue(), "bool element %d", i);
        } else if (value->IsInt()) {
            FUZZ_CHECK(type == VTYPE_INT && list->GetInt(i) == value->GetIntValue(), "int element %d", i);
        } else if (value->IsDouble()) {
            FUZZ_CHECK(type == VTYPE_DOUBLE && sameNumber(list->GetDouble(i), value->GetDoubleValue()),
                       "double element %d", i);
        } else {
            FUZZ_CHECK(type == VTYPE_NULL, "element %d of no carried type became type %d", i, type);
        }
    }
}

// The array holds what the list held.
void checkArray(CefRefPtr<CefListValue> list, CefRefPtr<CefV8Value> array)
{
    const int size = static_cast<int>(list->GetSize());
    FUZZ_CHECK(array->IsArray() && array->GetArrayLength() == size, "array of %d for a list of %d",
               array->GetArrayLength(), size);
    for (int i = 0; i < size; ++i) {
        CefRefPtr<CefV8Value> value = array->GetValue(i);
        FUZZ_CHECK(value.get() != nullptr, "element %d unreadable", i);
        switch (list->GetType(i)) {
        case VTYPE_LIST: checkArray(list->GetList(i), value); break;
        case VTYPE_BOOL: FUZZ_CHECK(value->IsBool() && value->GetBoolValue() == list->GetBool(i), "bool %d", i); break;
        case VTYPE_INT: FUZZ_CHECK(value->IsInt() && value->GetIntValue() == list->GetInt(i), "int %d", i); break;
        case VTYPE_DOUBLE:
            FUZZ_CHECK(value->IsDouble() && sameNumber(value->GetDoubleValue(), list->GetDouble(i)), "double %d", i);
            break;
        case VTYPE_STRING:
            FUZZ_CHECK(value->IsString() && value->GetStringValue().ToString16() == list->GetString(i).ToString16(),
                       "string %d", i);
            break;
        default: FUZZ_CHECK(value->IsNull(), "element %d of no carried type is not null", i); break;
        }
    }
}

// A list made directly, with strings of any UTF-16 units.
CefRefPtr<CefListValue> makeList(fuzz::FuzzInput& input, int depth)
{
    CefRefPtr<CefListValue> list = CefListValue::Create();
    const size_t size = depth > 12 ? 0 : input.below(6);
    list->SetSize(size);
    for (size_t i = 0; i < size && !input.empty(); ++i) {
        const int at = static_cast<int>(i);
        switch (input.below(7)) {
        case 0: list->SetNull(at); break;
        case 1: list->SetBool(at, input.flag()); break;
        case 2: list->SetInt(at, input.i32()); break;
        case 3: list->SetDouble(at, input.number()); break;
        case 4: list->SetString(at, CefString(input.text(64))); break;
        case 5: {
            std::u16string units;
            for (size_t n = input.below(8); n > 0; --n)
                units += static_cast<char16_t>(input.byte() << 8 | input.byte());
            list->SetString(at, CefString(units));
            break;
        }
        default: list->SetList(at, makeList(input, depth + 1)); break;
        }
    }
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    script();
    fuzz::FuzzInput input(data, size);
    if (input.flag()) {
        Builder builder{input, {}};
        CefRefPtr<CefV8Value> source = input.below(4) == 0 ? builder.value(0) : builder.array(0);
        if (!source->IsArray())
            return 0;
        CefRefPtr<CefListValue> list = CefListValue::Create();
        if (SetList(source, list)) {
            checkList(source, list);
            CefRefPtr<CefV8Value> back = CefV8Value::CreateArray(static_cast<int>(list->GetSize()));
            SetList(list, back);
            checkArray(list, back);
        }
    } else {
        CefRefPtr<CefListValue> list = makeList(input, 0);
        CefRefPtr<CefV8Value> array = CefV8Value::CreateArray(static_cast<int>(list->GetSize()));
        SetList(list, array);
        checkArray(list, array);
    }
    return 0;
}
