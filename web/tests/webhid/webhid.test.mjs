// The WebHID bridge in Node, over a scripted navigator.hid (FakeHid.js): the page object's answers
// against the plug-in's (the shared table of bad page input, and a transcript of commands that the
// real plug-in gives in the page runner on the same simulated remotes when REMOTE_BRIDGE_BUILD
// names a build), what only the WebHID bridge has (grants, the chooser, events, numbered reports,
// devices opened read-only), and the page library's cases over it.
//   REMOTE_BRIDGE_BUILD=build node --test web/tests/webhid/webhid.test.mjs
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

import { createWebHidBridge, openBridge } from '../../remote-bridge.js';
import { reportLayout } from '../../webhid/reportLayout.js';
import { runCases } from '../cases.js';
import { comeAndGo } from '../comeAndGo.js';
import { FakeHid, parseRemote, remoteCollections } from './FakeHid.js';
import {
  END, REPORT, badInputExpected, badInputTranscript, commandTranscript, namesOf, numberedTranscript,
} from './pageObjectCases.js';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..', '..');
const TABLE = JSON.parse(fs.readFileSync(path.join(root, 'plugin', 'tests', 'page_bad_input_rows.json'), 'utf8'));
const TRANSCRIPT_REMOTES = fs.readFileSync(path.join(here, 'transcript-remotes.sim'), 'utf8');
const NUMBERED_REMOTE = fs.readFileSync(path.join(here, 'numbered-remote.sim'), 'utf8');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const NEW = '{{-2|New command created}}';
const FATAL = '{{400|Fatal error occurred, system should be refreshed}}';
const NO_CHANNEL = '{{202|USB Communication channel not found}}';

const fakes = [];
function fakeHid(description = '', options = {}) {
  const hid = new FakeHid();
  if (description)
    hid.plugAll(description, options);
  fakes.push(hid);
  return hid;
}
after(() => fakes.forEach((hid) => hid.stop()));

