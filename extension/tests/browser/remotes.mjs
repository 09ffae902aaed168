// The simulated remotes of the browser tests (HIDLET_SIM), in the order of their device ids.
// The first three are those of the plug-in's bad-input table.
const REPORT = 64;

export function repeat(text, length) {
  let out = '';
  while (out.length < length)
    out += text;
  return out.slice(0, length);
}

// R: one whole output report of hexadecimal text; END: one whole input report.
export const R = repeat('0123456789ABCDEF', REPORT * 2);
export const END = repeat('EE', REPORT * 2);

// Report k (from 0) of a remote with reply=N: the output report with its last byte set to k.
export function numbered(report, k) {
  return report.slice(0, -2) + k.toString(16).toUpperCase().padStart(2, '0');
}

const spec = [
  ['echo', 'reply=echo'],
  ['broken', 'open=fail'],
  ['quiet', 'reply=silent'],
  ['several', `reply=3, end=${END}, rate=5`],
  ['left', 'reply=20, rate=10'],
  ['right', 'reply=20, rate=10'],
];

// Device ids: the location ids the simulator gives by position (0x14000000 | N << 20), in decimal.
export const REMOTES = Object.fromEntries(spec.map(([id], index) =>
  [id, String((0x14000000 | ((index + 1) << 20)) >>> 0)]));

export function simDescription(extra = []) {
  return [...spec, ...extra].map(([id, fields]) => `id=${id}, ${fields}`).join('\n') + '\n';
}
