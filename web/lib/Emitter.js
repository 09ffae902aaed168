// Listeners for a few event types, the same in every host (some of them have no EventTarget).
export class Emitter {
  #listeners = new Map();

  addEventListener(type, listener, options = {}) {
    if (typeof listener !== 'function' && typeof listener?.handleEvent !== 'function')
      return;
    const list = this.#listeners.get(type) ?? [];
    if (!list.some((entry) => entry.listener === listener))
      list.push({ listener, once: options === true ? false : Boolean(options?.once) });
    this.#listeners.set(type, list);
    this.listenersChanged();
  }

  removeEventListener(type, listener) {
    const list = this.#listeners.get(type);
    if (!list)
      return;
    this.#listeners.set(type, list.filter((entry) => entry.listener !== listener));
    this.listenersChanged();
  }

  hasListeners(...types) {
    return types.some((type) => (this.#listeners.get(type) ?? []).length > 0);
  }

  listenersChanged() {}

  // A listener that throws does not keep the others from their event; its error is reported as
  // an unhandled rejection.
  emit(type, fields = {}) {
    const event = { type, target: this, ...fields };
    for (const entry of [...(this.#listeners.get(type) ?? [])]) {
      if (entry.once)
        this.removeEventListener(type, entry.listener);
      try {
        if (typeof entry.listener === 'function')
          entry.listener.call(this, event);
        else
          entry.listener.handleEvent(event);
      } catch (error) {
        Promise.reject(error);
      }
    }
  }
}
