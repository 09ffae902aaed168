// webhid-bench's plug-in side, in the page runner: the page library's commands over the real
// plug-in on the same remotes, as one line of JSON: the mean time of a command in microseconds
// (the page runner has only Date.now(), whole milliseconds, for a clock).
//   page-runner plugin-bench.js ONE_PRODUCT ONE_COUNT LONG_PRODUCT LONG_COUNT
import { openBridge } from '../../web/remote-bridge.js';

const [one, oneCount, long, longCount] = page.args.map(Number);
const bridge = await openBridge({ plugin: embed(), pollMs: 1 });
await bridge.addType(0x1234, one);
await bridge.addType(0x1234, long);
const remotes = {};
for (const remote of await bridge.remotes())
  remotes[remote.productId] = remote;

// The mean over `count` commands, after a few that warm the page's script up.
async function mean(count, remote, packets) {
  for (let i = 0; i < 3; i++)
    await remote.send(new Uint8Array(64), { packets });
  const start = Date.now();
  for (let i = 0; i < count; i++) {
    const reports = await remote.send(new Uint8Array(64).fill(i & 0xFF), { packets });
    if (reports.length !== packets)
      throw new Error(`${reports.length} reports instead of ${packets}`);
  }
  return ((Date.now() - start) * 1000) / count;
}

console.log(JSON.stringify({ one: await mean(oneCount, remotes[one], 1), long: await mean(longCount, remotes[long], 64) }));
await bridge.releaseAll();
page.exit(0);
