// Modules on a context of the C API: each import and export form, what the scanner must not take
// for a statement, line numbers kept, and errors that name the file and line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "script/JsString.h"
#include "script/ModuleLoader.h"
#include "script/ScriptValues.h"

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

class Modules : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/module-loader-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(name));
        dir = name;
        ctx = JSGlobalContextCreate(nullptr);
        script::onUnhandledRejection(ctx, [](JSContextRef ctx, JSObjectRef, JSObjectRef, size_t n,
                                             const JSValueRef a[], JSValueRef*) -> JSValueRef {
            JSObjectRef global = JSContextGetGlobalObject(ctx);
            JSObjectSetProperty(ctx, global, script::JsString::fromUtf8("rejected").get(),
                                n > 1 ? a[1] : JSValueMakeUndefined(ctx), kJSPropertyAttributeNone, nullptr);
            return JSValueMakeUndefined(ctx);
        });
        loader = std::make_unique<script::ModuleLoader>(ctx);
    }
    void TearDown() override
    {
        loader.reset();
        JSGlobalContextRelease(ctx);
        fs::remove_all(dir);
    }

    void write(const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, text] : files) {
            fs::create_directories((dir / name).parent_path());
            std::ofstream(dir / name) << text;
        }
    }

    // Runs `source` as the module main.js of the folder; the text of the global `result`, or
    // "threw: ..." / "rejected: ..." with the error's message and, where it has them, file and line.
    std::string run(const std::string& source)
    {
        write({{"main.js", source}});
        JSValueRef exception = nullptr;
        loader->run(source, (dir / "main.js").string(), &exception);
        if (exception)
            return "threw: " + describe(exception);
        if (JSValueRef rejected = global("rejected"); !JSValueIsUndefined(ctx, rejected))
            return "rejected: " + describe(rejected);
        return script::textOf(ctx, global("result"));
    }

    JSValueRef global(const char* name)
    {
        return JSObjectGetProperty(ctx, JSContextGetGlobalObject(ctx), script::JsString::fromUtf8(name).get(),
                                   nullptr);
    }

    std::string describe(JSValueRef error)
    {
        std::string text = script::textOf(ctx, error);
        if (JSValueIsObject(ctx, error)) {
            JSObjectRef object = JSValueToObject(ctx, error, nullptr);
            const std::string file = script::stringProperty(ctx, object, "sourceURL");
            if (!file.empty())
                text += " @" + fs::path(file).filename().string() + ":" +
                        std::to_string(static_cast<int>(script::numberProperty(ctx, object, "line", 0)));
        }
        const std::string prefix = dir.string() + "/";
        for (size_t at; (at = text.find(prefix)) != std::string::npos;)
            text.erase(at, prefix.size());
        return text;
    }

    fs::path dir;
    JSGlobalContextRef ctx = nullptr;
    std::unique_ptr<script::ModuleLoader> loader;
};

TEST_F(Modules, EveryImportAndExportForm)
{
    write({{"lib/forms.js",
            "export const one = 1;\n"
            "export let two = 2;\n"
            "export function three() { return 3; }\n"
            "export async function four() { return 4; }\n"
            "export class Five { get value() { return 5; } }\n"
            "const six = 6, seven = 7;\n"
            "export { six, seven as sieben };\n"
            "export default 'default';\n"},
           {"lib/named-default.js", "export default function answer() { return 42; }\n"},
           {"side.js", "globalThis.sideEffects = (globalThis.sideEffects ?? 0) + 1;\n"}});
    EXPECT_EQ(run("import './side.js';\n"
                  "import './side.js';\n"
                  "import dflt, { one, two as zwei, three, four, Five, six, sieben } from './lib/forms.js';\n"
                  "import * as ns from './lib/../lib/forms.js';\n"
                  "import answer, * as named from './lib/named-default.js';\n"
                  "import { default as again } from './lib/named-default.js';\n"
                  "const values = [dflt, one, zwei, three(), await four(), new Five().value, six, sieben,\n"
                  "  Object.keys(ns).sort().join(' '), answer(), named.default === again, sideEffects,\n"
                  "  typeof this, import.meta.url.endsWith('/main.js')];\n"
                  "globalThis.result = values.join(',');\n"),
              "default,1,2,3,4,5,6,7,Five default four one sieben six three two,42,true,1,undefined,true");
}

TEST_F(Modules, WordsInsideStringsCommentsTemplatesAndRegularExpressionsAreNotStatements)
{
    write({{"value.js", "export const value = 'v';\n"}});
    EXPECT_EQ(run("// import nothing from './missing.js';\n"
                  "/* export { nothing }; */\n"
                  "const text = \"import x from './missing.js'\";\n"
                  "const template = `export ${ { a: '}' }.a } import`;\n"
                  "const pattern = /export|import/g;\n"
                  "const ratio = 4 / 2 / 1;\n"
                  "const object = { import: 1, export: 2 };\n"
                  "import { value } from './value.js';\n"
                  "globalThis.result = [text.length, template, pattern.source, ratio, object.import + object.export,\n"
                  "  value].join('|');\n"),
              "28|export } import|export|import|2|3|v");
}

