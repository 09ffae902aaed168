// The page library's cases over the extension. The suite calls window.runLibraryCases() and, while
// it runs, plugs and unplugs a remote whenever window.harnessStep asks for it.
import { openBridge } from '../../remote-bridge.js';
import { check, runCases } from '../cases.js';

// Every call of performOperation the page makes, counted on the way to the extension.
let performCalls = 0;
const perform = window.remoteBridge.performOperation;
window.remoteBridge.performOperation = function performOperation(...args) {
  performCalls += 1;
  return perform.apply(this, args);
};

// A remote of the echo type comes (the suite adds it to the simulated remotes' file) and goes
// (the suite removes it); the extension's host pushes each new list.
async function comeAndGo(bridge) {
  const came = check.event(bridge, 'connect', 10000, 'the bridge');
  window.harnessStep = 'plug';
  const { remote } = await came;
  check.equal([remote.productId, remote.connected], [1, true], 'the remote that came');
  const gone = check.event(remote, 'disconnect', 10000, 'the remote that came');
  window.harnessStep = 'unplug';
  await gone;
  window.harnessStep = 'done';
  check.equal(remote.connected, false, 'connected once gone');
  check.true(!(await bridge.remotes()).includes(remote), 'no longer listed');
}

window.runLibraryCases = async () => {
  const log = [];
  const bridge = await openBridge();
  check.equal(bridge.kind, 'extension', 'transport');
  const failed = await runCases(bridge, { log: (line) => log.push(line), comeAndGo, performCalls: () => performCalls });
  bridge.close();
  return { failed, log };
};
window.libraryPageReady = true;
