// What the browser tests need in a page: the events the bridge sent it, and waiting for one.
(() => {
  const bridge = window.remoteBridge;
  const seen = { answer: [], devicechange: [] };
  const waiting = [];
  window.seenEvents = seen;
  for (const name of Object.keys(seen)) {
    bridge.addEventListener(name, (event) => {
      seen[name].push(event.detail);
      for (const wait of waiting.splice(0)) {
        if (!wait(name, event.detail))
          waiting.push(wait);
      }
    });
  }

  // The next event of that name that passes the test, or one seen already but not yet awaited
  // (from the `from`-th event of that name on).
  const taken = new Set();
  window.nextEvent = (name, test = () => true, from = 0) => new Promise((resolve) => {
    const match = (n, detail) => n === name && !taken.has(detail) && test(detail);
    const early = seen[name].slice(from).find((detail) => match(name, detail));
    if (early) {
      taken.add(early);
      resolve(early);
      return;
    }
    waiting.push((n, detail) => {
      if (!match(n, detail))
        return false;
      taken.add(detail);
      resolve(detail);
      return true;
    });
  });
  window.nextAnswer = (deviceId) => window.nextEvent('answer', (detail) => detail.deviceId === deviceId);

  // A call's outcome as text: its answer, or "rejected:" and the error's response string.
  window.outcome = async (method, ...args) => {
    try {
      return JSON.stringify(await bridge[method](...args));
    } catch (error) {
      return `rejected:${error.response}|${error.message === error.response}`;
    }
  };

  // The plug-in's way: the same call again until the command is over.
  window.pollCommand = async (...args) => {
    for (;;) {
      const answer = await bridge.performOperation(...args);
      if (typeof answer !== 'string' || !/^\{\{-[12]\|/.test(answer))
        return answer;
      await new Promise((resolve) => setTimeout(resolve, 5));
    }
  };
})();
