// Waiting: a pause, and the end of an AbortSignal's wait.

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Runs `handler` once when `signal` aborts; gives back the function that stops listening.
export function onAbort(signal, handler) {
  if (!signal)
    return () => {};
  let done = false;
  const once = () => {
    if (!done) {
      done = true;
      handler();
    }
  };
  signal.addEventListener?.('abort', once);
  if (signal.aborted)
    once();
  return () => {
    done = true;
    signal.removeEventListener?.('abort', once);
  };
}
