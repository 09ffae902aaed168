// Hexadecimal text and bytes, both ways, without a string or number made per byte: every report
// of every command goes through here.

const DIGITS = '0123456789ABCDEF';
const BYTE_TEXT = Array.from({ length: 256 }, (_, byte) => DIGITS[byte >> 4] + DIGITS[byte & 15]);

// Upper-case hexadecimal text of the bytes (a Uint8Array or an array of byte values).
export function bytesToHex(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; ++i)
    text += BYTE_TEXT[bytes[i]];
  return text;
}

// The value of one hexadecimal digit (a character code), or -1.
function digitValue(code) {
  if (code >= 0x30 && code <= 0x39)
    return code - 0x30;
  const lower = code | 0x20;
  return lower >= 0x61 && lower <= 0x66 ? lower - 0x61 + 10 : -1;
}

// The bytes of the `digits` hexadecimal digits of `text` from `start` (default: all of it); null
// when one of them is not a digit.
export function hexToBytes(text, start = 0, digits = text.length - start) {
  const bytes = new Uint8Array(digits >> 1);
  for (let i = 0, at = start; i < bytes.length; ++i, at += 2) {
    const high = digitValue(text.charCodeAt(at));
    const low = digitValue(text.charCodeAt(at + 1));
    if (high < 0 || low < 0)
      return null;
    bytes[i] = (high << 4) | low;
  }
  return bytes;
}
