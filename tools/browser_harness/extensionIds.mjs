// The ids an unpacked extension gets: in Chromium from the public key in its manifest (the
// first 128 bits of its SHA-256, written with the letters a to p), in Firefox the one its
// manifest names.
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';

export function chromiumIdFromKey(key) {
  const digest = crypto.createHash('sha256').update(Buffer.from(key, 'base64')).digest('hex');
  return [...digest.slice(0, 32)].map((digit) => String.fromCharCode(97 + parseInt(digit, 16))).join('');
}

export function extensionIds(extensionDir) {
  const manifest = JSON.parse(fs.readFileSync(path.join(extensionDir, 'manifest.json'), 'utf8'));
  return {
    chromium: manifest.key ? chromiumIdFromKey(manifest.key) : null,
    firefox: manifest.browser_specific_settings?.gecko?.id ?? null,
  };
}