async function finalAnswer(bridge, ...args) {
  let answer = await bridge.performOperation(...args);
  while (/^\{\{-[12]\|/.test(answer)) {
    await sleep(2);
    answer = await bridge.performOperation(...args);
  }
  return answer;
}

describe('report lengths from WebHID collections, as the engine counts them from the descriptor', () => {
  const report = (reportId, ...sizes) => ({ reportId, items: sizes.map(([reportSize, reportCount]) => ({ reportSize, reportCount })) });
  const collection = (inputReports, outputReports, children = []) =>
    ({ usagePage: 0xFF00, usage: 1, type: 1, inputReports, outputReports, featureReports: [], children });
  const cases = [
    ['unnumbered, 64 and 64 bytes', [collection([report(0, [8, 64])], [report(0, [8, 64])])], [64, 64, false, false]],
    ['numbered: the id byte counts', [collection([report(1, [8, 7])], [report(1, [8, 7])])], [8, 8, true, true]],
    ['the largest of several numbered reports', [collection([report(1, [8, 3]), report(2, [8, 9])], [report(3, [8, 1])])],
      [10, 2, true, true]],
    ['items of one report add up, bits round up to bytes', [collection([report(0, [1, 3], [8, 2])], [report(0, [4, 3])])],
      [3, 2, false, false]],
    ['reports of children and of further collections count', [collection([], [report(0, [8, 4])], [collection([report(0, [8, 5])], [])]),
      collection([report(0, [8, 2])], [])], [7, 4, false, false]],
    ['none, zero or impossible sizes: 64', [collection([report(0, [8, 0])], [report(0, [8, 20000])])], [64, 64, false, false]],
    ['no collections: 64', [], [64, 64, false, false]],
  ];
  for (const [name, collections, expected] of cases) {
    it(name, () => {
      const layout = reportLayout(collections);
      assert.deepEqual([layout.inputLength, layout.outputLength, layout.inputNumbered, layout.outputNumbered], expected);
    });
  }
});

describe('the page object over WebHID answers as the plug-in', () => {
  const TABLE_REMOTES = TABLE.remotes;

  it('gives every row of the shared table of bad page input the plug-in\'s answer', async () => {
    const hid = fakeHid(TABLE_REMOTES);
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x5678);
    const { echo: E, broken: B, quiet: Q } = await namesOf(bridge, hid);
    assert.deepEqual(await badInputTranscript(bridge, TABLE, { E, B, Q }), badInputExpected(TABLE));
  });

  it('gives the same transcript of commands as the plug-in in the page runner on simulated remotes', async (t) => {
    const build = process.env.REMOTE_BRIDGE_BUILD;
    if (!build) {
      t.skip('REMOTE_BRIDGE_BUILD is not set: no page runner to compare with');
      return;
    }
    const hid = fakeHid(TRANSCRIPT_REMOTES);
    const bridge = createWebHidBridge({ hid });
    const pluginNames = { E: 1, B: 2, Q: 3, S: 4, F: 5 };   // positions in the description
    for (const name of Object.keys(pluginNames))
      pluginNames[name] = String((0x14000000 | (pluginNames[name] << 20)) >>> 0);   // the simulator's device ids
    const [webHid, plugin] = await Promise.all([
      (async () => {
        for (const product of [0x5678, 0x12, 0x14])
          await bridge.addHidlet(0x1234, product);
        return commandTranscript(bridge, await namesOf(bridge, hid));
      })(),
      pluginTranscript(build, pluginNames),
    ]);
    // Simulated remotes have a version number; what WebHID does not tell is -1.
    assert.deepEqual(webHid, plugin.map((line) => line.replaceAll('bcd_version_number=256', 'bcd_version_number=-1')));
  });

  it('pushes each final answer and keeps it for the next call, which then starts a new command', async () => {
    const hid = fakeHid(`id=S, reply=3, end=${END}, rate=2`);
    const bridge = createWebHidBridge({ hid });
    const answers = [];
    bridge.addEventListener('answer', (event) => answers.push(event.detail));
    await bridge.addHidlet(0x1234, 0x5678);
    const [id] = Object.values(await namesOf(bridge, hid));
    assert.equal(await bridge.performOperation(id, REPORT, -1, 5000, END), NEW);
    while (answers.length === 0)
      await sleep(2);
    const expected = [0, 1, 2].map((k) => REPORT.slice(0, -2) + `0${k}`).join('') + END;
    assert.deepEqual(answers, [{ deviceId: id, result: expected }]);
    assert.equal(await bridge.performOperation(id, REPORT, -1, 5000, END), expected);
    assert.equal(await bridge.performOperation(id, REPORT, -1, 5000, END), NEW);
  });

  it('tells of remotes coming and going, once per change, and hands a remote\'s last answer over once after it went', async () => {
    const hid = fakeHid('id=A, reply=silent');
    const bridge = createWebHidBridge({ hid });
    const lists = [];
    bridge.addEventListener('devicechange', (event) => lists.push(event.detail.devices));
    await bridge.addHidlet(0x1234, 0x5678);
    const [a] = Object.values(await namesOf(bridge, hid));
    const added = hid.plug(parseRemote('id=N, reply=echo', 2));
    await sleep(20);
    assert.equal(lists.length, 1);
    assert.equal(lists[0].split('||').length, 3);
    hid.plug(parseRemote('id=X, pid=0x9999', 3));   // not of a registered type: no change
    await sleep(20);
    assert.equal(lists.length, 1);

    // A remote gone in the middle of its command: 400 at once, however long the time-out.
    const started = Date.now();
    assert.equal(await bridge.performOperation(a, REPORT, 1, 60000, ''), NEW);
    await sleep(20);
    hid.unplug(hid.devices[0]);
    await sleep(20);
    assert.equal(lists.length, 2, 'the list without it');
    assert.equal(await bridge.performOperation(a, REPORT, 1, 60000, ''), FATAL);
    assert.ok(Date.now() - started < 1000);
    assert.equal(await bridge.performOperation(a, REPORT, 1, 60000, ''), '{{201|Lumora remote not found:in KVE::execute}}');
    hid.unplug(added);
    await sleep(20);
    assert.deepEqual(lists.slice(2), ['']);
  });

  it('ends a command at once when a report cannot be sent because the remote is gone', async () => {
    const hid = fakeHid('id=A, reply=echo');
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x5678);
    const [a] = Object.values(await namesOf(bridge, hid));
    hid.devices[0].gone = true;   // removed, but the browser has not told the page yet
    assert.equal(await finalAnswer(bridge, a, REPORT, 1, 60000, ''), FATAL);
  });

  it('answers 202 for a device opened without write access, and still reads from it', async () => {
    const hid = fakeHid('id=A, reply=echo', { readOnly: true });
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x5678);
    const [a] = Object.values(await namesOf(bridge, hid));
    assert.match(await bridge.getDevices(), /input_report_length=64;;output_report_length=64;;/);
    assert.equal(await finalAnswer(bridge, a, REPORT, 1, 5000, ''), NO_CHANNEL);
    const opens = hid.devices[0].opens;
    assert.equal(await finalAnswer(bridge, a, REPORT, 1, 5000, ''), NO_CHANNEL);
    assert.equal(hid.devices[0].opens, opens, 'known read-only: not tried again');
    hid.devices[0].input(new Uint8Array(64).fill(7));
    assert.equal(await finalAnswer(bridge, a, '', 1, 5000, ''), '07'.repeat(64));
  });

  it('keeps the report id as the first byte of numbered reports, both ways', async () => {
    const hid = fakeHid(NUMBERED_REMOTE, { numbered: true });
    const bridge = createWebHidBridge({ hid });
    const N = await namesOf(bridge, hid);   // nothing listed before its type is registered
    assert.deepEqual(N, {});
    const lines = await numberedTranscript(bridge, { N: 'hid-1' });
    const answers = '{{-2|New command created}} ... string:01A1A2A3A4A5A60001A1A2A3A4A5A601';
    assert.deepEqual(lines, [
      'getDevices() => device_id=N;;token=T;;vendor_id=4660;;product_id=5;;input_report_length=8;;output_report_length=8;;bcd_version_number=-1||',
      `N: two reports, the id first in each => string:${answers}`,
      `N: up to an end packet with the id => string:${answers}`,
    ]);
    assert.deepEqual(hid.devices[0].outputs.map(([id, bytes]) => [id, Buffer.from(bytes).toString('hex')]),
      [[1, 'a1a2a3a4a5a6a7'], [1, 'a1a2a3a4a5a6a7']], 'the id apart from the data, as WebHID sends it');
  });

  it('counts an input report of another length as a read that brought nothing', async () => {
    const hid = fakeHid('id=W, reply=echo, length=7');
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x5678);
    const [w] = Object.values(await namesOf(bridge, hid));
    const started = Date.now();
    assert.equal(await finalAnswer(bridge, w, REPORT, 1, 999, ''), '{{102|USB read error (read timeout)}}');
    assert.ok(Date.now() - started < 500, 'at once, not after a second');
    setTimeout(() => hid.devices[0].input(new Uint8Array(64).fill(1)), 50);
    assert.equal(await finalAnswer(bridge, w, REPORT, 1, 1000, ''), '01'.repeat(64), 'the budget allows the next one');
  });

  it('closes what cleanupRemote and cleanupAll release, and opens it again when listed', async () => {
    const hid = fakeHid('id=A; id=B');
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x5678);
    const { A } = await namesOf(bridge, hid);
    const [deviceA, deviceB] = hid.devices;
    await bridge.cleanupRemote(A);
    assert.deepEqual([deviceA.closes, deviceA.opened], [1, true], 'released, and back at once');
    assert.equal(await bridge.cleanupAll(), '{{0|Cleanup all successfully executed!}}');
    assert.deepEqual([deviceA.opened, deviceB.opened], [false, false]);
    await bridge.getDevices();
    assert.deepEqual([deviceA.opened, deviceB.opened], [true, true]);
  });

  it('leaves a device the page opened itself open, and shares one engine among the page\'s bridges', async () => {
    const hid = fakeHid('id=A');
    await hid.devices[0].open();
    const [one, two] = [createWebHidBridge({ hid }), createWebHidBridge({ hid })];
    await one.addHidlet(0x1234, 0x5678);
    const [a] = Object.values(await namesOf(two, hid));
    assert.equal(await two.performOperation(a, REPORT, 1, 5000, ''), NEW);
    assert.equal(await finalAnswer(one, a, REPORT, 1, 5000, ''), REPORT);
    await two.cleanupAll();
    assert.equal(hid.devices[0].opened, true);
  });

  it('lists only the remotes the page may use; the chooser needs a gesture, and asks for the registered types', async () => {
    const hid = fakeHid('id=A, pid=0x0001', { granted: false });
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x0001);
    assert.equal(await bridge.getDevices(), '');
    assert.equal(await bridge.ready, false);
    const started = Date.now();
    await assert.rejects(bridge.requestAccess(), (error) =>
      error.response === '{{300|Error in plugin:requestAccess needs a user gesture}}' && error.message === error.response);
    assert.ok(Date.now() - started < 100);
    hid.userGesture = true;
    hid.choose = () => [];
    assert.equal(await bridge.requestAccess(), false, 'the user picked nothing');
    assert.deepEqual(hid.lastFilters, [{ vendorId: 0x1234, productId: 1, usagePage: 0xFF00, usage: 1 }]);
    const lists = [];
    bridge.addEventListener('devicechange', (event) => lists.push(event.detail.devices));
    hid.choose = (devices) => devices;
    assert.equal(await bridge.requestAccess(), true);
    assert.equal(await bridge.ready, true);
    await sleep(20);
    assert.equal(lists.length, 1);
    assert.match(await bridge.getDevices(), /^device_id=hid-\d+;;token=\d+;;vendor_id=4660;;product_id=1;;input_report_length=64;;output_report_length=64;;bcd_version_number=-1\|\|$/);
  });

  it('is not ready without WebHID, and every call rejects with a defined answer', async () => {
    const bridge = createWebHidBridge({ hid: null });
    assert.equal(await bridge.ready, false);
    for (const call of [() => bridge.getDevices(), () => bridge.performOperation('1', '00', 1, 1000, ''), () => bridge.requestAccess()])
      await assert.rejects(call(), { response: '{{300|Error in plugin:no WebHID in this browser (navigator.hid)}}' });
  });

  it('lists a device of another usage as no remote', async () => {
    const hid = fakeHid();
    hid.plug(parseRemote('id=K', 1), { collections: remoteCollections(64, 64, false, 0x0001) });
    const bridge = createWebHidBridge({ hid });
    await bridge.addHidlet(0x1234, 0x5678);
    assert.equal(await bridge.getDevices(), '');
    assert.equal(await bridge.ready, false);
  });
});

