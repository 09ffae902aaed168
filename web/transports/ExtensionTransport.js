import { RemoteError, codeOf, inProgress, ownError, parseResponse } from '../lib/responses.js';
import { onAbort } from '../lib/waiting.js';

// How much longer than its read time-out a command over the extension waits for its pushed answer
// before it asks for it.
const ANSWER_GRACE_MS = 1000;

// window.remoteBridge of the extension: methods that return promises, and events for a
// command's final answer and for a change of the remotes present.
export class ExtensionTransport {
  constructor(bridge) {
    this.kind = 'extension';
    this.bridge = bridge;
    this.waiting = new Map(); // deviceId -> function taking the pushed answer
    this.onAnswer = (event) => {
      const detail = event?.detail;
      const take = detail && this.waiting.get(detail.deviceId);
      if (take)
        take(detail.result);
    };
    this.onDevices = null;
    bridge.addEventListener('answer', this.onAnswer);
  }

  async call(method, ...args) {
    try {
      const answer = await this.bridge[method](...args);
      return answer === undefined ? null : answer;
    } catch (error) {
      const response = typeof error?.response === 'string' ? error.response : null;
      throw response && response.startsWith('{{') ? new RemoteError(response)
        : ownError(`${method} failed: ${error?.message ?? error}`);
    }
  }

  // Starts the command and waits for its pushed final answer. The host keeps that answer for
  // the page to collect: one more call of the same command takes it, so that the next call starts
  // a new command. Should that call find no kept answer (a listing dropped it) and so start a
  // command, that one is cancelled and collected in turn; the first final answer counts.
  // A push can be lost (the extension's side of the page was dropped): with none within the
  // command's time-out and a second more, the page asks, as a plug-in page would, and waits again
  // while the command runs.
  async command(deviceId, args, signal, abandoned) {
    const pushed = [];
    let wake = null;
    const waitMs = Math.max(0, Number(args[3]) || 0) + ANSWER_GRACE_MS;
    const nextPushed = () => new Promise((resolve) => {
      if (pushed.length > 0)
        return resolve(pushed.shift());
      const late = setTimeout(() => {
        wake = null;
        resolve(null);
      }, waitMs);
      wake = () => {
        clearTimeout(late);
        resolve(pushed.shift());
      };
    });
    const stopWaiting = () => {
      if (this.waiting.get(deviceId) === take)
        this.waiting.delete(deviceId);
    };
    const take = (result) => {
      pushed.push(result);
      if (wake) {
        const w = wake;
        wake = null;
        w();
      }
    };
    this.waiting.set(deviceId, take);
    abandoned.wake = () => take(abandoned.reason);
    let stopAbort = () => {};
    try {
      let answer = await this.call('performOperation', ...args);
      if (!inProgress(answer))
        return answer;
      if (codeOf(answer) !== -2)
        throw ownError('the remote is busy with a command this page did not start');
      stopAbort = onAbort(signal, () => this.call('cancelCommand', deviceId).catch(() => {}));
      let final = null;
      while (inProgress(answer)) {
        const result = await nextPushed();
        if (abandoned.reason)
          return abandoned.reason;
        if (result === null) {
          answer = await this.call('performOperation', ...args);
          if (!inProgress(answer))
            return final ?? answer;
          if (codeOf(answer) === -2) // the answer was lost and a command started anew
            this.call('cancelCommand', deviceId).catch(() => {});
          continue;
        }
        final ??= result;
        if (parseResponse(result).detail === 'host disconnected')
          return final;
        answer = await this.call('performOperation', ...args);
        if (inProgress(answer))
          this.call('cancelCommand', deviceId).catch(() => {});
      }
      return final;
    } finally {
      stopAbort();
      stopWaiting();
    }
  }

  watch(onList) {
    if (this.onDevices)
      return;
    this.onDevices = (event) => onList(event?.detail?.devices);
    this.bridge.addEventListener('devicechange', this.onDevices);
  }

  unwatch() {
    if (this.onDevices)
      this.bridge.removeEventListener('devicechange', this.onDevices);
    this.onDevices = null;
  }
}
