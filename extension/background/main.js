// The extension's background: a service worker in Chromium, a background script in Firefox.
// It owns the native host's port and the list of allowed origins; each frame's relay script
// connects to it with a port of its own.
import { NativeHost } from './NativeHost.js';
import { OriginAccess } from './OriginAccess.js';
import { PageBridge } from './PageBridge.js';

const api = globalThis.browser ?? globalThis.chrome;
const HOST_NAME = 'org.example.remote_bridge';
const PROMPT_PAGE = api.runtime.getURL('prompt/prompt.html');

const prompts = {
  async open(origin) {
    const url = `${PROMPT_PAGE}?origin=${encodeURIComponent(origin)}`;
    if (api.windows) {
      const window = await api.windows.create({ url, type: 'popup', width: 460, height: 240 });
      return window.id;
    }
    const tab = await api.tabs.create({ url });
    return tab.windowId;
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
const access = new OriginAccess(api.storage, prompts);
const bridge = new PageBridge(host, access);

api.storage.onChanged.addListener((changes, area) => {
  if (area === 'local' || area === 'managed')
    access.storageChanged();
});
api.windows?.onRemoved.addListener((windowId) => access.promptClosed(windowId));

function originOf(sender) {
  if (sender.origin)
    return sender.origin;
  try {
    return new URL(sender.url).origin;
  } catch (e) {
    return 'null';
  }
}

// Frames of web pages: one port each, for as long as the frame lives.
api.runtime.onConnect.addListener((port) => {
  if (port.name !== 'remote-bridge' || !port.sender?.tab)
    return;
  const frame = {
    origin: originOf(port.sender),
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

// The prompt page answers for the origin it asked about.
api.runtime.onMessage.addListener((message, sender, sendResponse) => {
  if (sender.id !== api.runtime.id || !sender.url?.startsWith(PROMPT_PAGE))
    return false;
  if (message?.type !== 'decide' || typeof message.origin !== 'string')
    return false;
  access.decide(message.origin, message.allow === true).then(() => sendResponse(true), () => sendResponse(false));
  return true;
});
