import { ExtensionTransport } from './ExtensionTransport.js';

// The browser's own WebHID, through the page object createWebHidBridge() makes over it: it
// answers as the extension's window.remoteBridge does, pushing each command's final answer and
// each change of the remotes present, so the library drives it the same way.
export class WebHidTransport extends ExtensionTransport {
  constructor(bridge) {
    super(bridge);
    this.kind = 'webhid';
  }
}
