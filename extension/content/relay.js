// Relays between window.remoteBridge in the page's world and the extension's background, one
// port per frame. The port opens on the page's first use of the bridge and again after the
// background dropped it; the background learns from its closing that the frame is gone.
(() => {
  'use strict';
  const api = globalThis.browser ?? globalThis.chrome;
  // The event names of page.js, copied (a content script cannot import them); tests/sharedNames.test.mjs
  // holds them equal.
  const TO_EXTENSION = 'remote-bridge:to-extension';
  const TO_PAGE = 'remote-bridge:to-page';
  let port = null;

  function toPage(message) {
    document.dispatchEvent(new CustomEvent(TO_PAGE, { detail: JSON.stringify(message) }));
  }

  function dropped() {
    port = null;
    toPage({ type: 'disconnected' });
  }

  function connect() {
    if (port)
      return port;
    port = api.runtime.connect({ name: 'remote-bridge' });
    const current = port;
    current.onMessage.addListener(toPage);
    current.onDisconnect.addListener(() => {
      if (port === current)
        dropped();
    });
    return current;
  }

  document.addEventListener(TO_EXTENSION, (event) => {
    if (typeof event.detail !== 'string')
      return;
    let message;
    try {
      message = JSON.parse(event.detail);
    } catch (e) {
      return;
    }
    // Whether the user's gesture is on the frame now, told here where page script cannot
    // change it: the extension prompts only then.
    if (message?.type === 'requestAccess')
      message.activated = navigator.userActivation?.isActive === true;
    try {
      connect().postMessage(message);
    } catch (e) {
      dropped();
    }
  });
})();
