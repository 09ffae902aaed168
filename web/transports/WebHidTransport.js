import { onAbort } from '../lib/waiting.js';
import { runCommand } from '../webhid/pageObject.js';
import { ExtensionTransport } from './ExtensionTransport.js';

// The browser's own WebHID, through the page object that createWebHidBridge() makes over it, which
// answers as the extension's window.remoteBridge does. The engine runs in the page, so a command
// is awaited there directly, without the answer event and the call that collects it.
export class WebHidTransport extends ExtensionTransport {
  constructor(bridge) {
    super(bridge);
    this.kind = 'webhid';
    bridge.removeEventListener('answer', this.onAnswer);
  }

  async command(deviceId, args, signal, abandoned) {
    const released = new Promise((resolve) => { abandoned.wake = () => resolve(abandoned.reason); });
    const stopAbort = onAbort(signal, () => this.call('cancelCommand', deviceId).catch(() => {}));
    try {
      return await Promise.race([runCommand(this.bridge, ...args), released]);
    } finally {
      stopAbort();
    }
  }
}
