// A scripted stand-in for the browser's navigator.hid, for the page library's tests in Node. Its
// devices play the simulated remotes' descriptions (the text HIDLET_SIM takes: echo, N reports
// with an end packet, silence, delays and rates, reports of another length, vanishing and coming
// back) as WebHID shows a device: collections, open/close, sendReport(id, data) and inputreport
// events whose data never holds the report id. Beyond the descriptions: numbered reports (id 1
// first, as uhid-remote -n plays them), a device opened read-only (every sendReport fails), one
// that cannot be opened, and grants (a device the page may not use is not listed).

const REMOTE_USAGE_PAGE = 0xFF00;

function fields(text) {
  const out = {};
  for (const field of text.split(',').map((f) => f.trim()).filter(Boolean)) {
    const eq = field.indexOf('=');
    out[field.slice(0, eq).trim()] = field.slice(eq + 1).trim();
  }
  return out;
}

const hexBytes = (hex) => Uint8Array.from(hex.match(/../g) ?? [], (pair) => Number.parseInt(pair, 16));

// One remote of a description ("id=echo, pid=0x0001, in=8, out=8, reply=echo").
export function parseRemote(text, position) {
  const f = fields(text);
  const number = (key, fallback) => (f[key] === undefined ? fallback : Number(f[key]));
  let reply = 'echo';
  let count = 0;
  if (f.reply !== undefined && f.reply !== 'echo')
    [reply, count] = f.reply === 'silent' ? ['silent', 0] : ['count', Number(f.reply)];
  return {
    id: f.id ?? `sim${position}`,
    vendorId: number('vid', 0x1234),
    productId: number('pid', 0x5678),
    inputSize: number('in', 64),
    outputSize: number('out', 64),
    reply,
    count,
    end: f.end === undefined ? null : hexBytes(f.end),
    delayMs: number('delay', 0),
    rateMs: number('rate', 0),
    length: number('length', -1),
    vanishAfter: number('vanish', -1),
    replugMs: number('replug', -1),
    openFails: f.open === 'fail',
  };
}

