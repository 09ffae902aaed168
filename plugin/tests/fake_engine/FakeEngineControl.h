// Control interface of the test double of libKVE. Tests reach these functions with dlsym on the same
// libKVE.so the plug-in loaded, so the plug-in and the test see one engine.
#ifndef DEVICE_PLUGIN_FAKEENGINECONTROL_H
#define DEVICE_PLUGIN_FAKEENGINECONTROL_H

#include <stddef.h>

extern "C" {

// How the engine answers the next call of an operation.
enum FakeEngineBehaviour {
    FAKE_ANSWER_TEXT = 0,  // response (or device list) = the given text
    FAKE_ANSWER_NULL = 1,  // response left null (device list: empty)
    FAKE_THROW_STD = 2,    // throws std::runtime_error
    FAKE_THROW_OTHER = 3,  // throws an int
};

// How the factory answers.
enum FakeFactoryBehaviour {
    FAKE_FACTORY_ENGINE = 0,
    FAKE_FACTORY_NULL = 1,
    FAKE_FACTORY_THROW = 2,
};

typedef void (*fake_engine_reset_fn)(void);
typedef void (*fake_engine_queue_fn)(const char* operation, int behaviour, const char* text);
typedef void (*fake_engine_set_factory_fn)(int behaviour);
typedef size_t (*fake_engine_call_count_fn)(void);
typedef const char* (*fake_engine_call_fn)(size_t index);
typedef unsigned (*fake_engine_factory_calls_fn)(void);
typedef size_t (*fake_engine_engines_fn)(void);
}

#endif
