// remote-bridge.js: universal remotes for page script, as promises, byte arrays and events.
//
//   import { openBridge, RemoteError } from './remote-bridge.js';
//   const bridge = await openBridge();                 // or openBridge({ plugin: embed() })
//   await bridge.addType(0x1234, 0x5678);
//   const [remote] = await bridge.remotes();
//   const reports = await remote.send('0102', { endPacket: 'FF', timeoutMs: 5000 });
//
// It talks to the remotes through the browser extension's window.remoteBridge when the page has
// it, else through the browser's own WebHID (navigator.hid, Chromium), else through the plug-in
// object the page passes in (the element of the NPAPI plug-in, or embed() in the page runner).
// Over the extension and WebHID it waits for the final answer that is pushed; over the plug-in it
// polls, as plug-in pages always did. The one module a page imports (its transports are modules
// beside it); no build step, nothing but the language's own built-ins: it runs in browsers and in
// the project's page hosts alike. Its declarations are remote-bridge.d.ts.
//
// createWebHidBridge() makes the extension's window.remoteBridge over WebHID, for pages written
// for the extension: window.remoteBridge ??= createWebHidBridge();

import { Emitter } from './lib/Emitter.js';
import { bytesToHex, hexToBytes } from './lib/hex.js';
import { ALL_RELEASED, CANCELLED, REMOTE_RELEASED, RemoteError, codeOf, ownError } from './lib/responses.js';
import { ExtensionTransport } from './transports/ExtensionTransport.js';
import { PluginTransport } from './transports/PluginTransport.js';
import { WebHidTransport } from './transports/WebHidTransport.js';
import { createWebHidBridge, isWebHidBridge } from './webhid/pageObject.js';

export { RemoteError, createWebHidBridge };

const MAX_INT32 = 2147483647;

// Bytes from a Uint8Array (or other view), an ArrayBuffer, an array of byte values or
// hexadecimal text, as upper-case hexadecimal text.
function toHex(value, what) {
  if (typeof value === 'string') {
    const hex = value.replace(/\s+/g, '');
    if (!/^[0-9A-Fa-f]*$/.test(hex) || hex.length % 2 !== 0)
      throw ownError(`${what} is not hexadecimal text of whole bytes`);
    return hex.toUpperCase();
  }
  let bytes;
  if (value instanceof ArrayBuffer)
    bytes = new Uint8Array(value);
  else if (ArrayBuffer.isView(value))
    bytes = new Uint8Array(value.buffer, value.byteOffset, value.byteLength);
  else if (Array.isArray(value) && value.every((b) => Number.isInteger(b) && b >= 0 && b <= 255))
    bytes = value;
  else
    throw ownError(`${what} must be bytes (Uint8Array, ArrayBuffer, array of 0 to 255) or hexadecimal text`);
  return bytesToHex(bytes);
}

// Zeros up to whole reports of `length` bytes (nothing to pad when the length is unknown).
function padToReports(hex, length) {
  const digits = 2 * length;
  if (!(digits > 0) || hex === '' || hex.length % digits === 0)
    return hex;
  return hex.padEnd(Math.ceil(hex.length / digits) * digits, '0');
}

// The device list: records ending in "||", attributes "key=value" separated by ";;".
function parseDeviceList(list) {
  if (typeof list !== 'string')
    return [];
  return list.split('||').filter((record) => record !== '').map((record) => {
    const attributes = {};
    for (const pair of record.split(';;')) {
      const equals = pair.indexOf('=');
      if (equals > 0)
        attributes[pair.slice(0, equals)] = pair.slice(equals + 1);
    }
    return attributes;
  }).filter((attributes) => typeof attributes.device_id === 'string');
}

const number = (text) => (text === undefined || text === '' ? NaN : Number(text));

// One remote of the device list. Its attributes are those of the latest listing that held it.
export class Remote extends Emitter {
  #bridge;
  #queue = Promise.resolve();
  #running = new Set();

  constructor(bridge, attributes) {
    super();
    this.#bridge = bridge;
    this.connected = true;
    this.update(attributes);
  }

  update(attributes) {
    this.id = attributes.device_id;
    this.token = number(attributes.token);
    this.vendorId = number(attributes.vendor_id);
    this.productId = number(attributes.product_id);
    this.inputReportLength = number(attributes.input_report_length);
    this.outputReportLength = number(attributes.output_report_length);
    this.version = number(attributes.bcd_version_number);
    this.attributes = { ...attributes };
  }

  listenersChanged() {
    this.#bridge.listenersChanged();
  }

