#include "SuperSimpleEngineFactory.h"

#include <mutex>

#include "CSuperStupidDummyEngine.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

ISuperSimpleDummyEngine* SuperSimpleEngineFactory::superSimpleDummyEngine = nullptr;

ISuperSimpleDummyEngine* SuperSimpleEngineFactory::createSuperSimpleDummyEngine()
{
    static std::mutex creation;
    std::lock_guard<std::mutex> hold(creation);
    if (!superSimpleDummyEngine)
        superSimpleDummyEngine = new CSuperStupidDummyEngine;
    return superSimpleDummyEngine;
}

namespace {

// Unloading the library neither stops the worker nor destroys the engine: the library stays
// mapped once loaded, and the engine lives as long as the process.
__attribute__((destructor)) void finalizer() {}

} // namespace

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane
