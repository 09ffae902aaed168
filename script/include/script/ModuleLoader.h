// ES modules for hosts that only run classic scripts (the JavaScriptCore C API has no module
// loader). A module's source is translated into a classic script and evaluated; its imports are
// files resolved against the importing file's folder.
//
// The forms understood, at the top level of a module:
//   import 'x.js';                          import d from 'x.js';
//   import { a, b as c, default as d } from 'x.js';
//   import * as ns from 'x.js';             import d, { a } from 'x.js';   import d, * as ns from 'x.js';
//   export const|let|var name = ...;        (one name per statement)
//   export function f() {}                  export async function f() {}   export class C {}
//   export default expression;              export default function|class [name] ...
//   export { a, b as c, d as default };
// and anywhere: import.meta.url (the file's URL) and import('x.js') (a promise of its namespace).
// Top-level await works. Specifiers are relative ("./", "../") or absolute paths; a "file://" URL
// is read as its path.
//
// Not supported, each an error naming the file and line: re-exports (export ... from), export *,
// destructuring in an exported declaration, import attributes, bare specifiers. Imported names are
// bound once the imported module has finished evaluating (a later change to an exported `let` is
// not seen), so an import cycle is an error. Errors name the file and line ("page.js:3: ...").
#ifndef SCRIPT_MODULELOADER_H
#define SCRIPT_MODULELOADER_H

#include <string>

#include <JavaScriptCore/JavaScript.h>

namespace script {

// Whether `source` has a top-level import or export statement (and so is a module).
bool isModuleSource(const std::string& source);

// The classic script for the module `source` of file `path`: its value is an async function that
// takes the module's record and evaluates the module. Lines keep their numbers. False with
// `error` ("path:line: what") for a form outside the subset above.
bool translateModule(const std::string& source, const std::string& path, std::string& code, std::string& error);

// Relative or absolute `specifier` against the folder of `referrer`, with "." and ".." resolved.
// Empty for a bare specifier.
std::string resolveModulePath(const std::string& specifier, const std::string& referrer);

// The modules of one global context: each file is evaluated once, in import order.
class ModuleLoader {
public:
    explicit ModuleLoader(JSGlobalContextRef ctx);
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // Evaluates the module `source` of file `path` and what it imports. The value is the promise
    // of its evaluation; null with `exception` set when the module cannot start (not in the
    // subset, a syntax error).
    JSValueRef run(const std::string& source, const std::string& path, JSValueRef* exception);

private:
    JSGlobalContextRef ctx_;
    JSObjectRef loader_ = nullptr;
};

} // namespace script

#endif
