// What the browser tests need in a page: the events the bridge sent it, and waiting for one.
(() => {
  const bridge = window.remoteBridge;
  const BUSY = '{{-1|Command in progress}}';
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
  // Every message the extension's relay hands this frame, as any script of the page can see it.
  window.relayMessages = [];
  document.addEventListener('remote-bridge:to-page', (event) => window.relayMessages.push(JSON.parse(event.detail)));

  // bridge.html?ask asks for access as the page loads, with no user's gesture.
  if (new URLSearchParams(location.search).has('ask'))
    window.answerOnLoad = bridge.requestAccess();

  window.nextAnswer = (deviceId) => window.nextEvent('answer', (detail) => detail.deviceId === deviceId);

  // A call's outcome as text: its answer, or "rejected:" and the error's response string.
  window.outcome = async (method, ...args) => {
    try {
      return JSON.stringify(await bridge[method](...args));
    } catch (error) {
      return `rejected:${error.response}|${error.message === error.response}`;
    }
  };

  // Another page's way to take a command: performOperation on its remote again and again while
  // the remote is busy, until told to stop. Resolves with the distinct answers it got.
  let hammering = false;
  window.hammerCalls = 0; // answered calls, for a test that must know the hammering has begun
  window.hammer = async (...args) => {
    hammering = true;
    const answers = new Set();
    let answer = BUSY;
    while (hammering && answer === BUSY) {
      try {
        answer = await bridge.performOperation(...args);
      } catch (error) {
        answer = `rejected:${error.response}`;
      }
      answers.add(answer);
      window.hammerCalls += 1;
    }
    return [...answers];
  };
  window.stopHammering = () => { hammering = false; };

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
