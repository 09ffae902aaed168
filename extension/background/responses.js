// Response strings the extension itself answers with. They have the form every page already
// parses ({{code|text:detail}}), in the plug-in's family of codes (300).
export const ORIGIN_NOT_ALLOWED = '{{300|Error in plugin:origin not allowed}}';
export const HOST_DISCONNECTED = '{{300|Error in plugin:host disconnected}}';
export const REQUEST_TOO_LARGE = '{{300|Error in plugin:request too large}}';
export const BAD_CALL = '{{300|Error in plugin:bad request}}';

// The methods of the plug-in's scriptable object, the only ones a page may call. These texts and
// names have copies in the content scripts and the host; tests/sharedNames.test.mjs holds them equal.
export const PAGE_METHODS = Object.freeze([
  'addHidlet', 'getDevices', 'getAttributeByKey', 'performOperation',
  'cancelCommand', 'cleanupRemote', 'cleanupAll',
]);

// The host refuses (and closes the stream on) frames above 1 MiB, which would end every page's
// commands; requests are held below that, with room for the browser's own JSON writer, which may
// escape a few characters more than JSON.stringify does.
export const MAX_REQUEST_BYTES = 1024 * 1024 - 4096;
