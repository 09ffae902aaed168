// The page library over the real plug-in, in the page runner (see CMakeLists.txt):
//   HIDLET_SIM=@web/tests/remotes.sim build/bin/page-runner web/tests/plugin-suite.js
// Remotes coming and going: the flaky remote vanishes during an answer and comes back 300 ms
// later, which the library finds by listing.
import { openBridge } from '../remote-bridge.js';
import { check, runCases } from './cases.js';

async function comeAndGo(bridge, { flaky }) {
  const seen = [];
  const record = (where) => (event) => seen.push(`${where} ${event.type}${event.remote ? ` ${event.remote === flaky}` : ''}`);
  bridge.addEventListener('connect', record('bridge'));
  bridge.addEventListener('disconnect', record('bridge'));
  const gone = check.event(flaky, 'disconnect', 2000, 'flaky remote');
  const back = check.event(flaky, 'connect', 3000, 'flaky remote');
  await check.rejects(flaky.send('01', { packets: 2, timeoutMs: 5000 }),
                      [400, 'Fatal error occurred, system should be refreshed', ''], 'a remote gone during its answer');
  await gone;
  check.equal(flaky.connected, false, 'connected once gone');
  await back;
  check.equal(flaky.connected, true, 'connected once back');
  check.equal(seen, ['bridge disconnect true', 'bridge connect true'], 'events of the bridge');
  check.equal((await flaky.send('02', { packets: 1 })).length, 1, 'the remote answers again');
}

const bridge = await openBridge({ plugin: embed(), watchMs: 50 });
check.equal(bridge.kind, 'plugin', 'transport');
const failed = await runCases(bridge, { log: (line) => console.log(line), comeAndGo });
bridge.close();
console.log(failed.length === 0 ? 'all cases passed' : `${failed.length} case(s) failed`);
page.exit(failed.length === 0 ? 0 : 1);
