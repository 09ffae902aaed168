// install-udev-rule.sh into a folder of its own: the rule it writes is the package's for each type
// given, bad types are refused, and --remove takes the rule away. (That the rule gives a page's
// browser access to a remote is shown in the test VM, by udevd and Chromium: web/tests/webhid/vm.)
//   node --test scripts/tests/install-udev-rule.test.mjs
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const script = path.join(root, 'scripts', 'install-udev-rule.sh');
const packageRule = fs.readFileSync(path.join(root, 'packaging', '70-remote-bridge.rules'), 'utf8');
const ruleLines = (text) => text.split('\n').filter((line) => line.startsWith('SUBSYSTEM'));

const dirs = [];
after(() => dirs.forEach((dir) => fs.rmSync(dir, { recursive: true, force: true })));

function run(...args) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'udev-rule-'));
  dirs.push(dir);
  const result = spawnSync('sh', [script, '--rules-dir', dir, '--no-reload', ...args], { encoding: 'utf8' });
  const file = path.join(dir, '70-remote-bridge.rules');
  const rule = fs.existsSync(file) ? fs.readFileSync(file, 'utf8') : null;
  return { ...result, dir, file, rule };
}

describe('install-udev-rule.sh', () => {
  it('writes the package\'s rule, for its type by default', () => {
    const { status, rule } = run();
    assert.equal(status, 0);
    assert.deepEqual(ruleLines(rule), ruleLines(packageRule));
  });

  it('writes one line per type given, ids in the kernel\'s upper-case hexadecimal', () => {
    const { status, rule } = run('1234:1', 'abcd:EF01');
    assert.equal(status, 0);
    const [template] = ruleLines(packageRule);
    assert.deepEqual(ruleLines(rule), [template.replace('1234:5678', '1234:0001'), template.replace('1234:5678', 'ABCD:EF01')]);
  });

  it('refuses what is not VID:PID, and writes nothing', () => {
    for (const bad of ['12345:1', '1234', '12G4:1', '1234:5678:9', '--bogus']) {
      const { status, rule } = run(bad);
      assert.equal(status, 2, bad);
      assert.equal(rule, null, bad);
    }
  });

  it('takes the rule away with --remove', () => {
    const { dir, file } = run();
    const removed = spawnSync('sh', [script, '--rules-dir', dir, '--no-reload', '--remove'], { encoding: 'utf8' });
    assert.equal(removed.status, 0);
    assert.equal(fs.existsSync(file), false);
  });
});