  // Sends `request` (padded with zeros to whole output reports) and resolves with the answer's
  // input reports. Commands to one remote run one after the other.
  send(request, options) {
    const settings = options ?? {};
    let args;
    try {
      args = this.#arguments(request, settings);
    } catch (error) {
      return Promise.reject(error);
    }
    const run = () => this.#run(args, settings.signal);
    const result = this.#queue.then(run, run);
    this.#queue = result.then(() => {}, () => {});
    return result;
  }

  #arguments(request, { packets, untilEndPacket = false, endPacket, timeoutMs = 5000 }) {
    const hex = padToReports(toHex(request, 'the request'), this.outputReportLength);
    const end = endPacket === undefined || endPacket === null ? '' : toHex(endPacket, 'the end packet');
    if (end.length > 2 * this.inputReportLength)
      throw ownError(`the end packet is longer than one input report (${this.inputReportLength} bytes)`);
    if (packets !== undefined && untilEndPacket)
      throw ownError('give packets or untilEndPacket, not both');
    if (packets !== undefined && !(Number.isInteger(packets) && packets >= 0 && packets <= MAX_INT32))
      throw ownError('packets must be a whole number from 0 on');
    if (typeof timeoutMs !== 'number' || !(timeoutMs >= 0))
      throw ownError('timeoutMs must be a number from 0 on');
    const count = untilEndPacket || (packets === undefined && end !== '') ? -1 : (packets ?? 1);
    const timeout = Math.min(Math.trunc(timeoutMs), MAX_INT32);
    return [this.id, hex, count, timeout, padToReports(end, this.inputReportLength)];
  }

  async #run(args, signal) {
    if (signal?.aborted)
      throw new RemoteError(CANCELLED);
    const abandoned = { reason: null, wake: null };
    this.#running.add(abandoned);
    let answer;
    try {
      answer = await this.#bridge.transport.command(this.id, args, signal, abandoned);
    } finally {
      this.#running.delete(abandoned);
    }
    // Over WebHID a successful answer comes as its reports.
    if (Array.isArray(answer?.reports))
      return answer.reports;
    const code = codeOf(answer);
    if (code !== 0)
      throw new RemoteError(answer);
    const digits = 2 * this.inputReportLength;
    const hex = answer.startsWith('{{') ? '' : answer;
    const reports = [];
    for (let at = 0; at < hex.length; at += digits > 0 ? digits : hex.length)
      reports.push(hexToBytes(hex, at, digits > 0 ? digits : hex.length));
    return reports;
  }

  // Commands in flight end with `response` (their remote was released).
  abandon(response) {
    for (const command of this.#running) {
      command.reason = response;
      command.wake?.();
    }
  }

  // Releases the remote in the engine (it is listed again while it is plugged in). A command in
  // flight ends with 600.
  async release() {
    const answer = await this.#bridge.transport.call('cleanupRemote', this.id);
    this.abandon(REMOTE_RELEASED);
    if (codeOf(answer) > 0)
      throw new RemoteError(answer);
  }
}

// The remotes of one page, over one transport. Events "connect" and "disconnect" ({remote}) when
// a remote comes or goes; each remote has them too, for itself.
export class Bridge extends Emitter {
  #remotes = new Map();
  #listed = false;
  #watchMs;
  #watchTimer = null;
  #closed = false;

  constructor(transport, watchMs) {
    super();
    this.transport = transport;
    this.#watchMs = watchMs;
  }

  get kind() {
    return this.transport.kind;
  }

  // Whether calls can be made: over the extension, once the user allowed the site; over WebHID,
  // while the page may use a remote that is present.
  async ready() {
    return this.transport.kind === 'plugin' ? true : (await this.transport.bridge.ready) === true;
  }

  // Over the extension its question to the user; over WebHID the browser's chooser, which needs a
  // user gesture (without one, a RemoteError 300 at once).
  async requestAccess() {
    return this.transport.kind === 'plugin' ? true : (await this.transport.call('requestAccess')) === true;
  }

  async version() {
    return this.transport.call('getAttributeByKey', 'plugin_version');
  }

  async addType(vendorId, productId) {
    for (const [name, value] of [['vendorId', vendorId], ['productId', productId]]) {
      if (!Number.isInteger(value) || value < 0 || value > 0xFFFF)
        throw ownError(`${name} must be a whole number from 0 to 65535`);
    }
    await this.transport.call('addHidlet', vendorId, productId);
  }

