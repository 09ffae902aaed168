// The one native port of the profile: started on the first call, shared by every page, and
// started again on the next call after the host went away. Requests get ids of their own, so
// answers reach their caller whatever page asked.
import { HOST_DISCONNECTED, MAX_REQUEST_BYTES, REQUEST_TOO_LARGE } from './responses.js';

const utf8 = new TextEncoder();

function tooLarge(request) {
  const text = JSON.stringify(request);
  // A UTF-16 unit is at most three bytes of UTF-8: most requests need no exact count.
  return text.length * 3 > MAX_REQUEST_BYTES && utf8.encode(text).length > MAX_REQUEST_BYTES;
}

export class NativeHost {
  // connectNative: () => a runtime.Port to the host.
  constructor(connectNative) {
    this.connectNative = connectNative;
    this.port = null;
    this.nextId = 1;
    this.pending = new Map(); // id -> resolve
    this.eventListeners = [];
    this.goneListeners = [];
    this.started = null; // Promise<boolean>: the current port has answered once
  }

  onEvent(listener) { this.eventListeners.push(listener); }
  onGone(listener) { this.goneListeners.push(listener); }

  // Resolves with the host's answer, {result} or {error}; never rejects. A host that is gone or
  // cannot be started answers {error: HOST_DISCONNECTED}.
  call(method, args) {
    const id = this.nextId++;
    const request = { id, method, args };
    if (tooLarge(request))
      return Promise.resolve({ error: REQUEST_TOO_LARGE });
    const port = this.connect();
    return new Promise((resolve) => {
      this.pending.set(id, resolve);
      try {
        port.postMessage(request);
      } catch (e) {
        this.pending.delete(id);
        resolve({ error: HOST_DISCONNECTED });
      }
    });
  }

  // Resolves true once the host answers, false when it goes away before that.
  ready() {
    if (!this.port || !this.started)
      this.call('getAttributeByKey', ['plugin_version']);
    return this.started;
  }

  connect() {
    if (this.port)
      return this.port;
    const port = this.connectNative();
    this.port = port;
    let answered;
    this.started = new Promise((resolve) => { answered = resolve; });
    port.onMessage.addListener((message) => {
      answered(true);
      if (this.port === port)
        this.receive(message);
    });
    port.onDisconnect.addListener(() => {
      answered(false);
      if (this.port === port)
        this.gone();
    });
    return port;
  }

  receive(message) {
    if (!message || typeof message !== 'object')
      return;
    if (typeof message.event === 'string') {
      for (const listener of this.eventListeners)
        listener(message);
      return;
    }
    const resolve = this.pending.get(message.id);
    if (!resolve)
      return; // an error answer to a request the host could not read carries no id we sent
    this.pending.delete(message.id);
    if (typeof message.error === 'string')
      resolve({ error: message.error });
    else
      resolve({ result: typeof message.result === 'string' ? message.result : null });
  }

  gone() {
    this.port = null;
    this.started = null;
    const pending = [...this.pending.values()];
    this.pending.clear();
    for (const resolve of pending)
      resolve({ error: HOST_DISCONNECTED });
    for (const listener of this.goneListeners)
      listener();
  }
}
