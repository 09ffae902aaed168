// The engine library is not built with the sanitizers, and two of their reports about it are
// about the engine alone. This file, linked into every program that runs script, has the
// sanitizer runtime leave them out:
// - ThreadSanitizer sees only the C library calls of the engine's helper threads (compiler and
//   collector threads, and the GLib loop it runs timers on), not the atomics that order them, so
//   it reports races inside the engine that are none. No state of ours is shared with those
//   threads: script runs on the thread that owns its context.
// - The engine's collector stops the script thread with a signal whose handler, in the engine,
//   may change errno; ThreadSanitizer reports that ("signal handler spoils errno") whenever the
//   signal lands in a call of ours that sets errno. The handler and what it does are the engine's.
// - LeakSanitizer does not scan the engine's own heap, so what the engine allocates with malloc
//   and keeps only from there looks lost (most of all in programs that keep their engine until
//   the process ends, as the fuzz targets do). Our own allocations are still checked.
#if defined(__SANITIZE_THREAD__)
#define SCRIPT_THREAD_SANITIZER 1
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SCRIPT_ADDRESS_SANITIZER 1
#endif
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SCRIPT_THREAD_SANITIZER 1
#endif
#if __has_feature(address_sanitizer)
#define SCRIPT_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef SCRIPT_THREAD_SANITIZER
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_suppressions()
{
    return "called_from_lib:libjavascriptcoregtk-4.1.so.0\n"
           "called_from_lib:libglib-2.0.so.0\n"
           "signal:libjavascriptcoregtk-4.1.so.0\n";
}
#endif

#ifdef SCRIPT_ADDRESS_SANITIZER
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libjavascriptcoregtk-4.1.so.0\n";
}
#endif
