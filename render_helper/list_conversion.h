#ifndef RENDER_HELPER_LIST_CONVERSION_H_
#define RENDER_HELPER_LIST_CONVERSION_H_

#include "include/cef_v8.h"
#include "include/cef_values.h"

// Conversions between script arrays and list values, element by element and nested to any
// depth up to kMaxListDepth.
//
// Script to list: arrays become lists, strings strings, booleans bools, numbers that are exact
// 32-bit signed integers ints, other numbers doubles; anything else (null, undefined, objects,
// functions) is left null.
// List to script: lists become arrays of the same size, bools booleans, ints and doubles
// numbers, strings strings; any other type becomes null.

// How deep arrays may nest, and how many values one conversion may carry: a self-containing
// array, or arrays sharing elements level upon level, would otherwise never finish.
const int kMaxListDepth = 100;
const int kMaxListValues = 1000000;

// Fills |target| from |source|. An empty array leaves |target| untouched. Returns false, with
// |target| in an undefined state, when |source| nests or holds more than the limits allow.
bool SetList(CefRefPtr<CefV8Value> source, CefRefPtr<CefListValue> target);

// Fills the array |target| (created with |source|'s size) from |source|.
void SetList(CefRefPtr<CefListValue> source, CefRefPtr<CefV8Value> target);

#endif  // RENDER_HELPER_LIST_CONVERSION_H_
