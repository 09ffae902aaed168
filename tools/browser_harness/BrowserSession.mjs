// One headless browser (Debian's chromium or firefox-esr) with the extension installed (or none),
// in a profile and HOME of its own under a temporary folder, with the native messaging host
// manifests where that browser looks for them and, if asked, an administrator's policy for the
// extension and Chromium's own policies. The browser runs under `timeout -k`, so even a browser that hangs, or a test that is
// killed, leaves no process behind for long; close() ends it at once and removes the folder.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

import { extensionIds } from './extensionIds.mjs';

const FIREFOX_EXTENSION_UUID = '6b1f4f0e-2c1d-4a57-9a55-3d0c2f6a7e10';
const EXECUTABLES = { chromium: '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr' };

// Chromium reads the administrator's policies from this folder only; a session that writes a
// file there removes it again (also at exit, and a later session removes what a killed one left).
export const CHROMIUM_POLICY_DIR = '/etc/chromium/policies/managed';
const POLICY_PREFIX = 'remote-bridge-test-';

const CHROMIUM_ARGS = [
  '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage',
];

const live = new Set();
function endAll() {
  for (const session of live) {
    session.killNow();
    fs.rmSync(session.dir, { recursive: true, force: true });
  }
}
process.on('exit', endAll);
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
  process.on(signal, () => {
    endAll();
    process.exit(128 + os.constants.signals[signal]);
  });
}

function writeJson(file, value) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  fs.writeFileSync(file, JSON.stringify(value, null, 2));
}

function processAlive(pid) {
  try {
    process.kill(pid, 0);
    return true;
  } catch (e) {
    return false;
  }
}

// Removes policy files of sessions whose process is gone.
function removeStalePolicies() {
  let names = [];
  try {
    names = fs.readdirSync(CHROMIUM_POLICY_DIR);
  } catch (e) {
    return;
  }
  for (const name of names) {
    const match = name.match(new RegExp(`^${POLICY_PREFIX}(\\d+)-`));
    if (match && !processAlive(Number(match[1])))
      fs.rmSync(path.join(CHROMIUM_POLICY_DIR, name), { force: true });
  }
}

// Whether this user may put a policy file for Chromium in place (root may; others are not
// asked for a password).
export function chromiumPolicyWritable() {
  let dir = CHROMIUM_POLICY_DIR;
  while (!fs.existsSync(dir))
    dir = path.dirname(dir);
  try {
    fs.accessSync(dir, fs.constants.W_OK);
    return true;
  } catch (e) {
    return false;
  }
}

export class BrowserSession {
  // options:
  //   browser        'chromium' or 'firefox'
  //   extension      folder of the unpacked extension; null: a browser without it
  //   hostManifests  native messaging host manifests (files) for this browser, put where it
  //                  looks for them
  //   managed        the extension's managed storage (an object), set as the administrator would
  //   policies       Chromium's machine policies (an object, e.g. WebHidAllowDevicesForUrls), set
  //                  as the administrator would
  //   env            extra environment of the browser, and so of the hosts it starts
  //   timeoutSeconds the longest the browser may run (default 300)
  //   loadSeconds    the longest the browser may take to start, or to load a page (default 30;
  //                  a browser on the test VM's emulated CPU takes about as long), and to
  //                  answer the driver (at least 60)
  //   runAs          {user, groups}: for a driver that runs as root, the user (and supplementary
  //                  groups) the browser runs as, in folders of that user
  static async start(options) {
    const session = new BrowserSession(options);
    live.add(session);
    try {
      await session.launch();
    } catch (e) {
      await session.close();
      throw e;
    }
    return session;
  }

  constructor({ browser, extension, hostManifests = [], managed = null, policies = null, env = {}, timeoutSeconds = 300,
                loadSeconds = 30, runAs = null }) {
    if (!EXECUTABLES[browser])
      throw new Error(`unknown browser ${browser}`);
    this.kind = browser;
    this.extensionDir = extension ? path.resolve(extension) : null;
    this.ids = this.extensionDir ? extensionIds(this.extensionDir) : null;
    this.hostManifests = hostManifests;
    this.managed = managed;
    this.policies = policies;
    this.env = env;
    this.timeoutSeconds = timeoutSeconds;
    this.loadSeconds = loadSeconds;
    this.runAs = runAs;
    this.dir = fs.mkdtempSync(path.join(os.tmpdir(), `remote-bridge-${browser}-`));
    this.home = path.join(this.dir, 'home');
    this.profile = path.join(this.dir, 'profile');
    fs.mkdirSync(this.home);
    fs.mkdirSync(this.profile);
    this.policyFile = null;
    this.browser = null;
    this.pid = null;
  }

