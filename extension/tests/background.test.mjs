// The background's bookkeeping without a browser: the native port's id rewriting and failure
// answers, and the routing of calls and events between frames, over fakes of the ports.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';

import { NativeHost } from '../background/NativeHost.js';
import { OriginAccess } from '../background/OriginAccess.js';
import { PageBridge } from '../background/PageBridge.js';
import { normalizeOrigin, senderOrigin } from '../background/origins.js';
import { HOST_DISCONNECTED, MAX_REQUEST_BYTES, ORIGIN_NOT_ALLOWED, REQUEST_TOO_LARGE } from '../background/responses.js';

const tick = () => new Promise((resolve) => setImmediate(resolve));

// A runtime.Port to the host: records what is posted, lets the test answer and disconnect.
class FakeNativePort {
  constructor() {
    this.sent = [];
    this.messageListeners = [];
    this.disconnectListeners = [];
    this.onMessage = { addListener: (l) => this.messageListeners.push(l) };
    this.onDisconnect = { addListener: (l) => this.disconnectListeners.push(l) };
  }
  postMessage(message) { this.sent.push(structuredClone(message)); }
  answer(message) { for (const l of this.messageListeners) l(message); }
  disconnect() { for (const l of this.disconnectListeners) l(); }
  take() { const sent = this.sent; this.sent = []; return sent; }
}

function nativeHost() {
  const ports = [];
  const host = new NativeHost(() => { const port = new FakeNativePort(); ports.push(port); return port; });
  return { host, ports };
}

describe('NativeHost', () => {
  it('gives each request an id of its own and hands answers back by id, in any order', async () => {
    const { host, ports } = nativeHost();
    const first = host.call('getDevices', []);
    const second = host.call('getAttributeByKey', ['plugin_version']);
    const [a, b] = ports[0].take();
    assert.notEqual(a.id, b.id);
    ports[0].answer({ id: b.id, result: '2.0' });
    ports[0].answer({ id: a.id, result: 'device_id=1||' });
    assert.deepEqual(await first, { result: 'device_id=1||' });
    assert.deepEqual(await second, { result: '2.0' });
    assert.equal(ports.length, 1);
  });

  it('passes error answers on and reads a missing result as null', async () => {
    const { host, ports } = nativeHost();
    const failed = host.call('performOperation', [1]);
    const empty = host.call('addHidlet', [1, 2]);
    const [a, b] = ports[0].take();
    ports[0].answer({ id: null, error: '{{300|Error in plugin:bad request}}' }); // not ours: ignored
    ports[0].answer({ id: a.id, error: '{{300|Error in plugin:bad request}}' });
    ports[0].answer({ id: b.id, result: null });
    assert.deepEqual(await failed, { error: '{{300|Error in plugin:bad request}}' });
    assert.deepEqual(await empty, { result: null });
  });

  it('answers every pending call when the host goes, and starts a new host on the next call', async () => {
    const { host, ports } = nativeHost();
    let gone = 0;
    host.onGone(() => gone++);
    const pending = [host.call('performOperation', ['1', 'AA', 1, 1000, '']), host.call('getDevices', [])];
    const ready = host.ready();
    ports[0].disconnect();
    assert.deepEqual(await Promise.all(pending), [{ error: HOST_DISCONNECTED }, { error: HOST_DISCONNECTED }]);
    assert.equal(await ready, false);
    assert.equal(gone, 1);
    const next = host.call('getDevices', []);
    assert.equal(ports.length, 2);
    ports[1].answer({ id: ports[1].take()[0].id, result: '' });
    assert.deepEqual(await next, { result: '' });
    // A late message of the old port changes nothing.
    ports[0].answer({ event: 'devices', devices: 'stale' });
  });

  it('refuses a request the host would take for a broken stream, and sends nothing', async () => {
    const { host, ports } = nativeHost();
    const justFits = 'A'.repeat(MAX_REQUEST_BYTES - 100);
    const big = host.call('performOperation', ['1', 'A'.repeat(MAX_REQUEST_BYTES), 1, 1000, '']);
    const wide = host.call('performOperation', ['1', '\u00e9'.repeat(MAX_REQUEST_BYTES / 2), 1, 1000, '']);
    assert.deepEqual(await big, { error: REQUEST_TOO_LARGE });
    assert.deepEqual(await wide, { error: REQUEST_TOO_LARGE });
    assert.equal(ports.length, 0);
    host.call('performOperation', ['1', justFits, 1, 1000, '']);
    assert.equal(ports[0].take().length, 1);
  });
});

