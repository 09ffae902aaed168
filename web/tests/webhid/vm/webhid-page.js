// The WebHID bridge in Chromium, one part of the VM suite (suite.mjs) per page load, chosen by the
// address's query (?part=NAME): each load has an engine of its own, as each page-runner run has.
// window.startPart() starts it; window.part tells how far it got ({log, done, result}).
import { createWebHidBridge, openBridge } from '../../../remote-bridge.js';
import { runCases } from '../../cases.js';
import { comeAndGo } from '../../comeAndGo.js';
import { badInputTranscript, commandTranscript, namesOf, numberedTranscript, settled } from '../pageObjectCases.js';

const hid = navigator.hid;
const REPORT = '00'.repeat(64);

const parts = {
  // The page library's cases over WebHID.
  async library(log) {
    const bridge = await openBridge();
    log(`transport: ${bridge.kind}`);
    const failed = await runCases(bridge, { log, comeAndGo });
    bridge.close();
    return { failed };
  },

  async commands() {
    const p = createWebHidBridge();
    for (const product of [0x5678, 0x12, 0x14])
      await p.addHidlet(0x1234, product);
    return { lines: await commandTranscript(p, await namesOf(p, hid)) };
  },

  async numbered() {
    const p = createWebHidBridge();
    await p.addHidlet(0x1234, 0x0005);
    return { lines: await numberedTranscript(p, await namesOf(p, hid)) };
  },

  // The shared table of bad page input, but for its rows of 10 MiB texts (one of them sends
  // 81920 reports, minutes under the emulator), which the tests in Node run.
  async rows() {
    const table = await (await fetch('/plugin-tests/page_bad_input_rows.json')).json();
    const p = createWebHidBridge();
    await p.addHidlet(0x1234, 0x5678);
    const { E, B, Q } = await namesOf(p, hid);
    const skip = (row) => row.call.includes('big(');
    return { lines: await badInputTranscript(p, table, { E, B, Q }, skip), skipped: 'big(' };
  },

  // A remote whose hidraw node the page's user may only read: Chromium opens it read-only.
  async readOnly() {
    const p = createWebHidBridge();
    await p.addHidlet(0x1234, 0x0006);
    const list = await p.getDevices();
    const [id] = Object.values(await namesOf(p, hid));
    const args = [id, REPORT, 1, 5000, ''];
    return { list, write: await settled(p, args), again: await settled(p, args) };
  },

  // A page of an origin that no policy allows.
  async noGrant() {
    const p = createWebHidBridge();
    for (const product of [1, 2, 3, 4, 5, 6, 0x12, 0x14, 0x5678])
      await p.addHidlet(0x1234, product);
    const devices = await p.getDevices();
    const ready = await p.ready;
    const started = performance.now();
    let access;
    try {
      access = `resolved ${await p.requestAccess()}`;
    } catch (error) {
      access = `rejected ${error.response}`;
    }
    return { devices, ready, access, accessMs: performance.now() - started, seen: (await hid.getDevices()).length };
  },
};

window.part = { log: [], done: false, result: null, error: null };
window.startPart = () => {
  const name = new URLSearchParams(location.search).get('part');
  const log = (line) => window.part.log.push(line);
  parts[name](log).then((result) => { window.part.result = result; },
    (error) => { window.part.error = `${error?.stack ?? error}`; }).finally(() => { window.part.done = true; });
};
