// What the declarations must refuse: each line below is an error for tsc, or the check fails
// ("Unused '@ts-expect-error' directive").
import { createWebHidBridge, openBridge, RemoteError, type Remote } from '../../remote-bridge.js';

declare const remote: Remote;
const bridge = await openBridge({ pollMs: 5 });

// @ts-expect-error a request is bytes or text
remote.send(42);
// @ts-expect-error a count and untilEndPacket exclude each other
remote.send('01', { packets: 2, untilEndPacket: true });
// @ts-expect-error the answer is reports of bytes
const text: string = await remote.send('01');
// @ts-expect-error ids are numbers
bridge.addType('0x1234', 1);
// @ts-expect-error the remote's attributes are read-only
remote.vendorId = 1;
// @ts-expect-error only connect and disconnect are events
remote.addEventListener('answer', () => {});
// @ts-expect-error the code of a failure is a number
const code: string = new RemoteError('{{600|Cancel command}}').code;
// @ts-expect-error no such option
openBridge({ pollInterval: 5 });
// @ts-expect-error no such transport
openBridge({ transport: 'usb' });

// A page written for the extension's page object, over WebHID.
window.remoteBridge ??= createWebHidBridge();
// @ts-expect-error its methods resolve with the plug-in's texts
const count: number = await window.remoteBridge.getDevices();
window.remoteBridge.addEventListener('answer', (event) => event.detail.result.startsWith('{{'));

export { text, code, count };
