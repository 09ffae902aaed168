// The one exported entry point of libKVE: hands out the single engine of the process.
#ifndef QUORVEX_KVE_SUPERSIMPLEENGINEFACTORY_H
#define QUORVEX_KVE_SUPERSIMPLEENGINEFACTORY_H

#include "ISuperSimpleDummyEngine.h"

namespace quorvex { namespace lumora { namespace client { namespace corvane {
namespace superstupiddummyengine {

class SuperSimpleEngineFactory
{
public:
    virtual ~SuperSimpleEngineFactory() {}

    // Creates the engine (and starts its worker) on the first call; every later call
    // returns the same object. Nobody destroys it: it lives as long as the process.
    __attribute__((visibility("default"))) static ISuperSimpleDummyEngine* createSuperSimpleDummyEngine();

private:
    static ISuperSimpleDummyEngine* superSimpleDummyEngine;
};

} // namespace superstupiddummyengine
}}}} // namespace quorvex::lumora::client::corvane

#endif
