// One remote of the WebHID bridge: a HIDDevice of a registered type with its attributes, its
// channel (the opened device), the input reports that came while no read waited, and at most
// one command.
import { reportLayout } from './reportLayout.js';

// Each read waits as long as one of the engine's: one second, with the engine's 20 ms of slack.
export const READ_WAIT_MS = 1020;
// Input reports kept while no read waits; further ones are dropped, as a hidraw node keeps a
// bounded queue. They are the rest of an answer nobody waits for, or what a page collects with a
// command that sends nothing.
const MOST_KEPT_REPORTS = 1024;

// What a read ends with besides a report.
export const TIMED_OUT = 'timed out';
export const GONE = 'gone';
export const CANCELLED = 'cancelled';

export class HidRemote {
  constructor(device, identity) {
    this.device = device;
    this.deviceId = identity.deviceId;
    this.token = identity.token;
    this.layout = reportLayout(device.collections);
    this.connected = true;
    this.command = null;
    this.channelOpen = false;
    this.openedHere = false;
    this.gone = false;
    // false once a write showed that the device was opened without write access
    this.writable = null;
    this.reports = [];
    this.waiter = null;
    this.onReport = (event) => this.take(event);
  }

  get inputLength() { return this.channelOpen ? this.layout.inputLength : 0; }
  get outputLength() { return this.channelOpen ? this.layout.outputLength : 0; }
  get busy() { return this.command !== null && this.command.result < 0; }

  // The device list's record of the remote.
  record() {
    return `device_id=${this.deviceId};;token=${this.token};;vendor_id=${this.device.vendorId};;`
      + `product_id=${this.device.productId};;input_report_length=${this.inputLength};;`
      + `output_report_length=${this.outputLength};;bcd_version_number=-1`;
  }

  // Opens the channel, unless the page has the device open already. A device that cannot be
  // opened stays listed without a channel.
  async open() {
    this.device.addEventListener('inputreport', this.onReport);
    if (this.device.opened) {
      this.channelOpen = true;
      return;
    }
    try {
      await this.device.open();
      this.channelOpen = true;
      this.openedHere = true;
    } catch (error) {
      this.channelOpen = false;
    }
  }

  // Closes what open() opened; a command still waiting ends.
  async close() {
    this.device.removeEventListener('inputreport', this.onReport);
    this.channelOpen = false;
    this.wake(CANCELLED);
    if (this.openedHere) {
      this.openedHere = false;
      await this.device.close().catch(() => {});
    }
  }

  // The report as the page sends and receives it: the report id first when it has one.
  take(event) {
    const data = new Uint8Array(event.data.buffer, event.data.byteOffset, event.data.byteLength);
    const numbered = event.reportId !== 0;
    const report = new Uint8Array(data.length + (numbered ? 1 : 0));
    report[0] = event.reportId;
    report.set(data, numbered ? 1 : 0);
    if (this.waiter)
      this.wake(report);
    else if (this.reports.length < MOST_KEPT_REPORTS)
      this.reports.push(report);
  }

  wake(outcome) {
    const waiter = this.waiter;
    this.waiter = null;
    waiter?.(outcome);
  }

  // The device went away: a read waiting ends at once.
  markGone() {
    this.gone = true;
    this.wake(GONE);
  }

  dropQueuedReports() {
    this.reports.length = 0;
  }

  // The next input report, or TIMED_OUT after one read's wait, GONE or CANCELLED.
  read(command) {
    if (command.canceled)
      return Promise.resolve(CANCELLED);
    if (this.gone)
      return Promise.resolve(GONE);
    if (this.reports.length > 0)
      return Promise.resolve(this.reports.shift());
    return new Promise((resolve) => {
      const timer = setTimeout(() => this.wake(TIMED_OUT), READ_WAIT_MS);
      command.onCancel = () => this.wake(CANCELLED);
      this.waiter = (outcome) => {
        clearTimeout(timer);
        command.onCancel = null;
        resolve(outcome);
      };
    });
  }

  // Sends one output report of the page (the report id first when they are numbered).
  send(packet) {
    const id = this.layout.outputNumbered ? packet[0] : 0;
    return this.device.sendReport(id, this.layout.outputNumbered ? packet.subarray(1) : packet);
  }

  // Whether the device can be opened again: a device that is gone cannot. Only a channel this
  // bridge opened is tried; one the page opened is left as it is.
  async reopens() {
    if (!this.openedHere)
      return true;
    try {
      await this.device.close();
      await this.device.open();
      return true;
    } catch (error) {
      this.channelOpen = false;
      this.openedHere = false;
      return false;
    }
  }
}
