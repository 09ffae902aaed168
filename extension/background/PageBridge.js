// Serves the frames of every tab over the one native host: checks each call's origin, passes
// allowed calls on, and sends events where they belong: a command's final answer to the frame
// that started it, a change of the remotes present to every allowed frame.
//
// A frame that goes away while its command runs must not leave its answer for another frame to
// collect: its command is cancelled and, once the host reports the final answer, that answer is
// taken and dropped. Until then the device's other calls of performOperation wait, so that no
// page polls up the answer first.
import { BAD_CALL, HOST_DISCONNECTED, ORIGIN_NOT_ALLOWED, PAGE_METHODS } from './responses.js';

const DEVICE_METHODS = new Set(['performOperation', 'cancelCommand', 'cleanupRemote']);

// The host and the engine see a text argument up to its first NUL; so does the bookkeeping here.
function deviceOf(method, args) {
  if (!DEVICE_METHODS.has(method) || typeof args[0] !== 'string')
    return null;
  const nul = args[0].indexOf('\u0000');
  return nul < 0 ? args[0] : args[0].slice(0, nul);
}

const isNewCommand = (result) => typeof result === 'string' && result.startsWith('{{-2|');
const isRunning = (result) => typeof result === 'string' && (result.startsWith('{{-2|') || result.startsWith('{{-1|'));

export class PageBridge {
  // host: a NativeHost; access: an OriginAccess.
  constructor(host, access) {
    this.host = host;
    this.access = access;
    this.frames = new Set();
    // deviceId -> {frame, state: 'running' | 'answered' | 'orphaned', held: [calls]}; a command
    // that the host follows and whose answer no frame collected yet.
    this.commands = new Map();
    host.onEvent((event) => this.hostEvent(event));
    host.onGone(() => this.hostGone());
    access.onChange(() => this.accessChanged());
  }

  // frame: {origin, post(message)}.
  frameConnected(frame) {
    this.frames.add(frame);
  }

  frameGone(frame) {
    this.frames.delete(frame);
    for (const [deviceId, command] of this.commands) {
      if (command.frame === frame)
        this.abandon(deviceId, command);
    }
  }

  async frameMessage(frame, message) {
    if (!message || typeof message !== 'object')
      return;
    switch (message.type) {
    case 'hello':
      frame.post({ type: 'ready', value: await this.readyFor(frame) });
      break;
    case 'requestAccess': {
      const allowed = await this.access.request(frame.origin);
      frame.post({ type: 'reply', id: message.id, result: allowed });
      break;
    }
    case 'call':
      frame.post({ type: 'reply', id: message.id, ...(await this.call(frame, message.method, message.args)) });
      break;
    }
  }

  async readyFor(frame) {
    if (!(await this.access.isAllowed(frame.origin)))
      return false;
    return this.host.ready();
  }

  async call(frame, method, args) {
    if (!PAGE_METHODS.includes(method))
      return { error: BAD_CALL };
    if (!Array.isArray(args))
      args = [];
    if (!(await this.access.isAllowed(frame.origin)))
      return { error: ORIGIN_NOT_ALLOWED };
    const deviceId = deviceOf(method, args);
    const command = deviceId === null ? null : this.commands.get(deviceId);
    if (method === 'performOperation' && command?.state === 'orphaned')
      return new Promise((resolve) => command.held.push({ frame, args, resolve }));
    return this.send(frame, method, args, deviceId);
  }

  async send(frame, method, args, deviceId) {
    const answer = await this.host.call(method, args);
    if ('result' in answer)
      this.track(frame, method, deviceId, answer.result);
    return answer;
  }

  // Keeps the book of who started which command after each answer of the host.
  track(frame, method, deviceId, result) {
    if (method === 'cleanupAll') {
      for (const [id, command] of this.commands)
        this.forget(id, command);
      return;
    }
    if (deviceId === null)
      return;
    const command = this.commands.get(deviceId);
    if (method === 'cleanupRemote') {
      if (command)
        this.forget(deviceId, command);
    } else if (method === 'performOperation' && isNewCommand(result)) {
      const started = { frame, state: 'running', held: [] };
      this.commands.set(deviceId, started);
      if (!this.frames.has(frame))
        this.abandon(deviceId, started);
    } else if (method === 'performOperation' && !isRunning(result) && command && command.state !== 'orphaned') {
      // The final answer was collected (or the call failed at once): no command runs any more.
      this.commands.delete(deviceId);
    }
  }

  abandon(deviceId, command) {
    command.frame = null;
    if (command.state === 'running') {
      command.state = 'orphaned';
      this.host.call('cancelCommand', [deviceId]);
    } else if (command.state === 'answered') {
      this.host.call('takeAnswer', [deviceId]);
      this.commands.delete(deviceId);
    }
  }

  // The command is over for the host too (cleanup, or its answer was taken): calls held for the
  // device go on now, in the order they came.
  forget(deviceId, command) {
    this.commands.delete(deviceId);
    for (const held of command.held)
      this.send(held.frame, 'performOperation', held.args, deviceId).then(held.resolve);
  }

  hostEvent(event) {
    if (event.event === 'answer' && typeof event.deviceId === 'string') {
      const command = this.commands.get(event.deviceId);
      if (!command)
        return;
      if (command.state === 'orphaned') {
        this.host.call('takeAnswer', [event.deviceId]);
        this.forget(event.deviceId, command);
      } else if (command.state === 'running') {
        command.state = 'answered';
        command.frame.post({ type: 'event', name: 'answer', detail: { deviceId: event.deviceId, result: event.result } });
      }
    } else if (event.event === 'devices' && typeof event.devices === 'string') {
      for (const frame of this.frames) {
        if (this.access.allowedNow(frame.origin))
          frame.post({ type: 'event', name: 'devicechange', detail: { devices: event.devices } });
      }
    }
  }

  // The host's port answered every call it had with the defined error. The commands the host
  // followed end the same way: their frames get that error as the final answer, and the calls
  // held for them are answered with it.
  hostGone() {
    const commands = [...this.commands];
    this.commands.clear();
    for (const [deviceId, command] of commands) {
      if (command.state === 'running' && command.frame)
        command.frame.post({ type: 'event', name: 'answer', detail: { deviceId, result: HOST_DISCONNECTED } });
      for (const held of command.held)
        held.resolve({ error: HOST_DISCONNECTED });
    }
  }

  accessChanged() {
    for (const frame of this.frames)
      frame.post({ type: 'access', allowed: this.access.allowedNow(frame.origin) });
  }
}
