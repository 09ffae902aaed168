// Which page origins may use the remotes: the ones the user allowed in the extension's prompt
// and the ones the administrator's policy lists. Every call of a page is checked here first.
import { readAllowedOrigins, writeUserOrigins } from './origins.js';

export class OriginAccess {
  // storage: the browser's storage namespace; prompts: {open(origin) -> Promise<windowId>}, the
  // extension's prompt window, which closes itself once answered.
  constructor(storage, prompts) {
    this.storage = storage;
    this.prompts = prompts;
    this.user = new Set();
    this.managed = new Set();
    this.loaded = this.reload();
    this.asking = new Map(); // origin -> {windowId, resolvers}
    this.changeListeners = [];
  }

  onChange(listener) { this.changeListeners.push(listener); }

  async reload() {
    const { user, managed } = await readAllowedOrigins(this.storage);
    this.user = new Set(user);
    this.managed = new Set(managed);
  }

  // After storage changed (the options page revoked an origin, a policy arrived).
  storageChanged() {
    this.loaded = this.reload().then(() => {
      for (const listener of this.changeListeners)
        listener();
    });
  }

  async isAllowed(origin) {
    await this.loaded;
    return this.allowedNow(origin);
  }

  allowedNow(origin) {
    return this.user.has(origin) || this.managed.has(origin);
  }

  // Shows the prompt for the origin (once, however many frames ask) and resolves with the
  // user's answer; closing the prompt is a refusal.
  async request(origin) {
    if (await this.isAllowed(origin))
      return true;
    if (origin === 'null' || !origin)
      return false;
    let asking = this.asking.get(origin);
    if (!asking) {
      asking = { windowId: null, resolvers: [] };
      this.asking.set(origin, asking);
      this.prompts.open(origin).then(
        (windowId) => { asking.windowId = windowId; },
        () => this.settle(origin, false));
    }
    return new Promise((resolve) => asking.resolvers.push(resolve));
  }

  // The prompt's answer; only an origin that is being asked about can be allowed this way.
  async decide(origin, allow) {
    if (!this.asking.has(origin))
      return;
    if (allow && !this.allowedNow(origin)) {
      await this.loaded;
      this.user.add(origin);
      await writeUserOrigins(this.storage, [...this.user]);
    }
    this.settle(origin, allow);
  }

  promptClosed(windowId) {
    for (const [origin, asking] of this.asking) {
      if (asking.windowId === windowId)
        this.settle(origin, false);
    }
  }

  settle(origin, allow) {
    const asking = this.asking.get(origin);
    if (!asking)
      return;
    this.asking.delete(origin);
    for (const resolve of asking.resolvers)
      resolve(allow);
  }
}
