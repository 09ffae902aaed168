// web/ as the npm package a page's project installs: `npm pack` makes a tarball of the library's
// modules and declarations only; installed into a project, it is imported by its name in Node, and
// TypeScript finds its declarations through the package's exports.
//   node --test web/tests/package/pack.test.mjs      (npm, and TypeScript in web/tests/types)
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const web = path.resolve(here, '..', '..');
const tsc = path.join(web, 'tests', 'types', 'node_modules', 'typescript', 'bin', 'tsc');

function run(command, args, cwd) {
  const result = spawnSync(command, args, { cwd, encoding: 'utf8' });
  assert.equal(result.status, 0, `${command} ${args.join(' ')}: ${result.stdout}${result.stderr}${result.error ?? ''}`);
  return result.stdout;
}

describe('the page library as an npm package', () => {
  let work;
  let tarball;
  let project;

  before(() => {
    work = fs.mkdtempSync(path.join(os.tmpdir(), 'page-library-package-'));
    const [packed] = JSON.parse(run('npm', ['pack', '--json', '--pack-destination', work], web));
    tarball = { path: path.join(work, packed.filename), files: packed.files.map((file) => file.path).sort() };
    project = path.join(work, 'page');
    fs.mkdirSync(project);
    fs.writeFileSync(path.join(project, 'package.json'), JSON.stringify({ name: 'a-page', private: true, type: 'module' }));
    run('npm', ['install', '--offline', '--no-audit', '--no-fund', '--loglevel=error', tarball.path], project);
  });

  after(() => {
    if (work)
      fs.rmSync(work, { recursive: true, force: true });
  });

  it('packs the modules, the declarations and the README, and no tests', () => {
    const expected = ['README.md', 'package.json', 'remote-bridge.d.ts', 'remote-bridge.js'];
    for (const folder of ['lib', 'transports', 'webhid'])
      expected.push(...fs.readdirSync(path.join(web, folder)).map((file) => `${folder}/${file}`));
    assert.deepEqual(tarball.files, expected.sort());
  });

  it('is imported by its name', () => {
    const names = run(process.execPath, ['--input-type=module', '-e',
      "const m = await import('remote-bridge'); console.log(Object.keys(m).sort().join(' '));"], project);
    assert.equal(names.trim(), 'Bridge Remote RemoteError createWebHidBridge openBridge');
  });

  it('gives TypeScript its declarations through the package\'s exports', (t) => {
    if (!fs.existsSync(tsc)) {
      t.skip('no TypeScript in web/tests/types (scripts/npm-ci.sh web/tests/types)');
      return;
    }
    fs.writeFileSync(path.join(project, 'page.ts'), [
      "import { createWebHidBridge, openBridge, type Bridge } from 'remote-bridge';",
      "const bridge: Bridge = await openBridge({ transport: 'webhid' });",
      'const kind: \'extension\' | \'webhid\' | \'plugin\' = bridge.kind;',
      'window.remoteBridge ??= createWebHidBridge();',
      '// @ts-expect-error the declarations are there: a request is bytes or text',
      '(await bridge.remotes())[0].send(42);',
      'export { kind };',
    ].join('\n'));
    fs.writeFileSync(path.join(project, 'tsconfig.json'), JSON.stringify({
      compilerOptions: { target: 'ES2022', module: 'ES2022', moduleResolution: 'Bundler', lib: ['ES2022', 'DOM'], strict: true,
        noEmit: true, types: [] },
      files: ['page.ts'],
    }));
    run(process.execPath, [tsc, '-p', 'tsconfig.json'], project);
  });
});