export function parseRemotes(text) {
  return text.split(/[;\n]/).map((line) => line.replace(/#.*/, '').trim()).filter(Boolean)
    .map((line, index) => parseRemote(line, index + 1));
}

// WebHID's collections of a remote: one application collection of the remotes' usage with one
// input and one output report of the given sizes (which count the id byte when numbered).
export function remoteCollections(inputSize, outputSize, numbered = false, usagePage = REMOTE_USAGE_PAGE) {
  const id = numbered ? 1 : 0;
  const report = (size) => [{ reportId: id, items: [{ reportSize: 8, reportCount: size - (numbered ? 1 : 0) }] }];
  return [{ usagePage, usage: 1, type: 1, children: [], inputReports: report(inputSize),
    outputReports: report(outputSize), featureReports: [] }];
}

function domError(name, message) {
  return new DOMException(message, name);
}

// The reports a remote answers one output report with, as the simulated remote does.
class Responder {
  constructor(script) {
    this.script = script;
    this.sent = 0;
    this.vanished = false;
  }

  answer(output) {
    const { script } = this;
    if (this.vanished)
      return { reports: [], vanishes: false };
    const base = new Uint8Array(script.inputSize);
    base.set(output.subarray(0, Math.min(output.length, script.inputSize)));
    let reports = [];
    if (script.reply === 'echo')
      reports.push(base);
    for (let k = 0; script.reply === 'count' && k < script.count; ++k) {
      const report = base.slice();
      report[report.length - 1] = k;
      reports.push(report);
    }
    if (script.reply !== 'silent' && script.end) {
      const end = new Uint8Array(script.inputSize);
      end.set(script.end);
      reports.push(end);
    }
    if (script.length >= 0)
      reports = reports.map((report) => { const r = new Uint8Array(script.length); r.set(report.subarray(0, script.length)); return r; });
    let vanishes = false;
    if (script.vanishAfter >= 0 && this.sent + reports.length >= script.vanishAfter) {
      reports = reports.slice(0, Math.max(0, script.vanishAfter - this.sent));
      vanishes = true;
      this.vanished = true;
    }
    this.sent += reports.length;
    return { reports, vanishes };
  }
}

export class FakeHidDevice extends EventTarget {
  constructor(hid, script, { numbered = false, readOnly = false, collections = null } = {}) {
    super();
    this.hid = hid;
    this.script = script;
    this.numbered = numbered;
    this.readOnly = readOnly;
    this.vendorId = script.vendorId;
    this.productId = script.productId;
    this.productName = `uhid-remote ${script.id}`;
    this.collections = collections ?? remoteCollections(script.inputSize, script.outputSize, numbered);
    this.opened = false;
    this.gone = false;
    this.responder = new Responder(script);
    this.outputs = [];   // every report sent: [reportId, bytes]
    this.opens = 0;
    this.closes = 0;
  }

  async open() {
    if (this.gone || this.script.openFails)
      throw domError('NotAllowedError', 'Failed to open the device.');
    if (this.opened)
      throw domError('InvalidStateError', 'The device is already open.');
    this.opened = true;
    ++this.opens;
  }

  async close() {
    if (this.opened)
      ++this.closes;
    this.opened = false;
  }

  async sendReport(reportId, data) {
    if (!this.opened)
      throw domError('InvalidStateError', 'The device must be opened first.');
    const bytes = new Uint8Array(ArrayBuffer.isView(data) ? data.buffer.slice(data.byteOffset, data.byteOffset + data.byteLength) : data);
    if (this.gone || this.readOnly)
      throw domError('NotAllowedError', 'Failed to write the report.');
    this.outputs.push([reportId, bytes]);
    const output = this.numbered ? Uint8Array.of(reportId, ...bytes) : bytes;
    const { reports, vanishes } = this.responder.answer(output);
    const { delayMs, rateMs } = this.script;
    reports.forEach((report, i) => this.hid.after(delayMs + i * rateMs, () => this.input(report)));
    if (vanishes) {
      const at = reports.length === 0 ? 0 : delayMs + (reports.length - 1) * rateMs;
      this.hid.after(at, () => this.hid.unplug(this, this.script.replugMs));
    }
  }

  // An input report of the remote, as the browser hands it to the page.
  input(bytes) {
    if (!this.opened || this.gone)
      return;
    const reportId = this.numbered ? 1 : 0;
    const data = this.numbered ? bytes.slice(1) : bytes.slice();
    const event = new Event('inputreport');
    Object.defineProperties(event, {
      device: { value: this },
      reportId: { value: reportId },
      data: { value: new DataView(data.buffer) },
    });
    this.dispatchEvent(event);
  }
}

export class FakeHid extends EventTarget {
  constructor() {
    super();
    this.devices = [];
    this.timers = new Set();
    // requestDevice(): whether the page handles a user gesture, and what the user picks.
    this.userGesture = false;
    this.choose = (devices) => devices;
    this.lastFilters = null;
  }

  // Plugs the remotes of a description; options.granted: whether the page may use them.
  plugAll(description, options = {}) {
    return parseRemotes(description).map((script) => this.plug(script, options));
  }

  plug(script, { granted = true, ...deviceOptions } = {}) {
    const device = new FakeHidDevice(this, script, deviceOptions);
    device.granted = granted;
    device.options = { granted, ...deviceOptions };
    this.devices.push(device);
    if (granted)
      this.announce('connect', device);
    return device;
  }

  unplug(device, replugMs = -1) {
    this.devices = this.devices.filter((d) => d !== device);
    device.gone = true;
    device.opened = false;
    if (device.granted)
      this.announce('disconnect', device);
    if (replugMs >= 0)
      this.after(replugMs, () => this.plug(device.script, device.options));
  }

  announce(type, device) {
    const event = new Event(type);
    Object.defineProperty(event, 'device', { value: device });
    this.dispatchEvent(event);
  }

  after(ms, run) {
    const timer = setTimeout(() => {
      this.timers.delete(timer);
      run();
    }, ms);
    this.timers.add(timer);
  }

  // Ends whatever the remotes still had scheduled.
  stop() {
    for (const timer of this.timers)
      clearTimeout(timer);
    this.timers.clear();
  }

  async getDevices() {
    return this.devices.filter((device) => device.granted);
  }

  async requestDevice({ filters }) {
    this.lastFilters = filters;
    if (!this.userGesture)
      throw domError('SecurityError', 'Must be handling a user gesture to show a permission request.');
    const matching = this.devices.filter((device) => filters.some((filter) =>
      (filter.vendorId === undefined || filter.vendorId === device.vendorId)
      && (filter.productId === undefined || filter.productId === device.productId)
      && device.collections.some((c) => c.usagePage === filter.usagePage && c.usage === filter.usage)));
    const picked = this.choose(matching);
    for (const device of picked)
      device.granted = true;
    return picked;
  }
}
