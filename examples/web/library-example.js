// The page library on one page that runs unchanged wherever page script runs: in a browser with
// the remote bridge extension or in Chromium over its own WebHID (library-example.html), in the
// page runner over the plug-in (page-runner examples/web/library-example.js), and in
// bridge-shell, whose render helper offers no remotes (the page says so through its message
// bridge).
//
// It lists the remotes of the demo's type, sends the first one a request whose answer ends with
// the end packet FF, shows the reports, and releases everything.
import { openBridge, RemoteError } from '../../web/remote-bridge.js';

const VENDOR_ID = 0x1234;
const PRODUCT_ID = 0x5678;

const hex = (bytes) => Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, '0')).join('');

// Each line goes to the console, to the page's log element and to the shell's message bridge,
// whichever of them the page has.
function show(line) {
  console.log(line);
  globalThis.document?.getElementById('log')?.append(`${line}\n`);
  globalThis.app?.sendMessage?.('log', [line]);
}

// Over WebHID the browser's chooser opens only while the page handles a click; the extension asks
// at once.
function askForAccess(bridge) {
  const button = globalThis.document?.getElementById('allow');
  if (bridge.kind !== 'webhid' || !button)
    return bridge.requestAccess();
  button.hidden = false;
  return new Promise((resolve, reject) => button.addEventListener('click', () => {
    button.hidden = true;
    bridge.requestAccess().then(resolve, reject);
  }, { once: true }));
}

async function main() {
  const bridge = await openBridge({ plugin: typeof embed === 'function' ? embed() : null });
  show(`transport: ${bridge.kind}`);
  if (!(await bridge.ready()) && !(await askForAccess(bridge))) {
    show('this site may not use the remotes');
    return 1;
  }
  await bridge.addType(VENDOR_ID, PRODUCT_ID);
  const remotes = (await bridge.remotes()).filter((r) => r.vendorId === VENDOR_ID && r.productId === PRODUCT_ID);
  show(`${remotes.length} remote(s)`);
  const [remote] = remotes;
  if (!remote)
    return 1;
  show(`remote ${remote.id}: vendor ${remote.vendorId}, product ${remote.productId}, `
       + `reports ${remote.inputReportLength} in / ${remote.outputReportLength} out`);
  const reports = await remote.send('0102030405060708', { endPacket: 'FF', timeoutMs: 5000 });
  show(`answer: ${reports.length} report(s)`);
  for (const report of reports)
    show(`  ${hex(report)}`);
  await bridge.releaseAll();
  return 0;
}

let code;
try {
  code = await main();
} catch (error) {
  show(error instanceof RemoteError ? `failed: ${error.code} ${error.text} (${error.detail})` : `failed: ${error}`);
  code = 1;
}
show(`done: ${code}`);
globalThis.page?.exit(code);
