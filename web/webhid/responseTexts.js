// The engine's result codes and their texts, and the fixed answers of the plug-in's methods:
// the WebHID bridge answers a page with exactly these bytes.

export const SUCCESS = 0;
export const NEW = -2;
export const IN_PROGRESS = -1;
export const READ_TIMEOUT = 102;
export const WRITE_ERROR_IOPIPE = 106;
export const GENERAL_ERROR = 200;
export const REMOTE_NOT_FOUND = 201;
export const CHANNEL_NOT_FOUND = 202;
export const EOF_PACKET_ERROR = 209;
export const NO_TERMINATE_SIGNAL = 210;
export const CANNOT_CLEANUP_REMOTE = 211;
export const FATAL_ERROR = 400;
export const CANCEL = 600;

const TEXTS = new Map([
  [0, 'Command executed successfully'],
  [-100, 'No code set'],
  [-2, 'New command created'],
  [-1, 'Command in progress'],
  [400, 'Fatal error occurred, system should be refreshed'],
  [500, 'Unkown error'],
  [600, 'Cancel command'],
  [100, 'Error in USB device library'],
  [101, 'USB Unexpected read error'],
  [102, 'USB read error (read timeout)'],
  [103, 'USB read error (IoPipe not found)'],
  [104, 'USB write error (IoPipe not found)'],
  [105, 'USB Unexpected write error'],
  [106, 'USB write error in IoPipe'],
  [200, 'Error in KVE'],
  [201, 'Lumora remote not found'],
  [202, 'USB Communication channel not found'],
  [203, 'Command can not be processed because it does not exist'],
  [204, 'Command can not be procssed because of invalid state'],
  [205, 'Write error'],
  [206, 'Read error'],
  [207, 'USB Communication channel not open for read'],
  [208, 'USB Communication channel not open for write'],
  [209, 'End packet parsing error'],
  [210, 'KVE terminate signal missing'],
  [211, 'KVE cannot cleanup the remote'],
  [300, 'Error in plugin'],
]);

// "{{code|text}}", or "{{code|text:detail}}" when there is a detail.
export function responseString(code, detail = '') {
  return `{{${code}|${TEXTS.get(code) ?? ''}${detail ? `:${detail}` : ''}}}`;
}

export const PLUGIN_VERSION = '2.0';
export const CLEANUP_ALL_TEXT = '{{0|Cleanup all successfully executed!}}';
// What the plug-in answers when a remote's method gets no text as its device id.
export const EXCEPTION_TEXT = '{{999|Unexpected exception in cancel command}}';