  async launch() {
    this.writeHostManifests();
    this.writeManagedStorage();
    const wrapper = path.join(this.dir, `${this.kind}-bounded`);
    fs.writeFileSync(wrapper,
      `#!/bin/sh\nexec timeout -k 5 ${this.timeoutSeconds} ${this.userSwitch()}${EXECUTABLES[this.kind]} "$@"\n`, { mode: 0o755 });
    const env = { ...process.env, HOME: this.home, ...this.env };
    delete env.DISPLAY;
    const common = {
      executablePath: wrapper, headless: true, userDataDir: this.profile, env,
      protocolTimeout: Math.max(60, this.loadSeconds) * 1000, timeout: this.loadSeconds * 1000,
    };
    if (this.kind === 'chromium') {
      // Loaded at start, not installed later: Chromium applies an administrator's policy only to
      // the extensions it starts with.
      const extension = this.extensionDir ? [`--load-extension=${this.extensionDir}`] : [];
      this.browser = await puppeteer.launch({
        ...common, pipe: true, enableExtensions: Boolean(this.extensionDir), args: [...CHROMIUM_ARGS, ...extension],
      });
    } else {
      this.browser = await puppeteer.launch({
        ...common,
        browser: 'firefox',
        extraPrefsFirefox: {
          // Nothing reaches out to the network, and the tests' windows open at once.
          'app.update.enabled': false,
          'extensions.update.enabled': false,
          'datareporting.policy.dataSubmissionEnabled': false,
          'toolkit.telemetry.enabled': false,
          'browser.shell.checkDefaultBrowser': false,
          // A fixed internal id, so that the extension's pages have a known address.
          'extensions.webextensions.uuids': JSON.stringify({ [this.ids.firefox]: FIREFOX_EXTENSION_UUID }),
        },
      });
    }
    this.pid = this.browser.process()?.pid ?? null;
    if (this.extensionDir)
      this.extensionId = this.kind === 'chromium' ? this.ids.chromium : await this.browser.installExtension(this.extensionDir);
  }

  // The command that runs the browser as runAs.user, who is given the session's folders; empty
  // without runAs.
  userSwitch() {
    if (!this.runAs)
      return '';
    const id = (flag) => Number(spawnSync('id', [flag, this.runAs.user], { encoding: 'utf8' }).stdout.trim());
    const [uid, gid] = [id('-u'), id('-g')];
    for (const dir of [this.dir, this.home, this.profile])
      fs.chownSync(dir, uid, gid);
    const groups = this.runAs.groups?.length ? `--groups=${this.runAs.groups.join(',')}` : '--clear-groups';
    return `setpriv --reuid=${uid} --regid=${gid} ${groups} `;
  }

  // Chromium reads them from the profile given with --user-data-dir, Firefox from $HOME.
  writeHostManifests() {
    const dir = this.kind === 'chromium'
      ? path.join(this.profile, 'NativeMessagingHosts') : path.join(this.home, '.mozilla', 'native-messaging-hosts');
    for (const file of this.hostManifests) {
      const manifest = JSON.parse(fs.readFileSync(file, 'utf8'));
      writeJson(path.join(dir, `${manifest.name}.json`), manifest);
    }
  }

  writeManagedStorage() {
    if (!this.managed && !this.policies)
      return;
    if (this.kind === 'firefox') {
      if (!this.managed)
        return;
      writeJson(path.join(this.home, '.mozilla', 'managed-storage', `${this.ids.firefox}.json`), {
        name: this.ids.firefox, description: 'set by the test', type: 'storage', data: this.managed,
      });
      return;
    }
    removeStalePolicies();
    this.policyDirsMade = [];
    for (let dir = CHROMIUM_POLICY_DIR; !fs.existsSync(dir); dir = path.dirname(dir))
      this.policyDirsMade.push(dir);
    this.policyFile = path.join(CHROMIUM_POLICY_DIR, `${POLICY_PREFIX}${process.pid}-${path.basename(this.dir)}.json`);
    const extension = this.managed ? { '3rdparty': { extensions: { [this.ids.chromium]: this.managed } } } : {};
    writeJson(this.policyFile, { ...this.policies, ...extension });
  }

