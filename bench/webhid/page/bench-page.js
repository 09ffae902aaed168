// The page of webhid-bench: the browser's own WebHID round trip against the page library's command
// over WebHID, on the same remotes of the same page. Each function runs one block of rounds and
// resolves with its times in microseconds.
import { openBridge } from '/web/remote-bridge.js';

const VENDOR = 0x1234;
let ONE;    // the product id of an echo remote of 64-byte reports
let LONG;   // ... of a remote that answers 64 reports at one per millisecond

let bridge;
const raw = {};
const library = {};

window.setUp = async (one, long) => {
  [ONE, LONG] = [one, long];
  bridge = await openBridge({ transport: 'webhid' });
  for (const product of [ONE, LONG])
    await bridge.addType(VENDOR, product);
  for (const remote of await bridge.remotes())
    library[remote.productId] = remote;
  // The library opened the devices; the raw rounds use the same ones.
  for (const device of await navigator.hid.getDevices())
    raw[device.productId] = device;
  if (!library[ONE] || !library[LONG] || !raw[ONE]?.opened || !raw[LONG]?.opened)
    throw new Error('the bench remotes are not there');
  return `${library[ONE].outputReportLength}-byte reports`;
};

// sendReport(), then the input reports' events, as a page using WebHID itself does it.
function rawRound(device, data, reports) {
  return new Promise((resolve, reject) => {
    let left = reports;
    let start = 0;
    const take = () => {
      if (--left === 0) {
        device.removeEventListener('inputreport', take);
        resolve((performance.now() - start) * 1000);
      }
    };
    device.addEventListener('inputreport', take);
    start = performance.now();
    device.sendReport(0, data).catch(reject);
  });
}

async function rounds(count, round) {
  const times = [];
  for (let i = 0; i < count; i++)
    times.push(await round(i));
  return times;
}

window.rawOne = (count) => rounds(count, (i) => rawRound(raw[ONE], new Uint8Array(64).fill(i & 0xFF), 1));
window.rawLong = (count) => rounds(count, () => rawRound(raw[LONG], new Uint8Array(64).fill(1), 64));

async function libraryRound(remote, request, packets) {
  const start = performance.now();
  const reports = await remote.send(request, { packets });
  const time = (performance.now() - start) * 1000;
  if (reports.length !== packets)
    throw new Error(`${reports.length} reports instead of ${packets}`);
  return time;
}

window.libraryOne = (count) => rounds(count, (i) => libraryRound(library[ONE], new Uint8Array(64).fill(i & 0xFF), 1));
window.libraryLong = (count) => rounds(count, () => libraryRound(library[LONG], new Uint8Array(64).fill(1), 64));
