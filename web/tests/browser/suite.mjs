// The page library over the extension in a real browser, with the real native host on the
// simulated remotes of ../remotes.sim:
//   REMOTE_BRIDGE_HOST_MANIFESTS=<build>/native_host/manifests node suite.mjs chromium|firefox
// The page runs the same cases as the page runner does over the plug-in (../cases.js); then the
// example page of the library (examples/web/library-example.html) runs unchanged.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

import { BrowserSession } from '../../../tools/browser_harness/BrowserSession.mjs';
import { PageServer } from '../../../tools/browser_harness/PageServer.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const web = path.resolve(here, '..', '..');
const root = path.resolve(web, '..');
const kind = process.argv[2];
const manifests = process.env.REMOTE_BRIDGE_HOST_MANIFESTS;
if (!['chromium', 'firefox'].includes(kind) || !manifests) {
  console.error('usage: REMOTE_BRIDGE_HOST_MANIFESTS=<folder> node suite.mjs chromium|firefox');
  process.exit(2);
}
const EXTRA_REMOTE = 'id=extra, pid=0x0001, in=8, out=8, reply=echo';
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

describe(`the page library over the extension in ${kind}`, () => {
  let work;
  let simFile;
  let tests;
  let examples;
  let session;

  before(async () => {
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'page-library-'));
    simFile = path.join(work, 'remotes.sim');
    fs.copyFileSync(path.join(web, 'tests', 'remotes.sim'), simFile);
    tests = await PageServer.start(web);
    examples = await PageServer.start(path.join(root, 'examples', 'web'), { mounts: { '/web/': web } });
    session = await BrowserSession.start({
      browser: kind,
      extension: path.join(root, 'extension'),
      hostManifests: [path.join(manifests, kind, 'org.example.remote_bridge.json')],
      env: { HIDLET_SIM: `@${simFile}` },
      timeoutSeconds: 240,
    });
  });

  // The user allows the page's origin in the extension's prompt. (An administrator's policy would
  // do too, but Chromium reads every policy file at once, and other suites set theirs meanwhile.)
  async function allow(page) {
    await page.evaluate(() => { window.accessAnswer = window.remoteBridge.requestAccess(); });
    await session.press(await session.waitForPrompt(), '#allow');
    assert.equal(await page.evaluate(() => window.accessAnswer), true);
  }

  after(async () => {
    await session?.close();
    await tests?.close();
    await examples?.close();
    if (work)
      fs.rmSync(work, { recursive: true, force: true });
  });

  it('passes the library\'s cases', async () => {
    const page = await session.open(tests.url('tests/browser/library.html'));
    await page.waitForFunction(() => window.libraryPageReady === true, { timeout: 10000 });
    await allow(page);
    let running = true;
    const outcome = page.evaluate(() => window.runLibraryCases()).finally(() => { running = false; });
    // The page's remotes coming and going: the simulated remotes' file gains a remote and loses it.
    const description = fs.readFileSync(simFile, 'utf8');
    let step = null;
    while (running) {
      const asked = await page.evaluate(() => window.harnessStep ?? null).catch(() => null);
      if (asked !== step) {
        step = asked;
        if (step === 'plug')
          fs.writeFileSync(simFile, `${description}${EXTRA_REMOTE}\n`);
        else if (step === 'unplug')
          fs.writeFileSync(simFile, description);
      }
      await sleep(50);
    }
    const { failed, log } = await outcome;
    console.log(log.join('\n'));
    assert.deepEqual(failed, []);
  });

  it('runs the example page of the library unchanged', async () => {
    await allow(await session.open(examples.url('index.html')));
    const page = await session.open(examples.url('library-example.html'));
    await page.waitForFunction(() => /done: \d/.test(document.getElementById('log').textContent), { timeout: 20000 });
    const log = await page.evaluate(() => document.getElementById('log').textContent);
    const report = (k) => '0102030405060708'.padEnd(126, '0') + k;
    assert.equal(log, ['transport: extension', '1 remote(s)',
      'remote 340787200: vendor 4660, product 22136, reports 64 in / 64 out', 'answer: 4 report(s)',
      `  ${report('00')}`, `  ${report('01')}`, `  ${report('02')}`, `  ${'FF'.padEnd(128, '0')}`, 'done: 0', ''].join('\n'));
  });
});
