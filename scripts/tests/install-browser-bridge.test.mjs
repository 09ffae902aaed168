// install-browser-bridge.sh for a user of its own (a temporary HOME): what it puts where, that
// the installed host runs from its new folder and answers through the manifest's path, and that
// --remove takes it all away again.
//   REMOTE_BRIDGE_BUILD=<build folder> node --test install-browser-bridge.test.mjs
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const script = path.join(root, 'scripts', 'install-browser-bridge.sh');
const build = process.env.REMOTE_BRIDGE_BUILD;
const NAME = 'org.example.remote_bridge';

function install(home, ...args) {
  const env = { ...process.env, HOME: home };
  delete env.XDG_CONFIG_HOME;
  const run = spawnSync('sh', [script, ...args], { env, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  return run.stdout;
}

// Sends the requests to the host as the browser would and resolves with its answers.
function ask(host, requests) {
  return new Promise((resolve, reject) => {
    const child = spawn(host, [], { stdio: ['pipe', 'pipe', 'inherit'], env: { ...process.env, HIDLET_SIM: '' } });
    let input = Buffer.alloc(0);
    const answers = [];
    child.stdout.on('data', (data) => {
      input = Buffer.concat([input, data]);
      while (input.length >= 4 && input.length >= 4 + input.readUInt32LE(0)) {
        const length = input.readUInt32LE(0);
        const message = JSON.parse(input.subarray(4, 4 + length).toString('utf8'));
        input = input.subarray(4 + length);
        if (message.id !== undefined)
          answers.push(message);
        if (answers.length === requests.length)
          child.stdin.end();
      }
    });
    child.on('error', reject);
    child.on('exit', (code) => (code === 0 ? resolve(answers) : reject(new Error(`host exited with ${code}`))));
    for (const request of requests) {
      const body = Buffer.from(JSON.stringify(request));
      const header = Buffer.alloc(4);
      header.writeUInt32LE(body.length);
      child.stdin.write(Buffer.concat([header, body]));
    }
  });
}

describe('install-browser-bridge.sh', { skip: build ? false : 'REMOTE_BRIDGE_BUILD is not set' }, () => {
  let home;
  before(() => { home = fs.mkdtempSync(path.join(os.tmpdir(), 'install-browser-bridge-')); });
  after(() => fs.rmSync(home, { recursive: true, force: true }));

  const manifests = () => ({
    chromium: path.join(home, '.config', 'chromium', 'NativeMessagingHosts', `${NAME}.json`),
    firefox: path.join(home, '.mozilla', 'native-messaging-hosts', `${NAME}.json`),
  });

  it('installs the host, manifests that admit only the extension, and the extension', () => {
    install(home, `--build=${build}`, "--simulated=id=it's, reply=3, end=FF, rate=1");
    const { chromium, firefox } = manifests();
    const forChromium = JSON.parse(fs.readFileSync(chromium, 'utf8'));
    const forFirefox = JSON.parse(fs.readFileSync(firefox, 'utf8'));
    assert.equal(forChromium.name, NAME);
    assert.deepEqual(forChromium.allowed_origins, ['chrome-extension://gjadghbokajfomgojncbigmioeknmmcn/']);
    assert.deepEqual(forFirefox.allowed_extensions, ['remote-bridge@example.org']);
    assert.equal(forChromium.path, forFirefox.path);
    assert.ok(forChromium.path.startsWith(path.join(home, '.local', 'lib', 'remote-bridge') + path.sep));
    const extension = path.join(home, '.local', 'share', 'remote-bridge', 'extension');
    assert.ok(fs.existsSync(path.join(extension, 'manifest.json')));
    assert.ok(fs.existsSync(path.join(extension, 'background', 'main.js')));
    assert.equal(fs.existsSync(path.join(extension, 'tests')), false);
  });

  it('gives a host that runs from its own folder, on the simulated remote it was given', async () => {
    const host = JSON.parse(fs.readFileSync(manifests().chromium, 'utf8')).path;
    const answers = await ask(host, [
      { id: 1, method: 'addHidlet', args: [0x1234, 0x5678] },
      { id: 2, method: 'getDevices', args: [] },
    ]);
    assert.deepEqual(answers[0], { id: 1, result: null });
    assert.match(answers[1].result, /^device_id=\d+;;.*vendor_id=4660;;product_id=22136;;.*\|\|$/);
  });

  it('takes everything away again with --remove', () => {
    install(home, '--remove');
    const { chromium, firefox } = manifests();
    for (const gone of [chromium, firefox, path.join(home, '.local', 'lib', 'remote-bridge'),
      path.join(home, '.local', 'share', 'remote-bridge')])
      assert.equal(fs.existsSync(gone), false, gone);
  });
});
