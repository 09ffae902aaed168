// The page library from TypeScript: a page that lists the remotes and sends the one picked a
// request, with a button that cancels it. The declarations (web/remote-bridge.d.ts) are checked
// against this page by `tsc --noEmit` (web/tests/types); a bundler or tsc would build it for a
// real site.
import { openBridge, RemoteError, type Bridge, type Remote } from '../../web/remote-bridge.js';

const $ = <T extends HTMLElement>(id: string): T => document.getElementById(id) as T;

function hex(bytes: Uint8Array): string {
  return Array.from(bytes, (b) => b.toString(16).toUpperCase().padStart(2, '0')).join('');
}

function showRemotes(remotes: Remote[]): void {
  $<HTMLUListElement>('remotes').replaceChildren(...remotes.map((remote) => {
    const item = document.createElement('li');
    item.textContent = `${remote.id}: ${remote.vendorId.toString(16)}:${remote.productId.toString(16)}, `
      + `reports ${remote.inputReportLength} in / ${remote.outputReportLength} out`;
    remote.addEventListener('disconnect', () => item.classList.add('gone'), { once: true });
    return item;
  }));
}

async function send(remote: Remote, request: string, cancel: HTMLButtonElement): Promise<string> {
  const controller = new AbortController();
  cancel.onclick = () => controller.abort();
  try {
    const reports: Uint8Array[] = await remote.send(request, {
      endPacket: 'FF',
      timeoutMs: 5000,
      signal: controller.signal,
    });
    return reports.map(hex).join('\n');
  } catch (error) {
    if (error instanceof RemoteError)
      return error.code === 600 ? 'cancelled' : `failed: ${error.code} ${error.text} ${error.detail}`;
    throw error;
  }
}

async function start(): Promise<void> {
  const bridge: Bridge = await openBridge();
  if (!(await bridge.ready()) && !(await bridge.requestAccess()))
    return;
  await bridge.addType(0x1234, 0x5678);
  let remotes = await bridge.remotes();
  showRemotes(remotes);
  bridge.addEventListener('connect', async ({ remote }) => {
    remotes = await bridge.remotes();
    showRemotes(remotes);
    $<HTMLPreElement>('answer').textContent = `${remote.id} came`;
  });
  $<HTMLFormElement>('request').addEventListener('submit', async (event) => {
    event.preventDefault();
    const remote = remotes.find((r) => r.connected);
    if (remote)
      $<HTMLPreElement>('answer').textContent = await send(remote, $<HTMLInputElement>('hex').value, $('cancel'));
  });
}

start();