  // The address of a page of the extension itself (options, prompt).
  extensionUrl(file) {
    const base = this.kind === 'chromium'
      ? `chrome-extension://${this.ids.chromium}/` : `moz-extension://${FIREFOX_EXTENSION_UUID}/`;
    return base + file.replace(/^\//, '');
  }

  // A page that has the extension's scripts, at the URL, in a window of its own. (A new tab
  // would go to the window in front, which may be the extension's prompt: a popup that closes
  // itself once answered, taking the tab with it while the driver still waits for it to load.)
  async open(url) {
    const page = await this.browser.newPage({ type: 'window' });
    await page.goto(url, { waitUntil: 'load', timeout: this.loadSeconds * 1000 });
    return page;
  }

  // The extension's access prompt, once it is open.
  waitForPrompt(timeout) {
    return this.waitForPage((href) => href.includes('/prompt/prompt.html'), timeout);
  }

  // Brings the page's window to the front, as a user does before a click, and clicks an element
  // once it takes clicks (the prompt's buttons wait until its window was seen and focused for a
  // moment). The click is the element's own: one at screen coordinates can miss a window that a
  // loaded machine is still laying out.
  async press(page, selector, timeout = 20000) {
    await page.bringToFront().catch(() => {});
    await page.waitForSelector(`${selector}:not([disabled])`, { timeout });
    await page.$eval(selector, (element) => element.click());
  }

  // The first page (a tab or popup) whose address passes the test. Firefox reports extension
  // pages to the driver as about:blank, so the address is asked of the page itself.
  async waitForPage(test, timeout = 20000) {
    const deadline = Date.now() + timeout;
    let seen = [];
    while (Date.now() < deadline) {
      seen = [];
      for (const page of await this.browser.pages()) {
        const href = await page.evaluate(() => location.href).catch((error) => `(${error.message})`);
        if (test(href))
          return page;
        seen.push(href);
      }
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    throw new Error(`no such page appeared (pages: ${seen.join(' ')})`);
  }

  // Processes of this session's browser (its own session id), those running `executable` if given.
  processes(executable = '') {
    if (!this.pid)
      return [];
    const args = ['-s', String(this.pid)];
    if (executable)
      args.push('-f', '--', executable);
    const out = spawnSync('pgrep', args, { encoding: 'utf8' });
    return (out.stdout ?? '').split('\n').filter(Boolean).map(Number);
  }

  // Leaves the policy folders as they were: the file goes, and so do the folders made for it
  // if nothing else was put there meanwhile.
  removePolicy() {
    if (!this.policyFile)
      return;
    fs.rmSync(this.policyFile, { force: true });
    this.policyFile = null;
    for (const dir of this.policyDirsMade) {
      try {
        fs.rmdirSync(dir);
      } catch (e) {
        break;
      }
    }
  }

  // Ends the browser and whatever it started (native hosts run in process groups of their own,
  // but in the browser's session).
  killNow() {
    this.removePolicy();
    if (!this.pid)
      return;
    for (const pid of [this.pid, ...this.processes()]) {
      try {
        process.kill(pid, 'SIGKILL');
      } catch (e) {
        // gone already
      }
    }
  }

  async close() {
    live.delete(this);
    if (this.browser) {
      const closing = this.browser.close().catch(() => {});
      await Promise.race([closing, new Promise((resolve) => setTimeout(resolve, 10000))]);
    }
    this.killNow();
    this.pid = null;
    fs.rmSync(this.dir, { recursive: true, force: true });
  }
}

// Runs body(session) with a started browser and always ends the browser.
export async function withBrowser(options, body) {
  const session = await BrowserSession.start(options);
  try {
    return await body(session);
  } finally {
    await session.close();
  }
}
