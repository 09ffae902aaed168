// One remote of the WebHID bridge: a HIDDevice of a registered type with its attributes, its
// channel (the opened device), the input reports that came while no read waited, and at most
// one command.
import { reportLayout } from './reportLayout.js';

// Input reports kept while no command reads; further ones are dropped, as a hidraw node keeps a
// bounded queue. They are the rest of an answer nobody waits for, or what a page collects with a
// command that sends nothing.
const MOST_KEPT_REPORTS = 1024;

// Why reading stopped before its reader was done.
export const GONE = 'gone';
export const CLOSED = 'closed';

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
    this.reader = null;
    this.interrupt = null;
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
    this.interrupt?.(CLOSED);
    if (this.openedHere) {
      this.openedHere = false;
      await this.device.close().catch(() => {});
    }
  }

  // The report as the page sends and receives it: the report id first when it has one. It goes
  // straight to the command reading, as it comes: no promise or timer per report.
  take(event) {
    const data = new Uint8Array(event.data.buffer, event.data.byteOffset, event.data.byteLength);
    const numbered = event.reportId !== 0;
    const report = new Uint8Array(data.length + (numbered ? 1 : 0));
    report[0] = event.reportId;
    report.set(data, numbered ? 1 : 0);
    if (this.reader)
      this.reader(report, event.timeStamp);
    else if (this.reports.length < MOST_KEPT_REPORTS)
      this.reports.push(report);
  }

  // From now on every input report goes to reader(report, when it came), those queued first, until
  // stopReading(); interrupt(GONE or CLOSED) when the device goes away or the channel closes.
  startReading(reader, interrupt) {
    this.reader = reader;
    this.interrupt = interrupt;
    while (this.reader === reader && this.reports.length > 0)
      reader(this.reports.shift());
  }

  stopReading() {
    this.reader = null;
    this.interrupt = null;
  }

  // The device went away: a command reading ends at once.
  markGone() {
    this.gone = true;
    this.interrupt?.(GONE);
  }

  dropQueuedReports() {
    this.reports.length = 0;
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