TEST_F(Modules, ClassicScriptsAreNotModules)
{
    EXPECT_FALSE(script::isModuleSource("var x = 1; plugin.import(1); import('./dynamic.js');"));
    EXPECT_FALSE(script::isModuleSource("function f() { const t = 'export default 1'; }"));
    EXPECT_TRUE(script::isModuleSource("// a page\nimport { a } from './a.js';"));
    EXPECT_TRUE(script::isModuleSource("export const a = 1;"));
}

TEST_F(Modules, EngineErrorsKeepTheLineOfTheFile)
{
    write({{"thrower.js", "import './side.js';\n\n\nexport function boom() {\n  throw new Error('boom');\n}\n"},
           {"side.js", "\n"}});
    EXPECT_EQ(run("import { boom } from './thrower.js';\n"
                  "\n"
                  "boom();\n"),
              "rejected: Error: boom @thrower.js:5");
    EXPECT_EQ(run("import { boom } from './thrower.js';\n"
                  "let broken = ;\n"),
              "threw: SyntaxError: Unexpected token ';' @main.js:2");
}

TEST_F(Modules, DynamicImportAndTopLevelAwait)
{
    write({{"late.js", "await null;\nexport const late = 'late';\n"}});
    EXPECT_EQ(run("const { late } = await import('./late.js');\n"
                  "globalThis.result = late;\n"),
              "late");
}

TEST_F(Modules, UnsupportedFormsAndBadImportsNameFileAndLine)
{
    write({{"a.js", "import { b } from './b.js';\nexport const a = 1;\n"},
           {"b.js", "\nimport { a } from './a.js';\nexport const b = 2;\n"},
           {"broken.js", "export const ok = 1;\n\nexport const bad = ;\n"},
           {"good.js", "export const good = 1;\n"}});
    const struct {
        const char* source;
        const char* outcome;
    } cases[] = {
        {"\nexport * from './good.js';\n", "threw: SyntaxError: main.js:2: export * is not supported: import, then export @main.js:2"},
        {"export { good } from './good.js';\n",
         "threw: SyntaxError: main.js:1: re-exports (export ... from) are not supported: import, then export @main.js:1"},
        {"export const { x } = {};\n",
         "threw: SyntaxError: main.js:1: destructuring in an export declaration is not supported: export each name @main.js:1"},
        {"import data from './good.js' with { type: 'json' };\n",
         "threw: SyntaxError: main.js:1: import attributes are not supported @main.js:1"},
        {"if (true) {\n  import { good } from './good.js';\n}\n",
         "threw: SyntaxError: main.js:2: an import declaration must be at the top level of the module @main.js:2"},
        {"const s = 'open;\n", "threw: SyntaxError: main.js:1: unterminated string @main.js:1"},
        {"\n\nimport x from 'bare-package';\n",
         "rejected: TypeError: main.js:3: cannot import 'bare-package': only relative (\"./\", \"../\") and "
         "absolute paths are supported @main.js:3"},
        {"import { nothing } from './good.js';\n",
         "rejected: SyntaxError: main.js:1: './good.js' has no export named 'nothing' @main.js:1"},
        {"import './missing.js';\n", "rejected: Error: cannot read module missing.js @main.js:1"},
        {"import { a } from './a.js';\n",
         "rejected: SyntaxError: b.js:2: './a.js' imports this module back (import cycles are not supported) @b.js:2"},
        {"import { bad } from './broken.js';\n", "rejected: SyntaxError: Unexpected token ';' @broken.js:3"},
    };
    for (const auto& c : cases) {
        loader = std::make_unique<script::ModuleLoader>(ctx);
        JSObjectDeleteProperty(ctx, JSContextGetGlobalObject(ctx), script::JsString::fromUtf8("rejected").get(),
                               nullptr);
        EXPECT_EQ(run(c.source), c.outcome) << c.source;
    }
}

TEST(ModulePath, ResolvesAgainstTheImportingFile)
{
    const struct {
        const char* specifier;
        const char* referrer;
        const char* path;
    } cases[] = {
        {"./a.js", "/pages/main.js", "/pages/a.js"},
        {"../web/lib.js", "/pages/sub/main.js", "/pages/web/lib.js"},
        {"../../../../x.js", "/pages/main.js", "/x.js"},
        {"/abs/./b.js", "/pages/main.js", "/abs/b.js"},
        {"file:///abs/c.js", "/pages/main.js", "/abs/c.js"},
        {"./a.js", "main.js", "a.js"},
        {"../a.js", "main.js", "../a.js"},
        {"lib", "/pages/main.js", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(script::resolveModulePath(c.specifier, c.referrer), c.path) << c.specifier << " from " << c.referrer;
}

} // namespace
