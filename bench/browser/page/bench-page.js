// Times commands as a page sees them: from the call that starts a command to the "answer"
// event with its final answer. The page makes no call while the command runs; the call after
// the event collects the answer the host kept (untimed), so that the next call starts anew.
(() => {
  const bridge = window.remoteBridge;
  let calls = 0;
  const performOperation = (...args) => {
    calls++;
    return bridge.performOperation(...args);
  };

  window.timeCommands = async (deviceId, request, packets, rounds) => {
    const times = [];
    let callsWhileRunning = 0;
    for (let round = 0; round < rounds; round++) {
      const answered = new Promise((resolve) => {
        bridge.addEventListener('answer', function done(event) {
          if (event.detail.deviceId !== deviceId)
            return;
          bridge.removeEventListener('answer', done);
          resolve([performance.now(), event.detail.result]);
        });
      });
      const start = performance.now();
      const started = await performOperation(deviceId, request, packets, 5000, '');
      if (started !== '{{-2|New command created}}')
        throw new Error(`the command did not start: ${started}`);
      const callsAtStart = calls;
      const [end, result] = await answered;
      callsWhileRunning += calls - callsAtStart;
      const collected = await performOperation(deviceId, request, packets, 5000, '');
      if (collected !== result || /^\{\{/.test(result))
        throw new Error(`unexpected answer ${result.slice(0, 80)} / ${collected.slice(0, 80)}`);
      times.push((end - start) * 1000);
    }
    return { times, callsWhileRunning };
  };
})();
