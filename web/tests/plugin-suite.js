// The page library over the real plug-in, in the page runner (see CMakeLists.txt):
//   HIDLET_SIM=@web/tests/remotes.sim build/bin/page-runner web/tests/plugin-suite.js
// The library finds remotes coming and going by listing.
import { openBridge } from '../remote-bridge.js';
import { check, runCases } from './cases.js';
import { comeAndGo } from './comeAndGo.js';

const bridge = await openBridge({ plugin: embed(), watchMs: 50 });
check.equal(bridge.kind, 'plugin', 'transport');
const failed = await runCases(bridge, { log: (line) => console.log(line), comeAndGo });
bridge.close();
console.log(failed.length === 0 ? 'all cases passed' : `${failed.length} case(s) failed`);
page.exit(failed.length === 0 ? 0 : 1);
