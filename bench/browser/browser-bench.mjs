// browser-bench: what a page in Chromium sees of a command through the extension and the native
// host, against the engine's own time for the same command on the same simulated remote,
// measured in the same run (browser-bench-engine); and the host's wake-ups while no command runs.
//
//   node bench/browser/browser-bench.mjs --build DIR [--quick]     (DIR: the build folder, e.g. build)
//
// Every figure is printed with its baseline or goal and "met" or "MISSED"; the exit status says
// only whether every step ran.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { BrowserSession } from '../../tools/browser_harness/BrowserSession.mjs';
import { PageServer } from '../../tools/browser_harness/PageServer.mjs';
import { benchOptions, median, ms, report } from './figures.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const options = benchOptions('browser-bench');
options.build = path.resolve(options.build);
options.engine = path.join(options.build, 'bin', 'browser-bench-engine');
options.manifest = path.join(options.build, 'native_host', 'manifests', 'chromium', 'org.example.remote_bridge.json');
options.host = JSON.parse(fs.readFileSync(options.manifest, 'utf8')).path;

const ROUNDS = options.quick
  ? { one: 20, long: 3, warmUp: 3, idleMs: 500, blocks: 1 }
  : { one: 300, long: 30, warmUp: 10, idleMs: 3000, blocks: 3 };
const REPORT_HEX = '5A'.repeat(64);
const LONG_REQUEST = '01'.repeat(64);
const ONE = String(0x14100000); // device ids by position, as the simulator gives them
const LONG = String(0x14200000);
const SIM = 'id=one, reply=echo\nid=long, reply=64, delay=1, rate=1\n';

function engineTimes(simFile, device, request, packets, rounds) {
  const run = spawnSync(options.engine, [device, request, String(packets), String(rounds)], {
    encoding: 'utf8', env: { ...process.env, HIDLET_SIM: `@${simFile}` }, timeout: 120000,
  });
  if (run.status !== 0)
    throw new Error(`browser-bench-engine failed: ${run.stderr || run.error}`);
  return run.stdout.trim().split('\n').map(Number);
}

// Context switches of every thread of the process: each is a wake-up or a preemption.
function contextSwitches(pid) {
  let total = 0;
  for (const task of fs.readdirSync(`/proc/${pid}/task`)) {
    const status = fs.readFileSync(`/proc/${pid}/task/${task}/status`, 'utf8');
    for (const match of status.matchAll(/^(?:non)?voluntary_ctxt_switches:\s+(\d+)$/gm))
      total += Number(match[1]);
  }
  return total;
}

async function allow(session, page) {
  await page.evaluate(() => { window.accessAnswer = window.remoteBridge.requestAccess(); });
  await session.press(await session.waitForPrompt(), '#allow');
  if (!(await page.evaluate(() => window.accessAnswer)))
    throw new Error('the bench page was not allowed');
}

async function main() {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'browser-bench-'));
  const simFile = path.join(work, 'remotes.sim');
  fs.writeFileSync(simFile, SIM);
  let session = null;
  let server = null;
  try {
    server = await PageServer.start(path.join(here, 'page'));
    session = await BrowserSession.start({
      browser: 'chromium',
      extension: path.join(here, '..', '..', 'extension'),
      hostManifests: [options.manifest],
      env: { HIDLET_SIM: `@${simFile}` },
      timeoutSeconds: 300,
    });
    const version = await session.browser.version();
    console.log(`browser-bench${options.quick ? ' (quick)' : ''}: ${version}, the extension and remote-bridge-host `
      + 'on simulated remotes, against the engine in the same run');
    const page = await session.open(server.url('index.html'));
    await allow(session, page);
    await page.evaluate(() => window.remoteBridge.addHidlet(0x1234, 0x5678));
    await page.evaluate(() => window.remoteBridge.getDevices());
    await page.evaluate((...a) => window.timeCommands(...a), ONE, REPORT_HEX, 1, ROUNDS.warmUp);

    // The engine's rounds and the page's alternate in blocks, so that both meet the same load of
    // the machine.
    const engineOne = [];
    const engineLong = [];
    const one = { times: [], callsWhileRunning: 0 };
    const long = { times: [], callsWhileRunning: 0 };
    for (let block = 0; block < ROUNDS.blocks; block++) {
      engineOne.push(...engineTimes(simFile, ONE, REPORT_HEX, 1, ROUNDS.one / ROUNDS.blocks));
      const pageOne = await page.evaluate((...a) => window.timeCommands(...a), ONE, REPORT_HEX, 1, ROUNDS.one / ROUNDS.blocks);
      engineLong.push(...engineTimes(simFile, LONG, LONG_REQUEST, 64, ROUNDS.long / ROUNDS.blocks));
      const pageLong = await page.evaluate((...a) => window.timeCommands(...a), LONG, LONG_REQUEST, 64, ROUNDS.long / ROUNDS.blocks);
      for (const [into, from] of [[one, pageOne], [long, pageLong]]) {
        into.times.push(...from.times);
        into.callsWhileRunning += from.callsWhileRunning;
      }
    }
    const engineMedian = median(engineOne);
    const pageMedian = median(one.times);
    console.log(`one-report command (${ROUNDS.one} commands each)`);
    report("engine's own time (median)", ms(engineMedian), 'baseline', null);
    report('final answer seen by the page (median)', `${ms(pageMedian)} (+${ms(pageMedian - engineMedian)})`,
      '< engine + 2 ms', pageMedian - engineMedian < 2000);

    const engineLongMedian = median(engineLong);
    const pageLongMedian = median(long.times);
    console.log(`64-report answer at one report per millisecond (${ROUNDS.long} commands each)`);
    report("engine's own time (median) vs the remote's 64 ms", `${ms(engineLongMedian)} (x${(engineLongMedian / 64000).toFixed(3)})`,
      'baseline', null);
    report("final answer seen by the page (median) vs the remote's 64 ms",
      `${ms(pageLongMedian)} (x${(pageLongMedian / 64000).toFixed(3)})`, 'within 5%', pageLongMedian <= 1.05 * 64000);
    report('  the same against the engine', `x${(pageLongMedian / engineLongMedian).toFixed(3)}`, '', null);
    const polls = one.callsWhileRunning + long.callsWhileRunning;
    console.log('both kinds of command');
    report('calls of the page while its commands ran', String(polls), '0 (no polling)', polls === 0);

    const [hostPid] = session.processes(options.host);
    if (!hostPid)
      throw new Error('no host process found');
    await new Promise((resolve) => setTimeout(resolve, 200));
    const before = contextSwitches(hostPid);
    await new Promise((resolve) => setTimeout(resolve, ROUNDS.idleMs));
    const wakeUps = contextSwitches(hostPid) - before;
    console.log(`the host while no command runs (${ROUNDS.idleMs} ms, every thread)`);
    report('wake-ups of the host', String(wakeUps), '0', wakeUps === 0);
  } finally {
    await session?.close();
    await server?.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(`browser-bench: ${error.stack ?? error}`);
  process.exit(1);
});
