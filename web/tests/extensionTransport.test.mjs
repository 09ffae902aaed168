// The library over an extension object that loses a command's pushed answer: the command still
// ends, with the answer the host kept for the page, instead of waiting for ever and holding up
// every later command to that remote.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';

const NEW = '{{-2|New command created}}';
const REPORT = '01'.padEnd(16, '0');

// window.remoteBridge of an extension that answers calls but pushes no events.
class SilentExtension extends EventTarget {
  constructor() {
    super();
    this.calls = [];
    this.started = false;
  }
  async getDevices() {
    return 'device_id=7;;token=1;;vendor_id=1;;product_id=2;;input_report_length=8;;output_report_length=8||';
  }
  async performOperation(...args) {
    this.calls.push(args);
    if (!this.started) {
      this.started = true;
      return NEW;
    }
    return REPORT; // the kept final answer, collected
  }
  async cancelCommand() { return '{{0|Command executed successfully:in KVE::cancel}}'; }
}

describe('the library over the extension', () => {
  it('asks for a command\'s answer itself when none was pushed within its time-out and a second', { timeout: 10000 }, async () => {
    const extension = new SilentExtension();
    globalThis.remoteBridge = extension;
    const { openBridge } = await import('../remote-bridge.js');
    const bridge = await openBridge();
    const [remote] = await bridge.remotes();
    const began = Date.now();
    const reports = await remote.send(REPORT, { timeoutMs: 200 });
    assert.deepEqual(reports.map((r) => Buffer.from(r).toString('hex').toUpperCase()), [REPORT]);
    assert.ok(Date.now() - began >= 1100, 'it waited for the push first');
    assert.equal(extension.calls.length, 2);
  });
});
