// Declarations of remote-bridge.js, the page library for universal remotes.

/** Bytes of a request or an end packet: bytes, or hexadecimal text of whole bytes (spaces allowed). */
export type Bytes = Uint8Array | ArrayBufferView | ArrayBuffer | readonly number[] | string;

/** What cancels a command: an AbortSignal, or any object that reads as one. */
export interface AbortSignalLike {
  readonly aborted: boolean;
  addEventListener(type: 'abort', listener: (event: unknown) => void): void;
  removeEventListener(type: 'abort', listener: (event: unknown) => void): void;
}

interface SendOptionsBase {
  /** The input report that ends the answer (part of it), padded with zeros to one input report. */
  endPacket?: Bytes;
  /** How long the remote may stay silent, in milliseconds (default 5000). */
  timeoutMs?: number;
  /** Aborting it cancels the command: the send rejects with code 600. */
  signal?: AbortSignalLike;
}

/**
 * How much answer to wait for: `packets` input reports (default 1; 0: the command only writes),
 * or, with `untilEndPacket` (the default when an `endPacket` is given), every report up to and
 * including the end packet. With both a count and an end packet, whichever comes first.
 */
export type SendOptions =
  | (SendOptionsBase & { packets?: number; untilEndPacket?: false })
  | (SendOptionsBase & { packets?: undefined; untilEndPacket: true });

/** A failure: the response string "{{code|text:detail}}" and its parts. */
export class RemoteError extends Error {
  constructor(response: string);
  readonly name: 'RemoteError';
  /** The whole response string. */
  readonly response: string;
  /** 102: time-out, 201: remote not found, 300: bad arguments or no transport, 400: remote gone, 600: cancelled, ... */
  readonly code: number;
  readonly text: string;
  readonly detail: string;
}

export interface RemoteEvent<T> {
  readonly type: 'connect' | 'disconnect';
  readonly target: T;
}

export interface BridgeEvent extends RemoteEvent<Bridge> {
  readonly remote: Remote;
}

type Listener<E> = ((event: E) => void) | { handleEvent(event: E): void };

/** One remote of the device list, with the attributes of the latest listing that held it. */
export class Remote {
  private constructor();
  /** The device path: the remote's identifier. */
  readonly id: string;
  readonly token: number;
  readonly vendorId: number;
  readonly productId: number;
  readonly inputReportLength: number;
  readonly outputReportLength: number;
  /** The device version number (bcdDevice); -1 where there is none. */
  readonly version: number;
  /** The listing's own text of each attribute. */
  readonly attributes: Readonly<Record<string, string>>;
  /** False once a listing no longer holds it. */
  readonly connected: boolean;

  /**
   * Sends `request`, padded with zeros to whole output reports; resolves with the answer's input
   * reports. Commands to one remote run one after the other.
   */
  send(request: Bytes, options?: SendOptions): Promise<Uint8Array[]>;
  /** Releases the remote in the engine; a command in flight rejects with 600. */
  release(): Promise<void>;

  addEventListener(type: 'connect' | 'disconnect', listener: Listener<RemoteEvent<Remote>>,
                   options?: { once?: boolean }): void;
  removeEventListener(type: 'connect' | 'disconnect', listener: Listener<RemoteEvent<Remote>>): void;
}

/** The remotes of a page over one transport. */
export class Bridge {
  private constructor();
  /**
   * "extension": window.remoteBridge of the browser extension; "webhid": the browser's own WebHID;
   * "plugin": a plug-in object.
   */
  readonly kind: TransportKind;
  /**
   * Whether calls can be made now: over the extension, once the user allowed the site; over
   * WebHID, while the page may use a remote that is present (chosen by the user, or allowed by an
   * administrator's policy).
   */
  ready(): Promise<boolean>;
  /**
   * Asks the user to allow the site: the extension's question, or the browser's WebHID chooser,
   * which opens only while the page handles a user gesture (without one: RemoteError 300 at once).
   * Resolves whether the site may use a remote now.
   */
  requestAccess(): Promise<boolean>;
  /** The plug-in's version text ("2.0"). */
  version(): Promise<string | null>;
  /** Registers a type of remote (USB vendor and product id, 0 to 65535). */
  addType(vendorId: number, productId: number): Promise<void>;
  /** The remotes of the registered types present now. */
  remotes(): Promise<Remote[]>;
  /** Releases every remote; commands in flight reject with 600. */
  releaseAll(): Promise<void>;
  /** Stops watching for remotes coming and going. */
  close(): void;

