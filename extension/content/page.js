// window.remoteBridge, in the page's own world, before any script of the page runs. It has the
// methods of the plug-in's scriptable object, each returning a Promise of the plug-in's answer,
// and talks to the extension through the relay script of this frame (DOM events on document,
// whose detail is JSON text, the one thing both worlds read alike in every browser).
(() => {
  'use strict';
  if (Object.prototype.hasOwnProperty.call(window, 'remoteBridge'))
    return;
  // Copies of names that relay.js, background/responses.js and the host's page methods also
  // spell (a content script cannot import them); tests/sharedNames.test.mjs holds them equal.
  const TO_EXTENSION = 'remote-bridge:to-extension';
  const TO_PAGE = 'remote-bridge:to-page';
  const HOST_DISCONNECTED = '{{300|Error in plugin:host disconnected}}';
  const METHODS = ['addHidlet', 'getDevices', 'getAttributeByKey', 'performOperation',
    'cancelCommand', 'cleanupRemote', 'cleanupAll'];

  // What the page may replace later is taken now.
  const dispatch = EventTarget.prototype.dispatchEvent;
  const listen = EventTarget.prototype.addEventListener;
  const Event_ = CustomEvent;
  const stringify = JSON.stringify;
  const parse = JSON.parse;
  const toWellFormed = String.prototype.toWellFormed;
  const doc = document;

  const pending = new Map();
  let nextId = 1;
  let hello = null; // Promise<boolean> of the last question whether the bridge can take calls
  let readyResolve = null;
  let readyValue = null;

  function post(message) {
    dispatch.call(doc, new Event_(TO_EXTENSION, { detail: stringify(message) }));
  }

  // Makes the frame known to the extension and asks whether the bridge can take calls. An answer
  // of false is asked again on the next look at `ready`: the user may have allowed the origin
  // since, or a host that could not start may start now.
  function connect(askAgain = false) {
    if (!hello || (askAgain && readyValue === false)) {
      readyValue = null;
      hello = new Promise((resolve) => {
        readyResolve = (value) => {
          readyValue = value;
          resolve(value);
        };
      });
      post({ type: 'hello' });
    }
    return hello;
  }

  // A value as a browser hands it to a plug-in: numbers, texts (with lone surrogates replaced,
  // as they are when a string becomes UTF-8), booleans and null pass; undefined is a missing
  // argument; anything else is an object, which the plug-in's rules read as -1 or null.
  function argument(value) {
    switch (typeof value) {
    case 'string': return toWellFormed.call(value);
    case 'number':
    case 'boolean': return value;
    case 'undefined': return null;
    default: return value === null ? null : {};
    }
  }

  function request(message) {
    connect();
    const id = nextId++;
    message.id = id;
    return new Promise((resolve, reject) => {
      pending.set(id, { resolve, reject });
      post(message);
    });
  }

  function failure(text) {
    const error = new Error(text);
    error.response = text;
    return error;
  }

  class RemoteBridge extends EventTarget {
    get ready() { return connect(true); }
    requestAccess() { return request({ type: 'requestAccess' }); }
  }
  for (const name of METHODS) {
    Object.defineProperty(RemoteBridge.prototype, name, {
      value: { [name](...args) { return request({ type: 'call', method: name, args: args.map(argument) }); } }[name],
      writable: true, configurable: true,
    });
  }
  const bridge = new RemoteBridge();
  const addEventListener = bridge.addEventListener;
  // Listening for events needs the frame to be known to the extension.
  Object.defineProperty(bridge, 'addEventListener', {
    value: function addEventListener_(...args) { connect(); return addEventListener.apply(this, args); },
  });

  listen.call(doc, TO_PAGE, (event) => {
    if (typeof event.detail !== 'string')
      return;
    let message;
    try {
      message = parse(event.detail);
    } catch (e) {
      return;
    }
    switch (message.type) {
    case 'reply': {
      const call = pending.get(message.id);
      if (!call)
        return;
      pending.delete(message.id);
      if (typeof message.error === 'string')
        call.reject(failure(message.error));
      else
        call.resolve(message.result === undefined ? null : message.result);
      break;
    }
    case 'ready':
      readyResolve?.(message.value === true);
      break;
    case 'access':
      // The user allowed or revoked the origin: the next look at `ready` asks again.
      if (readyValue !== null)
        hello = null;
      break;
    case 'event':
      if (message.name === 'answer' || message.name === 'devicechange')
        dispatch.call(bridge, new Event_(message.name, { detail: message.detail }));
      break;
    case 'disconnected': {
      // The extension's side of this frame went away: nothing pending will be answered.
      const calls = [...pending.values()];
      pending.clear();
      readyResolve?.(false);
      hello = null;
      for (const call of calls)
        call.reject(failure(HOST_DISCONNECTED));
      break;
    }
    }
  });

  Object.defineProperty(window, 'remoteBridge', { value: bridge, enumerable: true });
})();