  // The remotes of the registered types that are present now.
  async remotes() {
    const list = await this.transport.call('getDevices');
    this.#update(list);
    return [...this.#remotes.values()].filter((remote) => remote.connected);
  }

  // Releases every remote. Commands in flight end with 600.
  async releaseAll() {
    const answer = await this.transport.call('cleanupAll');
    for (const remote of this.#remotes.values())
      remote.abandon(ALL_RELEASED);
    if (codeOf(answer) > 0)
      throw new RemoteError(answer);
  }

  // Stops watching for remotes coming and going.
  close() {
    this.#closed = true;
    this.listenersChanged();
  }

  #update(list) {
    if (typeof list !== 'string')
      return;
    const first = !this.#listed;
    this.#listed = true;
    const present = new Set();
    for (const attributes of parseDeviceList(list)) {
      present.add(attributes.device_id);
      let remote = this.#remotes.get(attributes.device_id);
      if (remote) {
        remote.update(attributes);
        if (!remote.connected) {
          remote.connected = true;
          remote.emit('connect');
          this.emit('connect', { remote });
        }
      } else {
        remote = new Remote(this, attributes);
        this.#remotes.set(remote.id, remote);
        if (!first)
          this.emit('connect', { remote });
      }
    }
    for (const remote of this.#remotes.values()) {
      if (remote.connected && !present.has(remote.id)) {
        remote.connected = false;
        remote.emit('disconnect');
        this.emit('disconnect', { remote });
      }
    }
  }

  // Remotes coming and going are watched while someone listens: over the extension and WebHID by
  // their pushed list, over the plug-in by listing every watchMs.
  listenersChanged() {
    const wanted = !this.#closed && (this.hasListeners('connect', 'disconnect') ||
      [...this.#remotes.values()].some((remote) => remote.hasListeners('connect', 'disconnect')));
    if (this.transport.kind !== 'plugin') {
      if (wanted)
        this.transport.watch((list) => this.#update(list));
      else
        this.transport.unwatch();
      return;
    }
    if (wanted && this.#watchTimer === null) {
      const tick = async () => {
        try {
          await this.remotes();
        } catch (error) {
          // A listing that failed is tried again on the next turn.
        }
        this.#watchTimer = this.#watchTimer === null ? null : setTimeout(tick, this.#watchMs);
      };
      this.#watchTimer = setTimeout(tick, this.#watchMs);
    } else if (!wanted && this.#watchTimer !== null) {
      clearTimeout(this.#watchTimer);
      this.#watchTimer = null;
    }
  }
}

// The bridge over one transport: options.transport ('extension', 'webhid' or 'plugin'), or, left
// out, the extension's window.remoteBridge where the page has it (an installed extension is the
// user's choice, and may have allowed the site already), else WebHID where the browser has it,
// else options.plugin. options.hid: the WebHID object (default navigator.hid); options.pollMs:
// how often a command is asked about over the plug-in (default 5); options.watchMs: how often the
// plug-in's remotes are listed while connect or disconnect are listened for (default 500).
export async function openBridge({ transport, plugin = null, hid = globalThis.navigator?.hid, pollMs = 5, watchMs = 500 } = {}) {
  const pageObject = globalThis.remoteBridge;
  const extension = pageObject && typeof pageObject.performOperation === 'function' && !isWebHidBridge(pageObject)
    ? pageObject : null;
  const webHid = () => (isWebHidBridge(pageObject) ? pageObject : createWebHidBridge({ hid }));
  const hasPlugin = plugin && typeof plugin.performOperation === 'function';
  const chosen = transport ?? (extension ? 'extension' : (hid || isWebHidBridge(pageObject)) ? 'webhid' : 'plugin');
  switch (chosen) {
  case 'extension':
    if (extension)
      return new Bridge(new ExtensionTransport(extension), watchMs);
    throw ownError('no remote bridge: the page has no window.remoteBridge of the extension');
  case 'webhid':
    if (hid || isWebHidBridge(pageObject))
      return new Bridge(new WebHidTransport(webHid()), watchMs);
    throw ownError('no remote bridge: this browser has no WebHID (navigator.hid)');
  case 'plugin':
    if (hasPlugin)
      return new Bridge(new PluginTransport(plugin, pollMs), watchMs);
    throw ownError(transport === undefined
      ? 'no remote bridge: neither the extension\'s window.remoteBridge, nor WebHID (navigator.hid), nor a plug-in object'
      : 'no remote bridge: no plug-in object was given');
  default:
    throw ownError('transport must be \'extension\', \'webhid\' or \'plugin\'');
  }
}
