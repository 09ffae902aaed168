// Remotes coming and going, for the library's cases (cases.js) on a transport that notices them
// by itself: the flaky remote disappears in the middle of an answer and is plugged again 300 ms
// later. Plugged again, it is the same remote where its device id stays (a simulated remote, whose
// id is its location) or a new remote of its own (a uhid remote, a WebHID device).
import { check } from './cases.js';

export async function comeAndGo(bridge, { flaky }) {
  const seen = [];
  const record = (where) => (event) => seen.push(`${where} ${event.type} ${event.remote?.productId}`);
  bridge.addEventListener('connect', record('bridge'));
  bridge.addEventListener('disconnect', record('bridge'));
  const gone = check.event(flaky, 'disconnect', 3000, 'flaky remote');
  const back = new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('the flaky remote did not come back within 5000 ms')), 5000);
    bridge.addEventListener('connect', (event) => {
      if (event.remote.productId === flaky.productId) {
        clearTimeout(timer);
        resolve(event.remote);
      }
    });
  });
  await check.rejects(flaky.send('01', { packets: 2, timeoutMs: 5000 }),
                      [400, 'Fatal error occurred, system should be refreshed', ''], 'a remote gone during its answer');
  await gone;
  check.equal(flaky.connected, false, 'connected once gone');
  const remote = await back;
  check.equal(remote.connected, true, 'connected once back');
  check.equal(seen, ['bridge disconnect 4', 'bridge connect 4'], 'events of the bridge');
  check.equal((await remote.send('02', { packets: 1 })).length, 1, 'the remote answers again');
}