// A NativeHost stand-in for the bridge: each call waits for the test to answer it.
class FakeHost {
  constructor() {
    this.calls = [];
    this.eventListeners = [];
    this.goneListeners = [];
  }
  onEvent(l) { this.eventListeners.push(l); }
  onGone(l) { this.goneListeners.push(l); }
  ready() { return Promise.resolve(true); }
  call(method, args) {
    return new Promise((resolve) => this.calls.push({ method, args, resolve }));
  }
  event(message) { for (const l of this.eventListeners) l(message); }
  gone() { for (const l of this.goneListeners) l(); }
  // The calls so far as "method args", and forgets them.
  take() { const calls = this.calls; this.calls = []; return calls; }
  names() { return this.calls.map((c) => `${c.method} ${JSON.stringify(c.args)}`); }
}

class FakeAccess {
  constructor(allowed) { this.allowed = new Set(allowed); this.listeners = []; }
  onChange(l) { this.listeners.push(l); }
  isAllowed(origin) { return Promise.resolve(this.allowed.has(origin)); }
  allowedNow(origin) { return this.allowed.has(origin); }
  request(origin) { return Promise.resolve(this.allowed.has(origin)); }
}

function frame(origin = 'https://app.example') {
  return { origin, got: [], post(message) { this.got.push(message); } };
}

function setup(options) {
  const host = new FakeHost();
  const bridge = new PageBridge(host, new FakeAccess(['https://app.example']), { heldLimitMs: 1000, ...options });
  const a = frame(), b = frame(), stranger = frame('https://other.example');
  for (const f of [a, b, stranger])
    bridge.frameConnected(f);
  // Sends a call of frame f and answers it with result; resolves with what the frame got.
  const call = async (f, method, args, result) => {
    const answered = bridge.call(f, method, args);
    await tick();
    if (result !== undefined)
      host.calls.pop().resolve({ result });
    return answered;
  };
  return { host, bridge, a, b, stranger, call, access: bridge.access };
}

const OP = ['7', 'AA', 1, 5000, ''];
const NEW = '{{-2|New command created}}';
const BUSY = '{{-1|Command in progress}}';

