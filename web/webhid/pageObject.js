// createWebHidBridge(): the page object of the browser extension (window.remoteBridge), made in
// the page over the browser's own WebHID. It has the plug-in object's seven methods, each
// returning a Promise of exactly what the plug-in answers for the same arguments (converted by the
// plug-in's rules), `ready`, `requestAccess()`, and the events `answer` (a command's final answer)
// and `devicechange` (the device list after remotes came or went). So a page written for the
// extension runs in Chromium with nothing installed:
//
//   window.remoteBridge ??= createWebHidBridge();
//
// Every bridge of one page shares one engine (per navigator.hid), as every plug-in object of a
// browser process shares one engine: what one registers or starts, the others see.
import { WebHidEngine } from './WebHidEngine.js';
import { CLEANUP_ALL_TEXT, EXCEPTION_TEXT, PLUGIN_VERSION, SUCCESS } from './responseTexts.js';

const NO_WEBHID = '{{300|Error in plugin:no WebHID in this browser (navigator.hid)}}';
const GESTURE_NEEDED = '{{300|Error in plugin:requestAccess needs a user gesture}}';
const PLUGIN_VERSION_KEY = 'plugin_version';
const INT32_MIN = -2147483648;
const INT32_MAX = 2147483647;

const engines = new WeakMap();
// bridge -> its engine, for runCommand()
const enginesOfBridges = new WeakMap();

function engineFor(hid) {
  let engine = engines.get(hid);
  if (!engine) {
    engine = new WebHidEngine(hid);
    engines.set(hid, engine);
  }
  return engine;
}

// An int argument as the plug-in reads it: a number truncated toward zero, -1 when it is not a
// number or not a 32-bit value.
function intArgument(value) {
  if (typeof value !== 'number')
    return -1;
  const truncated = Math.trunc(value);
  return truncated >= INT32_MIN && truncated <= INT32_MAX ? truncated + 0 : -1;
}

// Lone surrogates become U+FFFD, as they do when a browser hands a string to a plug-in as UTF-8.
function wellFormed(text) {
  if (!/[\uD800-\uDFFF]/.test(text))
    return text;
  let out = '';
  let from = 0;
  for (let i = 0; i < text.length; ++i) {
    const unit = text.charCodeAt(i);
    if (unit < 0xD800 || unit > 0xDFFF)
      continue;
    const next = i + 1 < text.length ? text.charCodeAt(i + 1) : 0;
    if (unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
      ++i;
      continue;
    }
    out += `${text.slice(from, i)}\uFFFD`;
    from = i + 1;
  }
  return from === 0 ? text : out + text.slice(from);
}

// A text argument as the plug-in reads it: a string up to its first NUL, null for anything else.
function textArgument(value) {
  if (typeof value !== 'string')
    return null;
  const text = wellFormed(value);
  const nul = text.indexOf('\u0000');
  return nul < 0 ? text : text.slice(0, nul);
}

// Errors reject as the extension's do: an Error whose message and `response` are the response
// string.
function failure(response) {
  const error = new Error(response);
  error.response = response;
  return error;
}

function pageEvent(type, detail) {
  if (typeof CustomEvent === 'function')
    return new CustomEvent(type, { detail });
  const event = new Event(type);
  Object.defineProperty(event, 'detail', { value: detail, enumerable: true });
  return event;
}

// Where a host has no EventTarget (the page runner, which has no WebHID either), the bridge has
// events that nobody hears.
class SilentTarget {
  addEventListener() {}
  removeEventListener() {}
  dispatchEvent() { return true; }
}

let BridgeClass = null;

