// The extension in a real browser, with the real native host on simulated remotes:
//   node suite.mjs chromium|firefox
// One browser start serves every case; the cases run in order and build on each other (the
// origin allowed in the access cases is the one the command cases use). Environment:
//   REMOTE_BRIDGE_HOST_MANIFESTS  the build's host manifests: <browser>/<host name>.json, naming
//                                 the built remote-bridge-host
//   REMOTE_BRIDGE_INSTALLED=1     instead: the extension and host of a system install (the Debian
//                                 package), the browser finding the host's manifest where the
//                                 install put it
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

import { BrowserSession, chromiumPolicyWritable } from '../../../tools/browser_harness/BrowserSession.mjs';
import { PageServer } from '../../../tools/browser_harness/PageServer.mjs';
import { REFUSED_POLICY_ENTRIES, registerAccessCases } from './accessCases.mjs';
import { registerBadInputCases } from './badInputCases.mjs';
import { registerCommandCases } from './commandCases.mjs';
import { REMOTES, simDescription } from './remotes.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const kind = process.argv[2];
const manifests = process.env.REMOTE_BRIDGE_HOST_MANIFESTS;
const installed = process.env.REMOTE_BRIDGE_INSTALLED === '1';
if (!['chromium', 'firefox'].includes(kind) || (!manifests && !installed)) {
  console.error('usage: REMOTE_BRIDGE_HOST_MANIFESTS=<folder> | REMOTE_BRIDGE_INSTALLED=1 node suite.mjs chromium|firefox');
  process.exit(2);
}
const SYSTEM_MANIFEST_DIRS = { chromium: '/etc/chromium/native-messaging-hosts', firefox: '/usr/lib/mozilla/native-messaging-hosts' };
const hostManifest = installed
  ? path.join(SYSTEM_MANIFEST_DIRS[kind], 'org.example.remote_bridge.json')
  : path.join(manifests, kind, 'org.example.remote_bridge.json');
const hostPath = JSON.parse(fs.readFileSync(hostManifest, 'utf8')).path;
const extensionDir = installed ? '/usr/share/remote-bridge/extension' : path.join(here, '..', '..');

// Shared by the cases: the browser, the page servers and a few helpers.
const context = {
  kind,
  hostPath,
  remotes: REMOTES,
  // Pages of an origin that the user allows in the access cases, of one the administrator
  // allows (the same server reached as localhost) and of one that stays unknown.
  home: null,
  app: null,
  other: null, // an origin the user refuses

  managedOrigin: null,
  managedByPolicy: kind === 'firefox' || chromiumPolicyWritable(),
  session: null,
  simFile: null,
  pages: new Set(),
  async open(url) {
    const page = await this.session.open(url);
    this.pages.add(page);
    page.once('close', () => this.pages.delete(page));
    return page;
  },
  hostPids() { return this.session.processes(this.hostPath); },
  // Puts the test page of `server` into `page` as a frame; resolves with that frame.
  async embed(page, server) {
    await page.evaluate((url) => new Promise((resolve) => {
      const frame = document.createElement('iframe');
      frame.onload = resolve;
      frame.src = url;
      document.body.append(frame);
    }), server.url('bridge.html'));
    return page.frames().find((f) => f.url().startsWith(server.origin));
  },
  // Calls window.remoteBridge[method](...args) in the page; resolves with its answer or with
  // "rejected:<response>|<message equals response>".
  outcome(page, method, ...args) {
    return page.evaluate((m, a) => window.outcome(m, ...a), method, args);
  },
};

describe(`the extension in ${kind}`, () => {
  let work;

  before(async () => {
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'remote-bridge-suite-'));
    context.simFile = path.join(work, 'remotes.sim');
    fs.writeFileSync(context.simFile, simDescription());
    context.home = await PageServer.start(path.join(here, 'pages'));
    context.app = await PageServer.start(path.join(here, 'pages'));
    context.other = await PageServer.start(path.join(here, 'pages'));
    context.managedOrigin = `http://localhost:${new URL(context.home.origin).port}`;
    context.session = await BrowserSession.start({
      browser: kind,
      extension: extensionDir,
      hostManifests: installed ? [] : [hostManifest],
      managed: context.managedByPolicy ? { allowedOrigins: [context.managedOrigin, ...REFUSED_POLICY_ENTRIES] } : null,
      env: { HIDLET_SIM: `@${context.simFile}`, ...sanitizerLogs(path.join(work, 'sanitizer')) },
      timeoutSeconds: 400,
    });
  });

  after(async () => {
    await context.session?.close();
    await context.home?.close();
    await context.app?.close();
    await context.other?.close();
    if (work)
      fs.rmSync(work, { recursive: true, force: true });
  });

  registerAccessCases(context);
  registerCommandCases(context);
  registerBadInputCases(context);

  it('leaves no host running once the browser closed', async () => {
    const pids = context.hostPids();
    assert.equal(pids.length, 1, `one host, not ${pids}`);
    await context.session.browser.close();
    const deadline = Date.now() + 10000;
    while (pids.some(processAlive) && Date.now() < deadline)
      await new Promise((resolve) => setTimeout(resolve, 100));
    assert.deepEqual(pids.filter(processAlive), []);
  });

  it('leaves no sanitizer report of a host (in a sanitizer build)', () => {
    const dir = path.join(work, 'sanitizer');
    const reports = fs.existsSync(dir) ? fs.readdirSync(dir) : [];
    for (const name of reports)
      console.log(fs.readFileSync(path.join(dir, name), 'utf8'));
    assert.deepEqual(reports, []);
  });
});

// A host built with a sanitizer writes its reports into files there (the browser would swallow
// its standard error); other builds ignore these settings.
function sanitizerLogs(dir) {
  fs.mkdirSync(dir, { recursive: true });
  const env = {};
  for (const name of ['ASAN_OPTIONS', 'UBSAN_OPTIONS', 'TSAN_OPTIONS']) {
    const prefix = name.slice(0, -'_OPTIONS'.length).toLowerCase();
    env[name] = [process.env[name], `log_path=${path.join(dir, prefix)}`].filter(Boolean).join(':');
  }
  return env;
}

// A process that ended but was not reaped yet counts as gone.
function processAlive(pid) {
  try {
    return !/^\d+ \(.*\) Z/.test(fs.readFileSync(`/proc/${pid}/stat`, 'utf8'));
  } catch (e) {
    return false;
  }
}
