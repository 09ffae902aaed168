// The module loader of a global context: the bookkeeping of module records is script of its own
// (kLoaderSource, evaluated once per context and kept out of the page's global object); reading,
// translating and evaluating files are native functions it is given.
#include "script/ModuleLoader.h"

#include <cstdlib>
#include <unistd.h>

#include "script/FileText.h"
#include "script/JsString.h"
#include "script/ScriptValues.h"

namespace script {

namespace {

// host: {read(path) -> module code, evaluate(code, path) -> the module's function,
//        resolve(specifier, referrer) -> path or ""}.
// Each record: {path, getters, namespace, promise, waitingOn, done}.
const char* const kLoaderSource = R"JS((function (host) {
  'use strict';
  const records = new Map();

  function namespaceOf(getters) {
    const ns = Object.create(null);
    for (const name of Object.keys(getters))
      Object.defineProperty(ns, name, { get: getters[name], enumerable: true });
    Object.defineProperty(ns, Symbol.toStringTag, { value: 'Module' });
    return Object.freeze(ns);
  }

  function resolve(specifier, referrer, line) {
    const path = host.resolve(String(specifier), referrer);
    if (path === '')
      throw new TypeError(`${referrer}:${line}: cannot import '${specifier}': ` +
                          'only relative ("./", "../") and absolute paths are supported');
    return path;
  }

  // Whether `record`, or what it waits for, waits for `importer`.
  function waitsFor(record, importer) {
    for (let at = record; at; at = at.waitingOn) {
      if (at === importer)
        return true;
    }
    return false;
  }

  // An error of the loader's own is placed where the module's text is wrong.
  function located(error, path, line) {
    Object.defineProperty(error, 'sourceURL', { value: path, configurable: true });
    Object.defineProperty(error, 'line', { value: line, configurable: true });
    return error;
  }

  // The record of a module whose code is evaluated, and its evaluation started, by start(): an
  // importer marks what it waits for before that, so that a cycle is seen at once.
  function create(path, code) {
    const body = host.evaluate(code, path);
    const record = { path, getters: {}, namespace: namespaceOf({}), promise: null, waitingOn: null, done: false };
    records.set(path, record);
    const module = {
      meta: { url: 'file://' + path },
      exports(getters) {
        record.getters = getters;
        record.namespace = namespaceOf(getters);
      },
      import: (specifier, line, names) => importInto(record, specifier, line, names),
      dynamicImport(specifier) {
        try {
          return recordOf(resolve(specifier, path, '?')).promise.then((done) => done.namespace);
        } catch (e) {
          return Promise.reject(e);
        }
      },
    };
    record.start = () => {
      record.promise = body.call(undefined, module).then(() => {
        record.done = true;
        return record;
      });
      return record;
    };
    return record;
  }

  function recordOf(path) {
    return records.get(path) ?? create(path, host.read(path)).start();
  }

  async function importInto(importer, specifier, line, names) {
    let path;
    try {
      path = resolve(specifier, importer.path, line);
    } catch (e) {
      throw located(e, importer.path, line);
    }
    const known = records.get(path);
    if (known && !known.done && waitsFor(known, importer)) {
      throw located(new SyntaxError(`${importer.path}:${line}: '${specifier}' imports this module back ` +
                                    '(import cycles are not supported)'), importer.path, line);
    }
    let record = known;
    if (!record) {
      try {
        record = create(path, host.read(path));
      } catch (e) {
        throw e.sourceURL === 'module-loader' || e.sourceURL === undefined ? located(e, importer.path, line) : e;
      }
      importer.waitingOn = record;
      record.start();
    }
    importer.waitingOn = record;
    try {
      await record.promise;
    } finally {
      importer.waitingOn = null;
    }
    for (const name of names) {
      if (!Object.prototype.hasOwnProperty.call(record.getters, name)) {
        throw located(new SyntaxError(`${importer.path}:${line}: '${specifier}' has no export named '${name}'`),
                      importer.path, line);
      }
    }
    return record.namespace;
  }

  return (source, path) => create(path, host.translate(source, path)).start().promise.then(() => undefined);
}))JS";

std::string stringArgument(JSContextRef ctx, size_t count, const JSValueRef arguments[], size_t index)
{
    return index < count && JSValueIsString(ctx, arguments[index]) ? textOf(ctx, arguments[index]) : std::string();
}

