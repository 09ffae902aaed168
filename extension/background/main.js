// The extension's background: a service worker in Chromium, a background script in Firefox.
// It owns the native host's port and the list of allowed origins; each frame's relay script
// connects to it with a port of its own, and the extension's own pages (prompt, options) send it
// messages.
import { NativeHost } from './NativeHost.js';
import { OriginAccess } from './OriginAccess.js';
import { PageBridge } from './PageBridge.js';
import { ALLOWED_ORIGINS_KEY, readManagedOrigins, senderOrigin, senderSite } from './origins.js';
import { userOrigins } from './userOrigins.js';

const api = globalThis.browser ?? globalThis.chrome;
const HOST_NAME = 'org.example.remote_bridge';
const PROMPT_PAGE = api.runtime.getURL('prompt/prompt.html');
const OPTIONS_PAGE = api.runtime.getURL('options/options.html');
const REFUSED_KEY = 'refusedOrigins';

const prompts = {
  async open(origin, site) {
    const url = `${PROMPT_PAGE}?${new URLSearchParams({ origin, site })}`;
    if (api.windows) {
      const window = await api.windows.create({ url, type: 'popup', width: 460, height: 260, focused: true });
      return window.id;
    }
    const tab = await api.tabs.create({ url });
    return tab.windowId;
  },
};

// The origins refused in this browser session: storage.session lasts as long as the browser runs
// (a service worker that was stopped and started again still has it) and is not given to
// content scripts.
const refusals = {
  async read() {
    const got = await api.storage.session?.get(REFUSED_KEY);
    return Array.isArray(got?.[REFUSED_KEY]) ? got[REFUSED_KEY] : [];
  },
  async write(origins) {
    await api.storage.session?.set({ [REFUSED_KEY]: origins });
  },
};

const host = new NativeHost(() => {
  const port = api.runtime.connectNative(HOST_NAME);
  // Why the host could not start or went away shows in the background's console.
  port.onDisconnect.addListener((gone) => {
    const reason = api.runtime.lastError?.message ?? gone?.error?.message;
    console.warn(`remote bridge: the native host ${HOST_NAME} is gone${reason ? `: ${reason}` : ''}`);
  });
  return port;
});
const access = new OriginAccess({ userOrigins, readManaged: () => readManagedOrigins(api.storage), refusals, prompts });
const bridge = new PageBridge(host, access);

// Earlier versions kept the user's list in storage.local, where content scripts can write: it is
// not read from there, and goes.
api.storage.local.remove(ALLOWED_ORIGINS_KEY).catch(() => {});

api.storage.onChanged.addListener((changes, area) => {
  if (area === 'managed')
    access.managedChanged();
});
api.windows?.onRemoved.addListener((windowId) => access.promptClosed(windowId));
// An open options page shows the list as it is now.
access.onChange(() => api.runtime.sendMessage({ type: 'origins-changed' }).catch(() => {}));

// Frames of web pages: one port each, for as long as the frame lives.
api.runtime.onConnect.addListener((port) => {
  if (port.name !== 'remote-bridge' || !port.sender?.tab)
    return;
  const frame = {
    origin: senderOrigin(port.sender),
    site: senderSite(port.sender),
    connected: true,
    post(message) {
      if (!this.connected)
        return;
      try {
        port.postMessage(message);
      } catch (e) {
        this.connected = false;
      }
    },
  };
  bridge.frameConnected(frame);
  port.onMessage.addListener((message) => bridge.frameMessage(frame, message));
  port.onDisconnect.addListener(() => {
    frame.connected = false;
    bridge.frameGone(frame);
  });
});

// What the extension's own pages ask: the prompt answers for the origin it asked about; the
// options page lists the origins and revokes the user's.
async function pageMessage(message, url) {
  if (url.startsWith(PROMPT_PAGE) && message.type === 'decide' && typeof message.origin === 'string') {
    await access.decide(message.origin, message.allow === true);
    return true;
  }
  if (url.startsWith(OPTIONS_PAGE) && message.type === 'origins') {
    const [user, managed] = await Promise.all([userOrigins.read(), readManagedOrigins(api.storage)]);
    return { user, managed: managed.origins, refused: managed.refused };
  }
  if (url.startsWith(OPTIONS_PAGE) && message.type === 'revoke' && typeof message.origin === 'string') {
    await access.revoke(message.origin);
    return true;
  }
  return null;
}

api.runtime.onMessage.addListener((message, sender, sendResponse) => {
  if (sender.id !== api.runtime.id || typeof sender.url !== 'string' || !message || typeof message !== 'object')
    return false;
  pageMessage(message, sender.url).then(sendResponse, () => sendResponse(null));
  return true;
});
