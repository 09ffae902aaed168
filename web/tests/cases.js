// The page library's cases, the same over every transport: run by plugin-suite.js in the page
// runner over the real plug-in, and by the browser suite's page over the extension, on the
// simulated remotes of remotes.sim.
//
// env: { log(line), comeAndGo(bridge, check) (remotes coming and going, which each suite brings
// about in its own way), performCalls() (over the extension: how often the page called
// performOperation) }.
import { RemoteError } from '../remote-bridge.js';

const VENDOR = 0x1234;
const PRODUCT = { echo: 1, several: 2, quiet: 3, flaky: 4 };
const END = 'EE'.repeat(64);

const hex = (bytes) => Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, '0')).join('');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class Failure extends Error {}

export const check = {
  equal(actual, expected, what) {
    const a = JSON.stringify(actual);
    const e = JSON.stringify(expected);
    if (a !== e)
      throw new Failure(`${what}: got ${a}, expected ${e}`);
  },
  true(value, what) {
    if (!value)
      throw new Failure(what);
  },
  // The RemoteError `promise` rejects with, as [code, text, detail].
  async rejects(promise, [code, text, detail], what) {
    let error = null;
    try {
      await promise;
    } catch (e) {
      error = e;
    }
    if (!(error instanceof RemoteError) || !(error instanceof Error))
      throw new Failure(`${what}: expected a RemoteError, got ${error}`);
    check.equal([error.code, error.text, error.detail], [code, text, detail], what);
    check.equal(error.response, `{{${code}|${text}${detail ? `:${detail}` : ''}}}`, `${what} (response)`);
  },
  // Resolves once `emitter` has an event `type`, or fails after `ms`.
  event(emitter, type, ms, what) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Failure(`${what}: no ${type} event within ${ms} ms`)), ms);
      emitter.addEventListener(type, (event) => {
        clearTimeout(timer);
        resolve(event);
      }, { once: true });
    });
  },
};

// An AbortController where the host has one, else the least of one (the page runner has none).
function abortController() {
  if (globalThis.AbortController)
    return new AbortController();
  const listeners = [];
  const signal = {
    aborted: false,
    addEventListener: (type, listener) => type === 'abort' && listeners.push(listener),
    removeEventListener: (type, listener) => listeners.includes(listener) && listeners.splice(listeners.indexOf(listener), 1),
  };
  return {
    signal,
    abort() {
      signal.aborted = true;
      for (const listener of [...listeners])
        listener({ type: 'abort' });
    },
  };
}

// A report of the `several` remote: the request padded to 64 bytes, its last byte set to k.
const numbered = (request, k) => request.padEnd(126, '0') + k.toString(16).toUpperCase().padStart(2, '0');

