// The simulated remotes of the browser tests (HIDLET_SIM), in the order of their device ids:
// first those of the plug-in's bad-input table (echo, broken, quiet), then this suite's own.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const REPORT = 64;
const here = path.dirname(fileURLToPath(import.meta.url));
export const BAD_INPUT = JSON.parse(fs.readFileSync(
  path.join(here, '..', '..', '..', 'plugin', 'tests', 'page_bad_input_rows.json'), 'utf8'));

export function repeat(text, length) {
  let out = '';
  while (out.length < length)
    out += text;
  return out.slice(0, length);
}

// R: one whole output report of hexadecimal text (the table's R); END: one whole input report.
export const R = BAD_INPUT.names.R;
export const END = repeat('EE', REPORT * 2);

// Report k (from 0) of a remote with reply=N: the output report with its last byte set to k.
export function numbered(report, k) {
  return report.slice(0, -2) + k.toString(16).toUpperCase().padStart(2, '0');
}

const own = [
  ['several', `reply=3, end=${END}, rate=5`],
  ['left', 'reply=20, rate=10'],
  ['right', 'reply=20, rate=10'],
];
const tableIds = BAD_INPUT.remotes.split('\n').filter(Boolean).map((line) => line.match(/^id=(\w+)/)[1]);

// Device ids: the location ids the simulator gives by position (0x14000000 | N << 20), in decimal.
export const REMOTES = Object.fromEntries([...tableIds, ...own.map(([id]) => id)].map((id, index) =>
  [id, String((0x14000000 | ((index + 1) << 20)) >>> 0)]));

export function simDescription(extra = []) {
  return BAD_INPUT.remotes + [...own, ...extra].map(([id, fields]) => `id=${id}, ${fields}`).join('\n') + '\n';
}