// Made on first use, when the host's globals are known.
function bridgeClass() {
  BridgeClass ??= class WebHidRemoteBridge extends (globalThis.EventTarget ?? SilentTarget) {
    #hid;
    #engine;
    // listener -> how often it was added for `answer` (never fewer than the EventTarget holds): no
    // event is made for a page that does not listen.
    #answerListeners = new Map();

    constructor(hid) {
      super();
      this.#hid = hid;
      this.#engine = hid ? engineFor(hid) : null;
      enginesOfBridges.set(this, this.#engine);
      this.#engine?.onAnswer((deviceId, command) => {
        if (this.#answerListeners.size > 0)
          this.dispatchEvent(pageEvent('answer', answerDetail(deviceId, command)));
      });
      this.#engine?.onDevices((devices) => this.dispatchEvent(pageEvent('devicechange', { devices })));
    }

    addEventListener(type, listener, options) {
      if (type === 'answer' && listener)
        this.#answerListeners.set(listener, (this.#answerListeners.get(listener) ?? 0) + 1);
      super.addEventListener(type, listener, options);
    }

    removeEventListener(type, listener, options) {
      const added = type === 'answer' ? this.#answerListeners.get(listener) : 0;
      if (added > 1)
        this.#answerListeners.set(listener, added - 1);
      else if (added === 1)
        this.#answerListeners.delete(listener);
      super.removeEventListener(type, listener, options);
    }

    // True while the page may use a remote that is present (granted by the user's choice or an
    // administrator's policy); asked again at every read.
    get ready() {
      return this.#engine ? this.#engine.hasRemoteOfItsUsage().catch(() => false) : Promise.resolve(false);
    }

    // The browser's chooser, for the registered types of remote. It opens only while the page
    // handles a user gesture; without one the answer is an error at once.
    async requestAccess() {
      if (!this.#engine)
        throw failure(NO_WEBHID);
      let devices;
      try {
        devices = await this.#hid.requestDevice({ filters: this.#engine.filters() });
      } catch (error) {
        const gesture = error?.name === 'SecurityError' || error?.name === 'NotAllowedError';
        throw failure(gesture ? GESTURE_NEEDED : `{{300|Error in plugin:access request failed: ${error?.message ?? error}}}`);
      }
      if (devices.length > 0)
        this.#engine.devicesMayHaveChanged();
      return devices.length > 0;
    }

    #call(call) {
      return this.#engine ? this.#engine.run(call) : Promise.reject(failure(NO_WEBHID));
    }

    addHidlet(vendorId, productId) {
      const [vendor, product] = [intArgument(vendorId), intArgument(productId)];
      return this.#call(() => {
        this.#engine.addHidlet(vendor, product);
        return null;
      });
    }

    getDevices() {
      return this.#call(() => this.#engine.getDevicesInfo().catch(() => EXCEPTION_TEXT));
    }

    getAttributeByKey(key) {
      const text = textArgument(key);
      return this.#call(() => (text === PLUGIN_VERSION_KEY ? PLUGIN_VERSION : null));
    }

    performOperation(...args) {
      const execute = executeOf(this.#engine, args);
      return this.#call(execute);
    }

    cancelCommand(deviceId) {
      const id = textArgument(deviceId);
      return this.#call(() => (id === null ? EXCEPTION_TEXT : this.#engine.cancel(id)));
    }

    cleanupRemote(deviceId) {
      const id = textArgument(deviceId);
      return this.#call(() => (id === null ? EXCEPTION_TEXT : this.#engine.cleanupRemote(id)));
    }

    cleanupAll() {
      return this.#call(async () => {
        await this.#engine.cleanupAll();
        return CLEANUP_ALL_TEXT;
      });
    }
  };
  return BridgeClass;
}

// The engine's execute() for performOperation(...args), the arguments converted as the plug-in
// converts them.
function executeOf(engine, [deviceId, request, responsePackets, timeoutMs, endPacket]) {
  const id = textArgument(deviceId);
  const args = [textArgument(request), intArgument(responsePackets), textArgument(endPacket), intArgument(timeoutMs)];
  return () => (id === null ? EXCEPTION_TEXT : engine.execute(id, ...args));
}

// The `answer` event's detail: {deviceId, result}, the result's text made when it is first read.
function answerDetail(deviceId, command) {
  let result = null;
  return Object.defineProperties({}, {
    deviceId: { value: deviceId, enumerable: true },
    result: { get: () => (result ??= command.response()), enumerable: true },
  });
}

// What the page library does with every command over WebHID, without the events and the calls a
// page makes: the command of bridge.performOperation(...args), run to its end. Resolves with what
// that call answers when it starts no command; else, once the command ended, with its final
// answer, and for success with its input reports themselves ({reports}), not as text. Either way
// the command is collected: the next call starts a new one.
export async function runCommand(bridge, ...args) {
  const engine = enginesOfBridges.get(bridge);
  if (!engine)
    throw failure(NO_WEBHID);
  const deviceId = textArgument(args[0]);
  const execute = executeOf(engine, args);
  const { answer, command } = await engine.run(() => {
    const first = execute();
    return { answer: first, command: first.startsWith('{{-2|') ? engine.commandOf(deviceId) : null };
  });
  if (!command)
    return answer;
  await command.finished;
  if (command.dropped)
    return command.dropped;
  engine.run(() => engine.collect(deviceId, command));
  return command.result === SUCCESS ? { reports: command.received } : command.response();
}

// The page object over `hid` (default: navigator.hid). Without WebHID, `ready` is false and every
// call rejects with "{{300|Error in plugin:no WebHID in this browser (navigator.hid)}}".
export function createWebHidBridge({ hid = globalThis.navigator?.hid } = {}) {
  const Bridge = bridgeClass();
  return new Bridge(hid ?? null);
}

export function isWebHidBridge(value) {
  return BridgeClass !== null && value instanceof BridgeClass;
}