const cases = [
  ['remotes are listed with their attributes as numbers and text', async (bridge, remotes) => {
    const { echo } = remotes;
    check.equal([typeof echo.id, echo.vendorId, echo.productId, echo.inputReportLength, echo.outputReportLength,
                 typeof echo.token, typeof echo.version, echo.connected],
                ['string', VENDOR, 1, 8, 8, 'number', 'number', true], 'echo remote');
    check.equal(echo.attributes.product_id, '1', 'the list\'s own text');
    const again = (await bridge.remotes()).find((remote) => remote.id === echo.id);
    check.true(again === echo, 'a remote listed again is the same object');
  }],

  ['the request is padded to whole output reports, the answer split into input reports', async (bridge, remotes) => {
    const request = new Uint8Array([1, 2, 3, 4, 5, 6, 7, 8, 9, 10]);
    const reports = await remotes.echo.send(request, { packets: 2 });
    check.true(reports.every((report) => report instanceof Uint8Array), 'reports are Uint8Arrays');
    check.equal(reports.map(hex), ['0102030405060708', '090A000000000000'], 'two reports of 8 bytes');
    check.equal((await remotes.echo.send('c0 de', { packets: 1 })).map(hex), ['C0DE000000000000'], 'hexadecimal text');
    check.equal((await remotes.echo.send([255], { packets: 0 })).length, 0, 'a command that only writes');
  }],

  ['the answer up to the end packet, or of a number of reports', async (bridge, remotes) => {
    const untilEnd = await remotes.several.send('C0DE', { endPacket: END, timeoutMs: 5000 });
    check.equal(untilEnd.map(hex), [numbered('C0DE', 0), numbered('C0DE', 1), numbered('C0DE', 2), END],
                'three reports and the end packet');
    const two = await remotes.several.send('C0DE', { packets: 2, untilEndPacket: false });
    check.equal(two.map(hex), [numbered('C0DE', 0), numbered('C0DE', 1)], 'two reports');
  }],

  ['commands to one remote run one after the other', async (bridge, remotes) => {
    const answers = await Promise.all(['11', '22', '33'].map((request) => remotes.echo.send(request, { packets: 1 })));
    check.equal(answers.map((reports) => hex(reports[0]).slice(0, 2)), ['11', '22', '33'], 'each its own answer');
  }],

  ['a silent remote\'s time-out rejects with its code, text and detail', async (bridge, remotes) => {
    await check.rejects(remotes.quiet.send('01', { packets: 1, timeoutMs: 0 }),
                        [102, 'USB read error (read timeout)', ''], 'time-out');
  }],

  ['an abort signal cancels the command with 600; the next command is a new one', async (bridge, remotes) => {
    const early = abortController();
    early.abort();
    await check.rejects(remotes.quiet.send('01', { packets: 1, signal: early.signal }), [600, 'Cancel command', ''],
                        'aborted before it started');
    const controller = abortController();
    const started = Date.now();
    setTimeout(() => controller.abort(), 100);
    await check.rejects(remotes.quiet.send('01', { packets: 1, timeoutMs: 30000, signal: controller.signal }),
                        [600, 'Cancel command', ''], 'aborted while it waits');
    check.true(Date.now() - started < 5000, 'the cancel ends the wait');
    controller.abort();
    await check.rejects(remotes.quiet.send('02', { packets: 1, timeoutMs: 0 }),
                        [102, 'USB read error (read timeout)', ''], 'the next command');
  }],

  ['bad input rejects before anything reaches the remote', async (bridge, remotes) => {
    const { echo } = remotes;
    const bad = [
      [() => echo.send('0G'), 'the request is not hexadecimal text of whole bytes'],
      [() => echo.send('012'), 'the request is not hexadecimal text of whole bytes'],
      [() => echo.send([1, 256]), 'the request must be bytes (Uint8Array, ArrayBuffer, array of 0 to 255) or hexadecimal text'],
      [() => echo.send(42), 'the request must be bytes (Uint8Array, ArrayBuffer, array of 0 to 255) or hexadecimal text'],
      [() => echo.send('01', { endPacket: 'ZZ' }), 'the end packet is not hexadecimal text of whole bytes'],
      [() => echo.send('01', { endPacket: '00'.repeat(9) }), 'the end packet is longer than one input report (8 bytes)'],
      [() => echo.send('01', { packets: -1 }), 'packets must be a whole number from 0 on'],
      [() => echo.send('01', { packets: 1.5 }), 'packets must be a whole number from 0 on'],
      [() => echo.send('01', { packets: 1, untilEndPacket: true }), 'give packets or untilEndPacket, not both'],
      [() => echo.send('01', { timeoutMs: -1 }), 'timeoutMs must be a number from 0 on'],
      [() => echo.send('01', { timeoutMs: '5' }), 'timeoutMs must be a number from 0 on'],
      [() => bridge.addType(0x10000, 1), 'vendorId must be a whole number from 0 to 65535'],
      [() => bridge.addType(VENDOR, '1'), 'productId must be a whole number from 0 to 65535'],
    ];
    for (const [call, detail] of bad)
      await check.rejects(call(), [300, 'Error in plugin', detail], detail);
    await check.rejects(echo.send('01', { untilEndPacket: true }), [210, 'KVE terminate signal missing', ''],
                        'the engine\'s own answer: no end packet for an answer of unknown length');
    check.equal((await echo.send('AB', null)).map(hex), ['AB00000000000000'], 'the remote still answers (one report by default)');
  }],

  ['releasing a remote ends its command in flight with 600', async (bridge, remotes) => {
    const running = remotes.quiet.send('01', { packets: 1, timeoutMs: 30000 });
    await sleep(100);
    await remotes.quiet.release();
    await check.rejects(running, [600, 'Cancel command', 'remote released'], 'the command');
    check.true((await bridge.remotes()).includes(remotes.quiet), 'a remote still plugged in is listed again');
  }],

  ['over the extension a command\'s answer is pushed, never polled', async (bridge, remotes, env) => {
    if (bridge.kind !== 'extension')
      return;
    const before = env.performCalls();
    await remotes.several.send('01', { endPacket: END });
    // One call starts the command, one collects the answer the host kept for the page.
    check.equal(env.performCalls() - before, 2, 'performOperation calls');
  }],

  ['remotes coming and going are events of the bridge and of the remote', async (bridge, remotes, env) => {
    await env.comeAndGo(bridge, remotes);
  }],

  ['releaseAll answers', async (bridge) => {
    await bridge.releaseAll();
  }],
];

// Runs every case; resolves with the names of those that failed.
export async function runCases(bridge, env) {
  await bridge.addType(VENDOR, PRODUCT.echo);
  await bridge.addType(VENDOR, PRODUCT.several);
  await bridge.addType(VENDOR, PRODUCT.quiet);
  await bridge.addType(VENDOR, PRODUCT.flaky);
  const remotes = {};
  for (const remote of await bridge.remotes()) {
    const name = Object.keys(PRODUCT).find((key) => PRODUCT[key] === remote.productId);
    if (name)
      remotes[name] = remote;
  }
  const failed = [];
  for (const [name, run] of cases) {
    try {
      await run(bridge, remotes, env);
      env.log(`ok - ${name}`);
    } catch (error) {
      failed.push(name);
      env.log(`not ok - ${name}: ${error?.message ?? error}${error instanceof Failure ? '' : `\n${error?.stack}`}`);
    }
  }
  return failed;
}
