// webhid-bench: in the test VM (run_in_vm.sh), on uhid remotes, what the page library adds to the
// browser's own WebHID: a one-report command against a raw sendReport()/inputreport round trip,
// and a 64-report answer at one report per millisecond against the remote's own time, in
// alternating blocks of one Chromium page; the library over the plug-in in the page runner, on
// the same remotes, beside them for reference.
//
//   node bench/webhid/webhid-bench.mjs --build DIR [--quick]      (as root, inside the VM)
//
// Every figure is printed with its baseline or goal and "met" or "MISSED"; the exit status says
// only whether every step ran. The emulated CPU of the VM makes every figure larger alike. The
// WebHID suite of the test VM (web/tests/webhid/vm) runs the short form in its own browser.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { BrowserSession } from '../../tools/browser_harness/BrowserSession.mjs';
import { PageServer } from '../../tools/browser_harness/PageServer.mjs';
import { benchOptions, median, ms, report } from '../browser/figures.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..');

// The remotes of the benchmark; their answers' times are set by the descriptions.
export const BENCH_REMOTES = 'id=one, pid=0x0001, reply=echo; id=long, pid=0x0002, reply=64, delay=1, rate=1';
const REMOTE_LONG_US = 64000;   // its 64th report leaves 1 ms + 63 x 1 ms after the request

const mean = (values) => values.reduce((sum, value) => sum + value, 0) / values.length;

function run(command, args) {
  const child = spawn(command, args);
  let out = '';
  child.stdout.on('data', (chunk) => { out += chunk; });
  child.stderr.on('data', (chunk) => { out += chunk; });
  return { child, done: new Promise((resolve) => child.on('close', (status) => resolve({ status, out }))) };
}

// The benchmark's page (index.html) wants the page library at /web/.
export const BENCH_PAGE_DIR = path.join(here, 'page');

// Measures and prints the figures in `session`'s Chromium, at `pageUrl` (the benchmark's page, of
// an origin that may use the remotes of product ids `one`, an echo remote, and `long`, 64 reports
// at one per millisecond), in a tab of its own or in `tab`.
export async function measure({ session, tab = null, pageUrl, build, quick, one = 0x0001, long = 0x0002 }) {
  const rounds = quick ? { blocks: 2, one: 10, long: 2 } : { blocks: 10, one: 30, long: 4 };
  const page = tab ?? await session.open(pageUrl);
  if (tab)
    await tab.goto(pageUrl, { waitUntil: 'load', timeout: session.loadSeconds * 1000 });
  page.setDefaultTimeout(300000);
  const what = await page.evaluate((o, l) => window.setUp(o, l), one, long);
  console.log(`webhid-bench${quick ? ' (quick)' : ''}: ${await session.browser.version()}, uhid remotes (${what}) `
    + `in the test VM, ${rounds.blocks} alternating blocks`);
  await page.evaluate(() => window.rawOne(3).then(() => window.libraryOne(3)));   // warm up

  const pluginBlock = async () => {
    const { status, out } = await run(path.join(build, 'bin', 'page-runner'), ['--timeout', '120',
      path.join(here, 'plugin-bench.js'), String(one), String(rounds.one), String(long), String(rounds.long)]).done;
    if (status !== 0)
      throw new Error(`page-runner: ${out}`);
    return JSON.parse(out.trim().split('\n').pop());
  };
  const times = { rawOne: [], libraryOne: [], rawLong: [], libraryLong: [], pluginOne: [], pluginLong: [] };
  for (let block = 0; block < rounds.blocks; block++) {
    // Which side goes first changes from block to block.
    for (const side of block % 2 === 0 ? ['raw', 'library'] : ['library', 'raw']) {
      times[`${side}One`].push(...await page.evaluate((s, n) => window[`${s}One`](n), side, rounds.one));
      times[`${side}Long`].push(...await page.evaluate((s, n) => window[`${s}Long`](n), side, rounds.long));
    }
    const plugin = await pluginBlock();
    times.pluginOne.push(plugin.one);
    times.pluginLong.push(plugin.long);
  }
  if (!tab)
    await page.close();

  const rawOne = median(times.rawOne);
  const libraryOne = median(times.libraryOne);
  console.log(`one-report command (${times.rawOne.length} rounds each)`);
  report('raw WebHID: sendReport(), then the inputreport event (median)', ms(rawOne), 'baseline', null);
  report('the library\'s one-report command over WebHID (median)', `${ms(libraryOne)} (x${(libraryOne / rawOne).toFixed(3)})`,
    'within 1.10x', libraryOne <= 1.10 * rawOne);
  report('the library over the plug-in in the page runner (mean)', ms(mean(times.pluginOne)), 'for reference', null);

  const rawLong = median(times.rawLong);
  const libraryLong = median(times.libraryLong);
  console.log(`64-report answer at one report per millisecond (${times.rawLong.length} rounds each)`);
  report('the remote\'s own time', ms(REMOTE_LONG_US), 'baseline', null);
  report('raw WebHID: until the 64th inputreport event (median)', `${ms(rawLong)} (x${(rawLong / REMOTE_LONG_US).toFixed(3)})`,
    'for reference', null);
  report('the library\'s 64-report command over WebHID (median)', `${ms(libraryLong)} (x${(libraryLong / REMOTE_LONG_US).toFixed(3)})`,
    'within 5%', libraryLong <= 1.05 * REMOTE_LONG_US);
  report('  the same against raw WebHID', `x${(libraryLong / rawLong).toFixed(3)}`, '', null);
  report('the library over the plug-in in the page runner (mean)', ms(mean(times.pluginLong)), 'for reference', null);
}

async function main() {
  const options = benchOptions('webhid-bench');
  const build = path.resolve(options.build);
  const remotes = run(path.join(build, 'bin', 'uhid-remote'), ['-q', BENCH_REMOTES]);
  let server = null;
  let session = null;
  try {
    for (let waited = 0; fs.readdirSync('/sys/class/hidraw').length < 2; waited += 100) {
      if (waited > 10000)
        throw new Error('the uhid remotes did not come');
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
    server = await PageServer.start(BENCH_PAGE_DIR, { mounts: { '/web/': path.join(root, 'web') } });
    session = await BrowserSession.start({
      browser: 'chromium',
      extension: null,
      policies: { WebHidAllowDevicesForUrls: [{ devices: [{ vendor_id: 0x1234 }], urls: [server.origin] }] },
      loadSeconds: 300,
      timeoutSeconds: 1200,
    });
    await measure({ session, pageUrl: server.url('index.html'), build, quick: options.quick });
  } finally {
    await session?.close();
    await server?.close();
    remotes.child.kill();
  }
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  main().catch((error) => {
    console.error(`webhid-bench: ${error.stack ?? error}`);
    process.exit(1);
  });
}