describe('the page library over WebHID', () => {
  it('passes the library\'s cases', async () => {
    const hid = fakeHid(fs.readFileSync(path.join(here, '..', 'remotes.sim'), 'utf8'));
    const bridge = await openBridge({ transport: 'webhid', hid });
    assert.equal(bridge.kind, 'webhid');
    const log = [];
    const failed = await runCases(bridge, { log: (line) => log.push(line), comeAndGo });
    bridge.close();
    assert.deepEqual(failed, [], log.join('\n'));
  });

  it('picks the extension, else WebHID, else the plug-in, unless told which', async () => {
    const hid = fakeHid();
    const plugin = { performOperation() {} };
    const extension = { performOperation() {}, addEventListener() {} };
    const kinds = async (options) => {
      try {
        return (await openBridge(options)).kind;
      } catch (error) {
        return error.response;
      }
    };
    assert.equal(await kinds({ hid, plugin }), 'webhid');
    assert.equal(await kinds({ hid: null, plugin }), 'plugin');
    assert.equal(await kinds({ hid, plugin, transport: 'plugin' }), 'plugin');
    assert.equal(await kinds({ hid: null, transport: 'webhid' }), '{{300|Error in plugin:no remote bridge: this browser has no WebHID (navigator.hid)}}');
    assert.equal(await kinds({ hid, transport: 'usb' }), '{{300|Error in plugin:transport must be \'extension\', \'webhid\' or \'plugin\'}}');
    globalThis.remoteBridge = extension;
    try {
      assert.equal(await kinds({ hid, plugin }), 'extension');
      assert.equal(await kinds({ hid, transport: 'webhid' }), 'webhid');
      globalThis.remoteBridge = createWebHidBridge({ hid });
      assert.equal(await kinds({ hid: null }), 'webhid', 'a page object of WebHID is driven as WebHID');
    } finally {
      delete globalThis.remoteBridge;
    }
    assert.equal(await kinds({ hid: null }), '{{300|Error in plugin:no remote bridge: neither the extension\'s window.remoteBridge, nor WebHID (navigator.hid), nor a plug-in object}}');
  });
});

// The command transcript of the real plug-in in the page runner, on the same remotes simulated.
function pluginTranscript(build, names) {
  const runner = spawn(path.join(build, 'bin', 'page-runner'), ['--timeout', '120', path.join(here, 'plugin-transcript.js'), 'commands',
    JSON.stringify(names)], { env: { ...process.env, HIDLET_SIM: TRANSCRIPT_REMOTES } });
  let out = '';
  runner.stdout.on('data', (chunk) => { out += chunk; });
  runner.stderr.on('data', (chunk) => { out += chunk; });
  const timer = setTimeout(() => runner.kill('SIGKILL'), 180000);
  return new Promise((resolve, reject) => runner.on('close', (status) => {
    clearTimeout(timer);
    if (status !== 0)
      reject(new Error(`page-runner ended with ${status}: ${out}`));
    else
      resolve(JSON.parse(out.trim().split('\n').pop()));
  }));
}
