import { inProgress, ownError } from '../lib/responses.js';
import { onAbort, sleep } from '../lib/waiting.js';

// The plug-in's scriptable object: synchronous methods, polled for a command's answer.
export class PluginTransport {
  constructor(plugin, pollMs) {
    this.kind = 'plugin';
    this.plugin = plugin;
    this.pollMs = pollMs;
  }

  async call(method, ...args) {
    let answer;
    try {
      answer = this.plugin[method](...args);
    } catch (error) {
      throw ownError(`${method} failed: ${error?.message ?? error}`);
    }
    return answer === undefined ? null : answer;
  }

  // Starts the command and asks again until its answer is final.
  async command(deviceId, args, signal, abandoned) {
    let answer = await this.call('performOperation', ...args);
    const stop = onAbort(signal, () => this.call('cancelCommand', deviceId).catch(() => {}));
    try {
      while (inProgress(answer) && !abandoned.reason) {
        await sleep(this.pollMs);
        if (!abandoned.reason)
          answer = await this.call('performOperation', ...args);
      }
    } finally {
      stop();
    }
    return abandoned.reason ?? answer;
  }

  watch() {}
  unwatch() {}
}
