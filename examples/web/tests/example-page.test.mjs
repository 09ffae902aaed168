// The README's way of trying the extension, in Chromium: the install script (with the demo's
// simulated remote) for a user of its own, the installed extension and host, the example page
// from its server; allow the site, list the remotes, send a request, see the answer.
//   REMOTE_BRIDGE_BUILD=<build folder> node --test example-page.test.mjs
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, it } from 'node:test';
import { fileURLToPath } from 'node:url';

import { BrowserSession } from '../../../tools/browser_harness/BrowserSession.mjs';
import { PageServer } from '../../../tools/browser_harness/PageServer.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..', '..');
const build = process.env.REMOTE_BRIDGE_BUILD;
let home;
let server;
let session;

before(async () => {
  home = fs.mkdtempSync(path.join(os.tmpdir(), 'example-page-'));
  const env = { ...process.env, HOME: home };
  delete env.XDG_CONFIG_HOME;
  const run = spawnSync('sh', [path.join(root, 'scripts', 'install-browser-bridge.sh'), `--build=${build}`, '--simulated'],
    { env, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  server = await PageServer.start(path.join(root, 'examples', 'web'));
  session = await BrowserSession.start({
    browser: 'chromium',
    extension: path.join(home, '.local', 'share', 'remote-bridge', 'extension'),
    hostManifests: [path.join(home, '.config', 'chromium', 'NativeMessagingHosts', 'org.example.remote_bridge.json')],
    timeoutSeconds: 120,
  });
});

after(async () => {
  await session?.close();
  await server?.close();
  fs.rmSync(home, { recursive: true, force: true });
});

it('answers from the simulated remote on the example page', async () => {
  const page = await session.open(server.url('index.html'));
  await page.waitForSelector('#allow:not([hidden])');
  await page.click('#allow');
  await session.press(await session.waitForPrompt(), '#allow');
  await page.waitForSelector('#controls:not([hidden])');
  await page.waitForFunction(() => document.querySelectorAll('#remote option').length === 1);
  await page.click('#request button[type=submit]');
  // Three reports (the request with its last byte numbered 0, 1, 2) and the end packet FF.
  const report = (k) => '0102030405060708'.padEnd(126, '0') + k;
  const expected = report('00') + report('01') + report('02') + 'FF'.padEnd(128, '0');
  await page.waitForFunction((text) => document.getElementById('answer').textContent === text, { timeout: 10000 }, expected);
});
