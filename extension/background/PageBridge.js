// Serves the frames of every tab over the one native host: checks each call's origin, passes
// allowed calls on, and sends events where they belong: a command's final answer to the frame
// that started it, a change of the remotes present to every allowed frame.
//
// A command belongs to the frame that started it while that frame lives. Another frame's
// performOperation or cancelCommand on that remote is answered "in progress" here and never
// reaches the host, so it can neither collect the command's answer nor cancel it; another
// frame's cleanup ends it, and its owner hears so with a final answer of its own. While a frame's
// first call on a remote is on its way, other frames' calls on that remote wait for its answer.
//
// A frame that goes away while its command runs must not leave its answer for another frame to
// collect: its command is cancelled and, once the host reports the final answer, that answer is
// taken and dropped. Until then the remote's other calls wait, for at most HELD_LIMIT_MS.
import { BAD_CALL, HOST_DISCONNECTED, ORIGIN_NOT_ALLOWED, PAGE_METHODS } from './responses.js';

const DEVICE_METHODS = new Set(['performOperation', 'cancelCommand', 'cleanupRemote']);
const OWNED_METHODS = new Set(['performOperation', 'cancelCommand']);
const BUSY = '{{-1|Command in progress}}';
const ENDED_BY_CLEANUP = '{{600|Cancel command}}';
// How long a call waits for an orphaned command's end. The engine ends a cancelled command
// within about a second; should no answer come at all, the host's word counts after this.
export const HELD_LIMIT_MS = 10000;

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
  // host: a NativeHost; access: an OriginAccess; heldLimitMs: see HELD_LIMIT_MS.
  constructor(host, access, { heldLimitMs = HELD_LIMIT_MS } = {}) {
    this.host = host;
    this.access = access;
    this.heldLimitMs = heldLimitMs;
    this.frames = new Set();
    // deviceId -> {frame, state, heldCalls, timer}. state: 'starting' (the frame's call is on its
    // way to the host), 'running', 'answered' (the host keeps the final answer uncollected for the
    // frame) or 'orphaned' (the frame went; the command was cancelled and its answer is to be
    // dropped). heldCalls: other frames' calls on the remote, waiting while it is starting or
    // orphaned.
    this.commands = new Map();
    host.onEvent((event) => this.hostEvent(event));
    host.onGone(() => this.hostGone());
    access.onChange(() => this.accessChanged());
  }

  // frame: {origin, post(message)}; the bridge keeps its own notes on it (frame.allowed).
  frameConnected(frame) {
    this.frames.add(frame);
  }

  frameGone(frame) {
    this.frames.delete(frame);
    for (const [deviceId, command] of this.commands) {
      if (command.frame === frame)
        this.orphan(deviceId, command);
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
      const allowed = await this.access.request(frame.origin, { site: frame.site, activated: message.activated === true });
      frame.post({ type: 'reply', id: message.id, result: allowed });
      break;
    }
    case 'call':
      frame.post({ type: 'reply', id: message.id, ...(await this.call(frame, message.method, message.args)) });
      break;
    }
  }

  async readyFor(frame) {
    const allowed = await this.access.isAllowed(frame.origin);
    frame.allowed = allowed;
    return allowed && this.host.ready();
  }

  async call(frame, method, args) {
    if (!PAGE_METHODS.includes(method))
      return { error: BAD_CALL };
    if (!Array.isArray(args))
      args = [];
    if (!(await this.access.isAllowed(frame.origin)))
      return { error: ORIGIN_NOT_ALLOWED };
    return this.route(frame, method, args);
  }

  // Passes the call on, answers it "in progress" when another frame's command holds the remote,
  // or holds it while the remote's next owner is not known yet.
  route(frame, method, args) {
    const deviceId = deviceOf(method, args);
    const command = deviceId === null ? null : this.commands.get(deviceId);
    if (command && command.frame !== frame && OWNED_METHODS.has(method)) {
      if (command.state === 'running' || command.state === 'answered')
        return { result: BUSY };
      return new Promise((resolve) => command.heldCalls.push({ frame, method, args, resolve }));
    }
    if (method === 'performOperation' && deviceId !== null && !command)
      this.commands.set(deviceId, { frame, state: 'starting', heldCalls: [], timer: null });
    return this.send(frame, method, args, deviceId);
  }

  async send(frame, method, args, deviceId) {
    // A cleanup ends the commands the host had when it got the cleanup: those known now.
    const ended = method === 'cleanupAll' ? [...this.commands]
      : method === 'cleanupRemote' && this.commands.has(deviceId) ? [[deviceId, this.commands.get(deviceId)]] : [];
    const answer = await this.host.call(method, args);
    if ('result' in answer) {
      for (const [id, command] of ended)
        this.endedByCleanup(id, command, frame);
      if (method === 'performOperation')
        this.track(frame, deviceId, answer.result);
    } else if (method === 'performOperation') {
      this.track(frame, deviceId, null);
    }
    return answer;
  }

  // Keeps the book of who started which command after each answer of the host to a frame's
  // performOperation (null: the call failed).
  track(frame, deviceId, result) {
    if (deviceId === null)
      return;
    const command = this.commands.get(deviceId);
    if (isNewCommand(result)) {
      // The same entry goes on, so that a cleanup sent meanwhile still finds it.
      const started = command ?? { heldCalls: [], timer: null };
      clearTimeout(started.timer);
      Object.assign(started, { frame, state: 'running', timer: null });
      this.commands.set(deviceId, started);
      if (!this.frames.has(frame))
        this.orphan(deviceId, started);
      else
        this.releaseHeldCalls(started);
    } else if (command && !isRunning(result)) {
      // A final answer (or a failure) ends the command, whatever became of its frame meanwhile:
      // the host polls it no more, so no event will come for it.
      this.forget(deviceId, command);
    } else if (command?.state === 'starting' && command.frame === frame) {
      // The remote is busy with a command nobody here started: nothing to own.
      this.forget(deviceId, command);
    }
  }

  endedByCleanup(deviceId, command, byFrame) {
    if (this.commands.get(deviceId) !== command)
      return;
    if (command.state === 'running' && command.frame && command.frame !== byFrame)
      command.frame.post({ type: 'event', name: 'answer', detail: { deviceId, result: ENDED_BY_CLEANUP } });
    this.forget(deviceId, command);
  }

  // The command's frame went: a running command is cancelled and its answer dropped once the host
  // has it (or after heldLimitMs); an answered one's uncollected answer is dropped now; a starting
  // one is orphaned once the host's answer shows that it started.
  orphan(deviceId, command) {
    command.frame = null;
    if (command.state === 'running') {
      command.state = 'orphaned';
      this.host.call('cancelCommand', [deviceId]);
      command.timer = setTimeout(() => {
        if (this.commands.get(deviceId) !== command)
          return;
        this.host.call('takeAnswer', [deviceId]);
        this.forget(deviceId, command);
      }, this.heldLimitMs);
    } else if (command.state === 'answered') {
      this.host.call('takeAnswer', [deviceId]);
      this.forget(deviceId, command);
    }
  }

  // The command is over for the host too (its answer was collected or taken, or the remote was
  // cleaned up): the calls held for the remote go on now, in the order they came.
  forget(deviceId, command) {
    clearTimeout(command.timer);
    if (this.commands.get(deviceId) === command)
      this.commands.delete(deviceId);
    this.releaseHeldCalls(command);
  }

  releaseHeldCalls(command) {
    const held = command.heldCalls.splice(0);
    for (const call of held)
      Promise.resolve(this.route(call.frame, call.method, call.args)).then(call.resolve);
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
  // was polling end the same way: their frames get that error as the final answer, and the calls
  // held for them are answered with it.
  hostGone() {
    const commands = [...this.commands];
    this.commands.clear();
    for (const [deviceId, command] of commands) {
      clearTimeout(command.timer);
      if (command.state === 'running' && command.frame)
        command.frame.post({ type: 'event', name: 'answer', detail: { deviceId, result: HOST_DISCONNECTED } });
      for (const held of command.heldCalls.splice(0))
        held.resolve({ error: HOST_DISCONNECTED });
    }
  }

  // Tells the frames whose origin was allowed or revoked (and only those) that their answer to
  // "ready" changed.
  accessChanged() {
    for (const frame of this.frames) {
      const allowed = this.access.allowedNow(frame.origin);
      if (frame.allowed === undefined || frame.allowed === allowed)
        continue;
      frame.allowed = allowed;
      frame.post({ type: 'access', allowed });
    }
  }
}
