// The engine library is not built with the sanitizers. ThreadSanitizer sees only the C library
// calls of its helper threads (compiler and collector threads, and the GLib loop it runs timers
// on), not the atomics that order them, so it reports races inside the engine that are none. No
// state of ours is shared with those threads: script runs on the thread that owns its context.
// This hook, linked into every program that runs script, has the runtime ignore what the two
// libraries call.
#if defined(__SANITIZE_THREAD__)
#define SCRIPT_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SCRIPT_THREAD_SANITIZER 1
#endif
#endif

#ifdef SCRIPT_THREAD_SANITIZER
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions()
{
    return "called_from_lib:libjavascriptcoregtk-4.1.so.0\n"
           "called_from_lib:libglib-2.0.so.0\n";
}
#endif
