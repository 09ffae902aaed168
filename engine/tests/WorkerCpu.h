// CPU time that the engine's worker threads have used, read from /proc for the threads of this
// process named as the engine names its worker ("kve-worker"). Soaks and tests use it to show that
// the worker does not spin while it waits for a remote.
#ifndef ENGINE_TESTS_WORKERCPU_H
#define ENGINE_TESTS_WORKERCPU_H

namespace engine_test {

// Seconds of CPU (user and system) of every live worker thread of this process, summed; -1 when
// no such thread exists. The kernel counts in clock ticks (10 ms here).
double workerCpuSeconds();

} // namespace engine_test

#endif
