// Response strings "{{code|text[:detail]}}", the form of every answer of the remotes' methods
// that is not data, and the error that carries one.

export const PLUGIN_ERROR = 300;
export const CANCELLED = '{{600|Cancel command}}';
// How a command ends whose remote the page released.
export const REMOTE_RELEASED = '{{600|Cancel command:remote released}}';
export const ALL_RELEASED = '{{600|Cancel command:all remotes released}}';

// What a response string says. Any other text (the hexadecimal data of an answer) is a success.
export function parseResponse(response) {
  if (typeof response !== 'string' || !response.startsWith('{{'))
    return { code: 0, text: '', detail: '' };
  const bar = response.indexOf('|');
  const code = Number.parseInt(response.slice(2, bar < 0 ? undefined : bar), 10);
  let body = bar < 0 ? '' : response.slice(bar + 1);
  if (body.endsWith('}}'))
    body = body.slice(0, -2);
  const colon = body.indexOf(':');
  return {
    code: Number.isNaN(code) ? 0 : code,
    text: colon < 0 ? body : body.slice(0, colon),
    detail: colon < 0 ? '' : body.slice(colon + 1),
  };
}

export const codeOf = (response) => parseResponse(response).code;
export const inProgress = (response) => codeOf(response) < 0;

// A failure of a call: the response string, and its code, text and detail.
export class RemoteError extends Error {
  constructor(response) {
    super(response);
    const { code, text, detail } = parseResponse(response);
    this.name = 'RemoteError';
    this.response = response;
    this.code = code;
    this.text = text;
    this.detail = detail;
  }
}

// An error of the library's own (bad arguments, no transport): code 300, as the extension
// reports what is wrong before anything reaches the engine.
export function ownError(detail) {
  return new RemoteError(`{{${PLUGIN_ERROR}|Error in plugin:${detail}}}`);
}
