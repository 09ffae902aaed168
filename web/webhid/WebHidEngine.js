// The engine's command behaviour over WebHID (navigator.hid), in page script: the registry of the
// remotes of the registered types, listed from the devices the page may use, and one command per
// remote, run to the same answers as the engine gives: the request cut into output reports, the
// answer read by count or up to the end packet within a budget of one-second reads, cancel,
// removal, stale reports, codes and texts.
//
// Besides the engine, it keeps what the native messaging host adds for pages that do not poll:
// a command's final answer is announced (onAnswer), the remotes present are listed again when
// devices come or go (onDevices, only when the list changed), and a final answer announced for a
// remote that such a listing dropped is still handed to the page's next call, once.
//
// Differences that are not answers: commands of different remotes run at the same time (the
// engine has one worker for all), and a cancel ends a read that waits at once (the engine's
// worker sees it after the read).
import { ALL_RELEASED, REMOTE_RELEASED } from '../lib/responses.js';
import { HidCommand } from './HidCommand.js';
import { GONE, HidRemote } from './HidRemote.js';
import { primaryUsage } from './reportLayout.js';
import {
  CANCEL, CANNOT_CLEANUP_REMOTE, CHANNEL_NOT_FOUND, FATAL_ERROR, GENERAL_ERROR, IN_PROGRESS, READ_TIMEOUT,
  REMOTE_NOT_FOUND, SUCCESS, WRITE_ERROR_IOPIPE, responseString,
} from './responseTexts.js';

// The remotes' usage: vendor usage page 0xFF00, usage 1.
export const REMOTE_USAGE_PAGE = 0xFF00;
export const REMOTE_USAGE = 1;
// Each read waits as long as one of the engine's: one second, with the engine's 20 ms of slack.
export const READ_WAIT_MS = 1020;

const now = () => globalThis.performance?.now() ?? Date.now();

export class WebHidEngine {
  #hid;
  #types = [];
  #remotes = [];
  // HIDDevice -> {deviceId, token}: the same while the device stays, also across cleanups.
  #identities = new WeakMap();
  #nextNumber = 1;
  // Calls run one after the other, in the order the page made them, as the plug-in's do.
  #calls = Promise.resolve();
  // deviceId -> a command whose final answer a listing of the engine's own outlived its remote
  #kept = new Map();
  #lastList = '';
  #listingDue = false;
  #answerListeners = new Set();
  #deviceListeners = new Set();
  // The commands reading, and the one timer that follows their reads' waits.
  #readings = new Set();
  #readTimer = null;

  constructor(hid) {
    this.#hid = hid;
    hid.addEventListener('connect', () => this.devicesMayHaveChanged());
    hid.addEventListener('disconnect', (event) => {
      for (const remote of this.#remotes) {
        if (remote.device === event.device)
          remote.markGone();
      }
      this.devicesMayHaveChanged();
    });
  }