describe('PageBridge', () => {
  it('answers an origin that is not allowed itself, and nothing reaches the host', async () => {
    const { host, stranger, call } = setup();
    for (const method of ['getDevices', 'performOperation', 'cleanupAll'])
      assert.deepEqual(await call(stranger, method, OP), { error: ORIGIN_NOT_ALLOWED });
    assert.equal(host.calls.length, 0);
  });

  it('passes only the page methods on', async () => {
    const { host, a, call } = setup();
    assert.match((await call(a, 'takeAnswer', ['7'])).error, /^\{\{300\|/);
    assert.equal(host.calls.length, 0);
  });

  it('sends a final answer to the frame that started the command, the remotes to every allowed frame', async () => {
    const { host, a, b, stranger, call } = setup();
    assert.deepEqual(await call(a, 'performOperation', OP, NEW), { result: NEW });
    host.event({ event: 'answer', deviceId: '7', result: 'AA' });
    host.event({ event: 'devices', devices: 'device_id=7||' });
    assert.deepEqual(a.got, [
      { type: 'event', name: 'answer', detail: { deviceId: '7', result: 'AA' } },
      { type: 'event', name: 'devicechange', detail: { devices: 'device_id=7||' } },
    ]);
    assert.deepEqual(b.got, [{ type: 'event', name: 'devicechange', detail: { devices: 'device_id=7||' } }]);
    assert.deepEqual(stranger.got, []);
  });

  it('cancels the command of a frame that goes, and takes its answer before anyone else polls', async () => {
    const { host, bridge, a, b, call } = setup();
    await call(a, 'performOperation', OP, NEW);
    bridge.frameGone(a);
    assert.deepEqual(host.names(), ['cancelCommand ["7"]']);
    host.take()[0].resolve({ result: '{{0|Command executed successfully:in KVE::cancel}}' });
    // Another frame polls the same remote: held until the orphaned answer is gone.
    const polled = call(b, 'performOperation', OP);
    await tick();
    assert.deepEqual(host.calls, []);
    host.event({ event: 'answer', deviceId: '7', result: '{{600|Cancel command}}' });
    assert.deepEqual(host.names(), ['takeAnswer ["7"]', `performOperation ${JSON.stringify(OP)}`]);
    const [take, poll] = host.take();
    take.resolve({ result: '{{600|Cancel command}}' });
    poll.resolve({ result: NEW });
    assert.deepEqual(await polled, { result: NEW });
    assert.deepEqual(b.got, []);
    // The new command is b's.
    host.event({ event: 'answer', deviceId: '7', result: 'AA' });
    assert.equal(b.got[0].detail.result, 'AA');
  });

  it('takes at once the answer a gone frame left uncollected', async () => {
    const { host, bridge, a, call } = setup();
    await call(a, 'performOperation', OP, NEW);
    host.event({ event: 'answer', deviceId: '7', result: 'AA' });
    bridge.frameGone(a);
    assert.deepEqual(host.names(), ['takeAnswer ["7"]']);
  });

  it('forgets a command once its answer was collected, or the remote cleaned up', async () => {
    const { host, bridge, a, call } = setup();
    await call(a, 'performOperation', OP, NEW);
    await call(a, 'performOperation', OP, BUSY);
    await call(a, 'performOperation', OP, 'AA');
    await call(a, 'performOperation', ['8', 'AA', 1, 5000, ''], NEW);
    await call(a, 'cleanupRemote', ['8\u0000x'], '{{0|Command executed successfully:in KVE::cleanupRemote}}');
    bridge.frameGone(a);
    assert.deepEqual(host.names(), []);
  });

  it('cancels a command whose frame left before the host said it started', async () => {
    const { host, bridge, a, call } = setup();
    const started = call(a, 'performOperation', OP);
    await tick();
    bridge.frameGone(a);
    host.take()[0].resolve({ result: NEW });
    await started;
    assert.deepEqual(host.names(), ['cancelCommand ["7"]']);
  });

  it('keeps a command to its frame: another frame hears "in progress" and reaches neither its answer nor its cancel', async () => {
    const { host, a, b, call } = setup();
    const started = call(a, 'performOperation', OP);
    await tick();
    // While a's first call is on its way, b's calls on that remote wait for its answer.
    const early = call(b, 'performOperation', ['7', 'BB', 1, 5000, '']);
    await tick();
    assert.deepEqual(host.names(), [`performOperation ${JSON.stringify(OP)}`]);
    host.take()[0].resolve({ result: NEW });
    assert.deepEqual(await started, { result: NEW });
    assert.deepEqual(await early, { result: BUSY });
    assert.deepEqual(await call(b, 'cancelCommand', ['7']), { result: BUSY });
    host.event({ event: 'answer', deviceId: '7', result: 'AA' });
    // The answer the host keeps for a is a's alone.
    assert.deepEqual(await call(b, 'performOperation', OP), { result: BUSY });
    assert.deepEqual(host.calls, []);
    assert.deepEqual(b.got, []);
    assert.deepEqual(await call(a, 'performOperation', OP, 'AA'), { result: 'AA' });
    // Collected: the remote is free for anyone.
    assert.deepEqual(await call(b, 'performOperation', OP, NEW), { result: NEW });
  });

  it('tells a command\'s frame when another frame\'s cleanup ended it, and not when its own did', async () => {
    const { host, a, b, call } = setup();
    await call(a, 'performOperation', OP, NEW);
    await call(a, 'performOperation', ['8', 'AA', 1, 5000, ''], NEW);
    await call(a, 'performOperation', ['9', 'AA', 1, 5000, ''], NEW);
    await call(a, 'cleanupRemote', ['9'], '{{0|Command executed successfully:in KVE::cleanupRemote}}');
    assert.deepEqual(a.got, []);
    await call(b, 'cleanupRemote', ['7'], '{{0|Command executed successfully:in KVE::cleanupRemote}}');
    await call(b, 'cleanupAll', [], '{{0|Cleanup all successfully executed!}}');
    assert.deepEqual(a.got.map((m) => [m.detail.deviceId, m.detail.result]),
      [['7', '{{600|Cancel command}}'], ['8', '{{600|Cancel command}}']]);
    assert.deepEqual(await call(b, 'performOperation', OP, NEW), { result: NEW });
  });

  it('ends a command whose final answer the last poll of a frame that went collected', async () => {
    const { host, bridge, a, b, call } = setup();
    await call(a, 'performOperation', OP, NEW);
    const lastPoll = call(a, 'performOperation', OP);
    await tick();
    bridge.frameGone(a);
    const [poll, cancel] = host.take();
    assert.equal(cancel.method, 'cancelCommand');
    poll.resolve({ result: 'AA' }); // the host had not looked yet, so it sends no event
    await lastPoll;
    assert.deepEqual(await call(b, 'performOperation', OP, NEW), { result: NEW });
  });

  it('lets the calls held for a gone frame\'s command go on after a while, even without its answer', async () => {
    const { host, bridge, a, b, call } = setup({ heldLimitMs: 50 });
    await call(a, 'performOperation', OP, NEW);
    bridge.frameGone(a);
    host.take();
    const held = call(b, 'performOperation', OP);
    await new Promise((resolve) => setTimeout(resolve, 100));
    assert.deepEqual(host.names(), ['takeAnswer ["7"]', `performOperation ${JSON.stringify(OP)}`]);
    host.take()[1].resolve({ result: BUSY });
    assert.deepEqual(await held, { result: BUSY });
  });

  it('tells only the frames whose origin was allowed or revoked', async () => {
    const { bridge, a, stranger, access } = setup();
    await bridge.frameMessage(a, { type: 'hello' });
    await bridge.frameMessage(stranger, { type: 'hello' });
    a.got.length = 0;
    stranger.got.length = 0;
    access.allowed.add('https://elsewhere.example');
    bridge.accessChanged();
    assert.deepEqual([a.got, stranger.got], [[], []]);
    access.allowed.add('https://other.example');
    bridge.accessChanged();
    assert.deepEqual([a.got, stranger.got], [[], [{ type: 'access', allowed: true }]]);
  });

  it('ends running commands and held calls with the defined error when the host goes', async () => {
    const { host, bridge, a, b, call } = setup();
    await call(a, 'performOperation', OP, NEW);
    await call(b, 'performOperation', ['8', 'AA', 1, 5000, ''], NEW);
    bridge.frameGone(a);
    const held = call(b, 'performOperation', OP);
    await tick();
    host.gone();
    assert.deepEqual(await held, { error: HOST_DISCONNECTED });
    assert.deepEqual(b.got, [{ type: 'event', name: 'answer', detail: { deviceId: '8', result: HOST_DISCONNECTED } }]);
    assert.deepEqual(a.got, []);
  });
});

// A store of the user's list whose every read and write takes a moment, as a real one does.
function slowStore(origins) {
  const store = {
    origins,
    async read() { await new Promise((resolve) => setTimeout(resolve, 2)); return [...store.origins]; },
    async write(list) { await new Promise((resolve) => setTimeout(resolve, 5)); store.origins = [...list]; },
  };
  return store;
}

describe('OriginAccess', () => {
  it('keeps a revoke that happens while an Allow is written, and an Allow that happens while a revoke is', async () => {
    const store = slowStore(['https://revoked.example']);
    let opened;
    const promptOpen = new Promise((resolve) => { opened = resolve; });
    const access = new OriginAccess({
      userOrigins: store, readManaged: async () => ({ origins: [] }),
      refusals: { read: async () => [], write: async () => {} },
      prompts: { open: async () => { opened(); return 1; } },
    });
    const asked = access.request('https://new.example', { site: 'https://new.example', activated: true });
    await promptOpen;
    await Promise.all([access.decide('https://new.example', true), access.revoke('https://revoked.example')]);
    assert.equal(await asked, true);
    assert.deepEqual(store.origins, ['https://new.example']);
    assert.deepEqual([access.allowedNow('https://new.example'), access.allowedNow('https://revoked.example')], [true, false]);
  });
});

describe('origins', () => {
  it('reads origin texts as a page origin, and refuses what is none or what no page of the extension\'s has', () => {
    const cases = [
      ['https://Example.com:443/', 'https://example.com'],
      ['http://127.0.0.1:8080', 'http://127.0.0.1:8080'],
      ['http://localhost', 'http://localhost'],
      ['http://example.com', null],
      ['https://*.example.com', null],
      ['https://*', null],
      ['https://example.com/app', null],
      ['https://user@example.com', null],
      ['file:///tmp/x.html', null],
      ['null', null],
      ['', null],
      [42, null],
    ];
    for (const [text, origin] of cases)
      assert.equal(normalizeOrigin(text), origin, String(text));
  });

  it('takes a frame\'s origin from the browser only: without it the frame is opaque', () => {
    const cases = [
      [{ origin: 'https://app.example', url: 'https://app.example/x' }, 'https://app.example'],
      [{ origin: 'null', url: 'https://app.example/sandboxed' }, 'null'],
      [{ url: 'https://app.example/sandboxed' }, 'null'],
      [{}, 'null'],
    ];
    for (const [sender, origin] of cases)
      assert.equal(senderOrigin(sender), origin, JSON.stringify(sender));
  });
});
