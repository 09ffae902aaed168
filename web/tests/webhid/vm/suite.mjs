// The WebHID bridge in real Chromium (plain headless) inside the test VM, against uhid remotes on
// the kernel's own HID stack, the page's origin allowed by Chromium's WebHID policy; beside it the
// real plug-in in the page runner on the same remotes, whose answers the bridge's must equal.
// job.sh starts it as root, with the remotes plugged; Chromium runs as nobody, a member of plugdev,
// whom the project's udev rule gives access:
//   BROWSER_XDG_RUNTIME_DIR=<a folder of nobody> node suite.mjs BUILD_DIR
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

import { BENCH_PAGE_DIR, measure } from '../../../../bench/webhid/webhid-bench.mjs';
import { BrowserSession } from '../../../../tools/browser_harness/BrowserSession.mjs';
import { PageServer } from '../../../../tools/browser_harness/PageServer.mjs';
import { badInputExpected } from '../pageObjectCases.js';

const here = path.dirname(fileURLToPath(import.meta.url));
const web = path.resolve(here, '..', '..', '..');
const root = path.resolve(web, '..');
const build = path.resolve(process.argv[2] ?? path.join(root, 'build'));
const TABLE = JSON.parse(fs.readFileSync(path.join(root, 'plugin', 'tests', 'page_bad_input_rows.json'), 'utf8'));
const NO_CHANNEL = 'string:{{202|USB Communication channel not found}}';
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The engine's device id of each uhid remote by its name (HID_UNIQ): a HID device with no USB
// device above it has the location id 1 << 48 | its HID instance.
function engineDeviceIds() {
  const ids = {};
  for (const node of fs.readdirSync('/sys/class/hidraw')) {
    const device = `/sys/class/hidraw/${node}/device`;
    const name = /^HID_UNIQ=(.*)$/m.exec(fs.readFileSync(`${device}/uevent`, 'utf8'))?.[1];
    const instance = path.basename(fs.realpathSync(device)).split('.').pop();
    if (name)
      ids[name] = ((1n << 48n) | BigInt(`0x${instance}`)).toString();
  }
  return ids;
}

// A page of the page runner over the real plug-in; resolves with its output.
function pageRunner(...args) {
  const runner = spawn(path.join(build, 'bin', 'page-runner'), ['--timeout', '240', ...args]);
  let out = '';
  runner.stdout.on('data', (chunk) => { out += chunk; });
  runner.stderr.on('data', (chunk) => { out += chunk; });
  return new Promise((resolve) => runner.on('close', (status) => resolve({ status, out })));
}

function pluginTranscript(kind, names) {
  return pageRunner(path.join(web, 'tests', 'webhid', 'plugin-transcript.js'), kind, JSON.stringify(names));
}

// The lines of a transcript the page runner printed.
function linesOf({ status, out }) {
  assert.equal(status, 0, out);
  return JSON.parse(out.trim().split('\n').pop());
}

describe('the WebHID bridge in Chromium, against uhid remotes, beside the plug-in', () => {
  let app;
  let stranger;
  let session;
  let page;
  const plugin = {};

  before(async () => {
    // webhid-bench's page too: a page of another origin would take Chromium a minute or more to
    // start a renderer for, under the emulator.
    app = await PageServer.start(web, {
      mounts: { '/plugin-tests/': path.join(root, 'plugin', 'tests'), '/bench/': BENCH_PAGE_DIR, '/web/': web },
    });
    stranger = await PageServer.start(web);
    // The plug-in's side first, alone: under the emulator's one CPU, a browser starting beside it
    // would slow its remotes' timing.
    const ids = engineDeviceIds();
    plugin.library = await pageRunner(path.join(web, 'tests', 'plugin-suite.js'));
    plugin.commands = await pluginTranscript('commands', { E: ids.E, B: ids.B, Q: ids.Q, S: ids.S, F: ids.F });
    plugin.numbered = await pluginTranscript('numbered', { N: ids.N });
    const started = Date.now();
    session = await BrowserSession.start({
      browser: 'chromium',
      extension: null,
      policies: {
        WebHidAllowDevicesForUrls: [{ devices: [{ vendor_id: 0x1234 }], urls: [app.origin] }],
      },
      loadSeconds: 300,
      timeoutSeconds: 1500,
      runAs: { user: 'nobody', groups: ['plugdev'] },
      env: { XDG_RUNTIME_DIR: process.env.BROWSER_XDG_RUNTIME_DIR },
    });
    console.log(`# ${await session.browser.version()} started in ${Date.now() - started} ms`);
    page = await session.open('about:blank');
  });

  after(async () => {
    await session?.close();
    await app?.close();
    await stranger?.close();
  });

  // Loads the test page for one part and waits for it; its result. The page is asked over the
  // DevTools protocol without a user gesture (the driver's own evaluate() would lend it one, and a
  // gesture lets requestAccess() open the chooser, which nobody answers here).
  async function part(name, server = app) {
    await page.goto(`${server.url('tests/webhid/vm/webhid.html')}?part=${name}`, { waitUntil: 'load', timeout: 300000 });
    const protocol = await page.createCDPSession();
    const ask = async (expression) => {
      const { result, exceptionDetails } = await protocol.send('Runtime.evaluate',
        { expression, returnByValue: true, awaitPromise: true, userGesture: false });
      if (exceptionDetails)
        throw new Error(`${expression}: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
      return result.value;
    };
    await ask('window.startPart()');
    let state;
    let shown = 0;
    for (;;) {
      state = await ask('window.part');
      for (const line of state.log.slice(shown))
        console.log(`# ${line}`);
      shown = state.log.length;
      if (state.done)
        break;
      await sleep(1000);
    }
    await protocol.detach();
    assert.equal(state.error, null);
    return state.result;
  }

  it('the plug-in passes the library\'s cases on these remotes', () => {
    console.log(plugin.library.out.replace(/^/gm, '# '));
    assert.equal(plugin.library.status, 0);
  });

  it('passes the library\'s cases over WebHID', async () => {
    assert.deepEqual((await part('library')).failed, []);
  });

  it('gives the plug-in\'s transcript of commands', async () => {
    assert.deepEqual((await part('commands')).lines, linesOf(plugin.commands));
  });

  it('keeps the id of numbered reports as the plug-in does', async () => {
    assert.deepEqual((await part('numbered')).lines, linesOf(plugin.numbered));
  });

  it('answers the rows of the table of bad page input as the plug-in', async () => {
    const { lines, skipped } = await part('rows');
    assert.deepEqual(lines, badInputExpected(TABLE, (row) => row.call.includes(skipped)));
  });

  it('answers 202 to a write on a remote whose node the page\'s user may only read', async () => {
    const { list, write, again } = await part('readOnly');
    assert.match(list, /;;product_id=6;;input_report_length=64;;output_report_length=64;;bcd_version_number=-1\|\|$/);
    assert.deepEqual([write, again], [NO_CHANNEL, NO_CHANNEL]);
  });

  it('lists nothing to an origin without a grant; requestAccess() without a gesture answers at once', async () => {
    const result = await part('noGrant', stranger);
    console.log(`# requestAccess() answered in ${result.accessMs.toFixed(1)} ms`);
    assert.deepEqual([result.devices, result.ready, result.seen, result.access],
      ['', false, 0, 'rejected {{300|Error in plugin:requestAccess needs a user gesture}}']);
    assert.ok(result.accessMs < 1000);
  });

  it('runs webhid-bench in its short form (figures printed, not judged)', async () => {
    await measure({ session, tab: page, pageUrl: app.url('bench/index.html'), build, quick: true, one: 0x0021, long: 0x0022 });
  });
});