  // listener(deviceId, finalAnswer) for every command's final answer.
  onAnswer(listener) { this.#answerListeners.add(listener); }
  // listener(deviceList) when the list of remotes present changed.
  onDevices(listener) { this.#deviceListeners.add(listener); }

  // The registered types, as filters for the browser's chooser.
  filters() {
    const usage = { usagePage: REMOTE_USAGE_PAGE, usage: REMOTE_USAGE };
    const types = this.#types.filter(({ vendorId, productId }) =>
      vendorId >= 0 && vendorId <= 0xFFFF && productId >= 0 && productId <= 0xFFFF);
    return types.length === 0 ? [usage] : types.map((type) => ({ ...type, ...usage }));
  }

  // Whether the page may use a device of the remotes' usage that is present now.
  async hasRemoteOfItsUsage() {
    const devices = await this.#hid.getDevices();
    return devices.some((device) => this.#hasRemoteUsage(device));
  }

  // Runs `call` after every call made before it.
  run(call) {
    const result = this.#calls.then(call);
    this.#calls = result.then(() => {}, () => {});
    return result;
  }

  addHidlet(vendorId, productId) {
    if (!this.#types.some((type) => type.vendorId === vendorId && type.productId === productId))
      this.#types.push({ vendorId, productId });
  }

  // The device list, after the registry was brought up to date. A page that lists no longer
  // finds a remote that went, nor its kept answer.
  async getDevicesInfo() {
    await this.#updateRemotes();
    const list = this.#list();
    for (const deviceId of this.#kept.keys()) {
      if (!this.#remotes.some((remote) => remote.connected && remote.deviceId === deviceId))
        this.#kept.delete(deviceId);
    }
    this.#lastList = list;
    return list;
  }

  execute(deviceId, request, count, endPacket, timeoutMs) {
    if (this.#kept.has(deviceId)) {
      const kept = this.#kept.get(deviceId);
      this.#kept.delete(deviceId);
      return kept.response();
    }
    const remote = this.#connectedRemote(deviceId);
    if (!remote)
      return responseString(REMOTE_NOT_FOUND, 'in KVE::execute');
    const starts = remote.command === null;
    if (starts)
      remote.command = new HidCommand(request, count, remote.inputLength, remote.outputLength, endPacket, timeoutMs);
    const command = remote.command;
    const result = command.result;
    const answer = command.response();
    if (result < 0) {
      if (starts)
        Promise.resolve().then(() => this.#runCommand(remote, command));
      return answer;
    }
    remote.command = null;
    return answer;
  }

  // The remote's command (whose `finished` settles once it has its final result); null when it has
  // none.
  commandOf(deviceId) {
    return this.#connectedRemote(deviceId)?.command ?? null;
  }

  // What a call that collects the final answer of `command` does, without making its text: the
  // next call on the remote starts a new command.
  collect(deviceId, command) {
    const remote = this.#connectedRemote(deviceId);
    if (remote?.command === command && command.result >= 0)
      remote.command = null;
    if (this.#kept.get(deviceId) === command)
      this.#kept.delete(deviceId);
  }

  cancel(deviceId) {
    const remote = this.#connectedRemote(deviceId);
    if (!remote)
      return responseString(REMOTE_NOT_FOUND, 'in KVE::cancel');
    remote.command?.cancel();
    return responseString(SUCCESS, 'in KVE::cancel');
  }

  // Releases the remote (it comes back at once while it is present, with its channel opened
  // again); an id that matches nothing is no error.
  async cleanupRemote(deviceId) {
    this.#kept.delete(deviceId);
    const remote = this.#remotes.find((r) => r.deviceId === deviceId);
    if (remote) {
      this.#remotes = this.#remotes.filter((r) => r !== remote);
      await this.#release(remote, REMOTE_RELEASED);
    }
    try {
      await this.#updateRemotes();
    } catch (error) {
      return responseString(CANNOT_CLEANUP_REMOTE, 'in KVE::cleanupRemote');
    }
    return responseString(SUCCESS, 'in KVE::cleanupRemote');
  }

  async cleanupAll() {
    this.#kept.clear();
    const remotes = this.#remotes;
    this.#remotes = [];
    for (const remote of remotes)
      await this.#release(remote, ALL_RELEASED);
  }

  #hasRemoteUsage(device) {
    const usage = primaryUsage(device.collections);
    return usage !== null && usage.usagePage === REMOTE_USAGE_PAGE && usage.usage === REMOTE_USAGE;
  }

  #isCandidate(device) {
    return this.#types.some((type) => type.vendorId === device.vendorId && type.productId === device.productId)
      && this.#hasRemoteUsage(device);
  }

  #connectedRemote(deviceId) {
    return this.#remotes.find((remote) => remote.connected && remote.deviceId === deviceId) ?? null;
  }

  #list() {
    return this.#remotes.filter((remote) => remote.connected).map((remote) => `${remote.record()}||`).join('');
  }

  #identity(device) {
    let identity = this.#identities.get(device);
    if (!identity) {
      const number = this.#nextNumber++;
      identity = { deviceId: `hid-${number}`, token: number };
      this.#identities.set(device, identity);
    }
    return identity;
  }

  // New candidates become remotes (their channel opened); remotes whose device is no longer
  // listed go, unless a command of theirs still runs: such a remote is only marked disconnected.
  // `keepAnswers`: a final answer that no call collected yet outlives its remote.
  async #updateRemotes(keepAnswers = false) {
    const devices = (await this.#hid.getDevices()).filter((device) => this.#isCandidate(device));
    for (const device of devices) {
      if (this.#remotes.some((remote) => remote.device === device))
        continue;
      const remote = new HidRemote(device, this.#identity(device));
      await remote.open();
      this.#remotes.push(remote);
    }
    const vanished = this.#remotes.filter((remote) => !devices.includes(remote.device));
    for (const remote of vanished) {
      if (remote.busy) {
        remote.connected = false;
        continue;
      }
      if (keepAnswers && remote.connected && remote.command !== null)
        this.#kept.set(remote.deviceId, remote.command);
      this.#remotes = this.#remotes.filter((r) => r !== remote);
      await this.#release(remote, null);
    }
  }

  // Drops the remote's command, whose final answer, for whoever awaits it, is then `dropped`,
  // and closes its channel.
  async #release(remote, dropped) {
    const command = remote.command;
    remote.command = null;
    if (command && dropped && command.result < 0) {
      command.dropped = dropped;
      command.finish();
    }
    command?.cancel();
    await remote.close();
  }

  // After a device came or went (or the page was granted one): the list again, announced when it
  // changed. Several events in a row make one listing.
  devicesMayHaveChanged() {
    if (this.#listingDue)
      return;
    this.#listingDue = true;
    this.run(async () => {
      this.#listingDue = false;
      await this.#updateRemotes(true);
      const list = this.#list();
      if (list === this.#lastList)
        return;
      this.#lastList = list;
      for (const listener of this.#deviceListeners)
        listener(list);
    }).catch(() => {
      // The page lists again when it calls getDevices.
    });
  }

  async #runCommand(remote, command) {
    command.result = IN_PROGRESS;
    let code;
    try {
      code = await this.#transfer(remote, command);
    } catch (error) {
      code = GENERAL_ERROR;
    }
    command.result = code;
    command.finish();
    // A command dropped by a cleanup has no answer for anyone.
    if (remote.command !== command)
      return;
    for (const listener of this.#answerListeners)
      listener(remote.deviceId, command);
  }

  async #transfer(remote, command) {
    // A remote that went away ends the command at once, also one whose device could not be
    // opened because it was going. Without a channel nothing is sent or read: success would
    // claim a transfer that never was.
    if (remote.gone)
      return FATAL_ERROR;
    if (!remote.channelOpen)
      return CHANNEL_NOT_FOUND;
    // Reports still queued from an answer nobody waits for any more would open this command's
    // answer. A command that sends nothing keeps them: it may collect the answer to the reports
    // an earlier command sent.
    const { packets } = command;
    if (packets.length > 0)
      remote.dropQueuedReports();
    for (let i = 0; i < packets.length - 1; ++i) {
      const code = await this.#write(remote, packets[i]);
      if (code !== SUCCESS)
        return code;
    }
    const last = packets.length > 0 ? this.#write(remote, packets[packets.length - 1]) : null;
    if (command.count === 0)
      return last ?? SUCCESS;
    // The answer is read while the browser still confirms the last report: a report that comes
    // now answers it (those before were dropped). A send that fails ends the command with its
    // code; an answer already complete does not wait for the confirmation.
    const reading = this.#readAnswer(remote, command);
    last?.then((code) => {
      if (code !== SUCCESS)
        reading.stop(code);
    });
    return reading.ended;
  }

  // The answer's input reports, read as the engine reads them: one read after the other, each
  // waiting up to a second, with a budget of reads that bring nothing over the whole command (the
  // time-out's whole seconds); a report of another length than the remote's input reports is such
  // a read. The reports come as the device sends them, each with the time it came, and one timer
  // of the engine follows the waits of every command reading (#watchReads): nothing is armed or
  // read off the clock per report. {ended: the promise of the code it ends with, stop(code)}.
  #readAnswer(remote, command) {
    const budget = Math.trunc(command.timeoutMs / 1000);
    const start = now();
    const reading = { readStart: start };
    reading.ended = new Promise((resolve) => {
      let emptyReads = 0;
      let done = false;
      const finish = (code) => {
        if (done)
          return;
        done = true;
        this.#readings.delete(reading);
        remote.stopReading();
        command.onCancel = null;
        resolve(code);
      };
      reading.stop = finish;
      // One read's outcome at `at`: a report, or null for one that brought nothing.
      const readEnded = (report, at) => {
        if (report !== null && report.length === command.inputLength) {
          if (!command.addReceived(report))
            return finish(command.canceled ? CANCEL : SUCCESS);
        } else if (emptyReads < budget) {
          ++emptyReads;
        } else {
          return finish(READ_TIMEOUT);
        }
        if (command.canceled)
          return finish(CANCEL);
        if (!remote.connected)
          return finish(FATAL_ERROR);
        reading.readStart = at;
      };
      reading.nothingRead = (at) => readEnded(null, at);
      if (command.canceled)
        return finish(CANCEL);
      if (remote.gone || !remote.connected)
        return finish(FATAL_ERROR);
      command.onCancel = () => finish(CANCEL);
      this.#readings.add(reading);
      this.#watchReads();
      remote.startReading((report, at = start) => readEnded(report, at), (why) => finish(why === GONE ? FATAL_ERROR : CANCEL));
    });
    return reading;
  }

  // The one timer of the reads: armed while a command reads, for the first read's wait to end.
  // A timer still armed from an earlier command ends before any new read's wait would: it is
  // kept, and armed again for what is left.
  #watchReads() {
    if (this.#readTimer === null)
      this.#readTimer = setTimeout(() => this.#readTimeFired(), READ_WAIT_MS);
  }

  #readTimeFired() {
    this.#readTimer = null;
    const time = now();
    let next = Infinity;
    for (const reading of [...this.#readings]) {
      if (time >= reading.readStart + READ_WAIT_MS)
        reading.nothingRead(time);
      if (this.#readings.has(reading))
        next = Math.min(next, reading.readStart + READ_WAIT_MS);
    }
    if (next !== Infinity)
      this.#readTimer = setTimeout(() => this.#readTimeFired(), Math.max(0, next - time));
  }

  // One output report. A remote that went away ends the command at once (400). A device that was
  // opened without write access (Chromium opens a hidraw node it may only read read-only, and
  // then fails every write) has no channel to send on (202), for this command and the next ones
  // until it is released.
  async #write(remote, packet) {
    if (remote.gone)
      return FATAL_ERROR;
    if (remote.writable === false)
      return CHANNEL_NOT_FOUND;
    try {
      await remote.send(packet);
      remote.writable = true;
      return SUCCESS;
    } catch (error) {
      if (remote.gone || !(await remote.reopens()) || remote.gone) {
        remote.gone = true;
        return FATAL_ERROR;
      }
      const declaredId = !remote.layout.outputNumbered || remote.layout.outputIds.has(packet[0]);
      if (remote.writable === null && declaredId) {
        remote.writable = false;
        return CHANNEL_NOT_FOUND;
      }
      return WRITE_ERROR_IOPIPE;
    }
  }
}
