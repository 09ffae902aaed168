// Which page origins may use the remotes: the ones the user allowed in the extension's prompt
// and the ones the administrator's policy lists. Every call of a page is checked here first.
//
// The prompt is asked for as browsers ask for their own permissions: only on a user's gesture in
// the asking frame, one prompt at a time, and never again in this browser session for an origin
// the user refused (Deny, or the prompt closed).

export class OriginAccess {
  // userOrigins: {read(), write(origins)}, the user's list, where content scripts cannot reach it;
  // readManaged(): the administrator's list ({origins}); refusals: {read(), write(origins)}, the
  // origins refused in this browser session; prompts: {open(origin, site) -> Promise<windowId>},
  // the extension's prompt window, which closes itself once answered.
  constructor({ userOrigins, readManaged, refusals, prompts }) {
    this.userOrigins = userOrigins;
    this.readManaged = readManaged;
    this.refusals = refusals;
    this.prompts = prompts;
    this.user = new Set();
    this.managed = new Set();
    this.refused = new Set();
    this.asking = new Map(); // origin -> {windowId, resolvers}
    this.changeListeners = [];
    this.loaded = this.reload();
    // Changes of the user's list, one after the other, each on what the list holds then.
    this.writing = Promise.resolve();
  }

  onChange(listener) { this.changeListeners.push(listener); }

  async reload() {
    const [user, managed, refused] = await Promise.all([
      this.userOrigins.read().catch(() => []),
      this.readManaged().catch(() => ({ origins: [] })),
      this.refusals.read().catch(() => []),
    ]);
    this.user = new Set(user);
    this.managed = new Set(managed.origins);
    this.refused = new Set(refused);
  }

  // After the administrator's policy changed.
  managedChanged() {
    this.loaded = this.reload().then(() => this.changed());
  }

  changed() {
    for (const listener of this.changeListeners)
      listener();
  }

  async isAllowed(origin) {
    await this.loaded;
    return this.allowedNow(origin);
  }

  allowedNow(origin) {
    return this.user.has(origin) || this.managed.has(origin);
  }

  // Shows the prompt for the origin (once, however many of its frames ask) and resolves with
  // the user's answer. site: the origin of the page the asking frame is part of; activated:
  // whether the frame had a user's gesture when it asked.
  async request(origin, { site = null, activated = false } = {}) {
    if (await this.isAllowed(origin))
      return true;
    if (origin === 'null' || !origin || !site || !activated || this.refused.has(origin))
      return false;
    let asking = this.asking.get(origin);
    if (!asking) {
      if (this.asking.size > 0)
        return false; // another origin's prompt is open
      asking = { windowId: null, resolvers: [] };
      this.asking.set(origin, asking);
      this.prompts.open(origin, site).then(
        (windowId) => { asking.windowId = windowId; },
        () => this.settle(origin, false, false));
    }
    return new Promise((resolve) => asking.resolvers.push(resolve));
  }

  // The prompt's answer; only an origin that is being asked about can be allowed this way.
  async decide(origin, allow) {
    if (!this.asking.has(origin))
      return;
    let allowed = allow;
    if (allow)
      allowed = await this.updateUserOrigins((origins) => [...origins, origin]).then(() => true, () => false);
    this.settle(origin, allowed, allowed === allow);
  }

  // The options page took the origin off the user's list.
  revoke(origin) {
    return this.updateUserOrigins((origins) => origins.filter((o) => o !== origin));
  }

  // Reads the list, changes it and writes it, after every change asked for before.
  updateUserOrigins(change) {
    const update = this.writing.then(async () => {
      await this.loaded;
      const origins = change(await this.userOrigins.read());
      await this.userOrigins.write(origins);
      this.user = new Set(await this.userOrigins.read());
      this.changed();
    });
    this.writing = update.catch(() => {});
    return update;
  }

  promptClosed(windowId) {
    for (const [origin, asking] of this.asking) {
      if (asking.windowId === windowId)
        this.settle(origin, false);
    }
  }

  // remember: a refusal that the user gave (not a prompt that could not open or a failed write).
  settle(origin, allow, remember = true) {
    const asking = this.asking.get(origin);
    if (!asking)
      return;
    this.asking.delete(origin);
    if (!allow && remember) {
      this.refused.add(origin);
      this.refusals.write([...this.refused]).catch(() => {});
    }
    for (const resolve of asking.resolvers)
      resolve(allow);
  }
}