  addEventListener(type: 'connect' | 'disconnect', listener: Listener<BridgeEvent>,
                   options?: { once?: boolean }): void;
  removeEventListener(type: 'connect' | 'disconnect', listener: Listener<BridgeEvent>): void;
}

/** The plug-in's scriptable object, as the library calls it. */
export interface PluginObject {
  addHidlet(vendorId: number, productId: number): unknown;
  getDevices(): string;
  getAttributeByKey(key: string): string | null;
  performOperation(deviceId: string, request: string, packets: number, timeoutMs: number, endPacket: string): string;
  cancelCommand(deviceId: string): string;
  cleanupRemote(deviceId: string): string;
  cleanupAll(): string;
}

export type TransportKind = 'extension' | 'webhid' | 'plugin';

/** The least of the browser's navigator.hid that the WebHID bridge uses. */
export interface WebHidLike {
  getDevices(): Promise<readonly unknown[]>;
  requestDevice(options: { filters: readonly object[] }): Promise<readonly unknown[]>;
  addEventListener(type: 'connect' | 'disconnect', listener: (event: any) => void): void;
}

export interface BridgeOptions {
  /**
   * The way to the remotes. Left out: the extension's window.remoteBridge where the page has it,
   * else WebHID where the browser has it, else the plug-in object of `plugin`.
   */
  transport?: TransportKind;
  /** The plug-in object, used when the page has neither the extension nor WebHID. */
  plugin?: PluginObject | null;
  /** The WebHID object (default navigator.hid). */
  hid?: WebHidLike | null;
  /** Over the plug-in: milliseconds between the questions about a command (default 5). */
  pollMs?: number;
  /** Over the plug-in: milliseconds between listings while connect or disconnect are listened for (default 500). */
  watchMs?: number;
}

/**
 * The bridge over the transport the options name, or over the first there is of the extension,
 * WebHID and `options.plugin`; rejects with 300 when there is none.
 */
export function openBridge(options?: BridgeOptions): Promise<Bridge>;

/** A command's final answer, pushed to the page: the same text that the next call collects. */
export interface AnswerDetail {
  readonly deviceId: string;
  readonly result: string;
}

/** The device list after remotes came or went. */
export interface DeviceChangeDetail {
  readonly devices: string;
}

/**
 * The page object of the extension (window.remoteBridge): the plug-in object's seven methods,
 * each resolving with exactly the plug-in's answer, `ready`, `requestAccess()` and events.
 * Errors reject with an Error whose `message` and `response` are a response string.
 */
export interface RemoteBridgePageObject extends EventTarget {
  /** Resolves true once calls can be made (over WebHID: while the page may use a remote present). */
  readonly ready: Promise<boolean>;
  /** Asks for access (over WebHID: the browser's chooser, which needs a user gesture). */
  requestAccess(): Promise<boolean>;
  addHidlet(vendorId: number, productId: number): Promise<null>;
  getDevices(): Promise<string>;
  getAttributeByKey(key: string): Promise<string | null>;
  performOperation(deviceId: string, request: string, responsePackets: number, timeoutMs: number,
                   endPacket: string): Promise<string>;
  cancelCommand(deviceId: string): Promise<string>;
  cleanupRemote(deviceId: string): Promise<string>;
  cleanupAll(): Promise<string>;
  addEventListener(type: 'answer', listener: (event: CustomEvent<AnswerDetail>) => void,
                   options?: boolean | AddEventListenerOptions): void;
  addEventListener(type: 'devicechange', listener: (event: CustomEvent<DeviceChangeDetail>) => void,
                   options?: boolean | AddEventListenerOptions): void;
  addEventListener(type: string, listener: EventListenerOrEventListenerObject | null,
                   options?: boolean | AddEventListenerOptions): void;
}

/**
 * The extension's page object made over the browser's own WebHID (`options.hid`, default
 * navigator.hid), so that a page written for the extension runs in Chromium with nothing
 * installed: `window.remoteBridge ??= createWebHidBridge();`. Without WebHID, `ready` is false
 * and every call rejects with 300.
 */
export function createWebHidBridge(options?: { hid?: WebHidLike | null }): RemoteBridgePageObject;

declare global {
  interface Window {
    /** The extension's page object, where the extension is installed (or a page made one). */
    remoteBridge?: RemoteBridgePageObject;
  }
}