// translate(source, path): the module code, or a SyntaxError of the file and line.
JSValueRef translate(JSContextRef ctx, const std::string& source, const std::string& path, JSValueRef* exception)
{
    std::string code, error;
    if (!translateModule(source, path, code, error)) {
        JSObjectRef failure = makeError(ctx, "SyntaxError", error);
        const size_t colon = error.find(':', path.size());
        const int line = std::atoi(error.c_str() + (colon == std::string::npos ? error.size() : colon + 1));
        JSObjectSetProperty(ctx, failure, JsString::fromUtf8("sourceURL").get(), JsString::fromUtf8(path).value(ctx),
                            kJSPropertyAttributeNone, nullptr);
        JSObjectSetProperty(ctx, failure, JsString::fromUtf8("line").get(), JSValueMakeNumber(ctx, line),
                            kJSPropertyAttributeNone, nullptr);
        *exception = failure;
        return JSValueMakeUndefined(ctx);
    }
    return JsString::fromUtf8(code).value(ctx);
}

JSValueRef hostTranslate(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count, const JSValueRef arguments[],
                         JSValueRef* exception)
{
    return translate(ctx, stringArgument(ctx, count, arguments, 0), stringArgument(ctx, count, arguments, 1),
                     exception);
}

JSValueRef hostRead(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count, const JSValueRef arguments[],
                    JSValueRef* exception)
{
    const std::string path = stringArgument(ctx, count, arguments, 0);
    std::string source;
    if (!readFileText(path, source)) {
        *exception = makeError(ctx, "Error", "cannot read module " + path);
        return JSValueMakeUndefined(ctx);
    }
    return translate(ctx, source, path, exception);
}

JSValueRef hostEvaluate(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count, const JSValueRef arguments[],
                        JSValueRef* exception)
{
    const JsString code = JsString::fromUtf8(stringArgument(ctx, count, arguments, 0));
    const JsString url = JsString::fromUtf8(stringArgument(ctx, count, arguments, 1));
    JSValueRef value = JSEvaluateScript(ctx, code.get(), nullptr, url.get(), 1, exception);
    return value ? value : JSValueMakeUndefined(ctx);
}

JSValueRef hostResolve(JSContextRef ctx, JSObjectRef, JSObjectRef, size_t count, const JSValueRef arguments[],
                       JSValueRef*)
{
    return JsString::fromUtf8(
               resolveModulePath(stringArgument(ctx, count, arguments, 0), stringArgument(ctx, count, arguments, 1)))
        .value(ctx);
}

void setFunction(JSContextRef ctx, JSObjectRef object, const char* name, JSObjectCallAsFunctionCallback callback)
{
    const JsString key = JsString::fromUtf8(name);
    JSObjectSetProperty(ctx, object, key.get(), JSObjectMakeFunctionWithCallback(ctx, key.get(), callback),
                        kJSPropertyAttributeNone, nullptr);
}

// A relative path of the host's own made absolute, so that import.meta.url is a whole URL.
std::string absolutePath(const std::string& path)
{
    if (path.empty() || path[0] == '/')
        return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd))
        return path;
    return resolveModulePath("./" + path, std::string(cwd) + "/");
}

} // namespace

ModuleLoader::ModuleLoader(JSGlobalContextRef ctx) : ctx_(JSGlobalContextRetain(ctx)) {}

ModuleLoader::~ModuleLoader()
{
    if (loader_)
        JSValueUnprotect(ctx_, loader_);
    JSGlobalContextRelease(ctx_);
}

JSValueRef ModuleLoader::run(const std::string& source, const std::string& path, JSValueRef* exception)
{
    if (!loader_) {
        JSValueRef factory = JSEvaluateScript(ctx_, JsString::fromUtf8(kLoaderSource).get(), nullptr,
                                              JsString::fromUtf8("module-loader").get(), 1, exception);
        if (!factory)
            return nullptr;
        JSObjectRef host = JSObjectMake(ctx_, nullptr, nullptr);
        setFunction(ctx_, host, "translate", hostTranslate);
        setFunction(ctx_, host, "read", hostRead);
        setFunction(ctx_, host, "evaluate", hostEvaluate);
        setFunction(ctx_, host, "resolve", hostResolve);
        JSValueRef argument = host;
        JSValueRef loader =
            JSObjectCallAsFunction(ctx_, JSValueToObject(ctx_, factory, nullptr), nullptr, 1, &argument, exception);
        if (!loader)
            return nullptr;
        loader_ = JSValueToObject(ctx_, loader, nullptr);
        JSValueProtect(ctx_, loader_);
    }
    const std::string file = path.rfind("file://", 0) == 0 ? path.substr(7) : path;
    JSValueRef arguments[] = {JsString::fromUtf8(source).value(ctx_),
                              JsString::fromUtf8(absolutePath(file)).value(ctx_)};
    return JSObjectCallAsFunction(ctx_, loader_, nullptr, 2, arguments, exception);
}

} // namespace script
