// One command of a remote, from the page's request to its answer: the request cut into output
// reports, the rule that ends the answer (a number of input reports, or the end packet), the
// reports received, the cancel flag and the result code. It answers exactly as the engine's
// command does for the same arguments.
import { bytesToHex, hexToBytes } from '../lib/hex.js';
import {
  EOF_PACKET_ERROR, GENERAL_ERROR, IN_PROGRESS, NEW, NO_TERMINATE_SIGNAL, SUCCESS, responseString,
} from './responseTexts.js';

const CREATED_TEXT = responseString(NEW);
const RUNNING_TEXT = responseString(IN_PROGRESS);

// The position of the first character that is not a hexadecimal digit, or -1.
function firstNonHexDigit(text) {
  return text.search(/[^0-9A-Fa-f]/);
}

export class HidCommand {
  // request, endPacket: texts (null when the page gave none); count: input reports of the answer
  // (-1: up to the end packet; 0: none); the report lengths of the remote, in bytes.
  constructor(request, count, inputLength, outputLength, endPacket, timeoutMs) {
    this.count = count;
    this.inputLength = inputLength;
    this.timeoutMs = timeoutMs;
    this.result = NEW;
    this.errorText = '';
    this.canceled = false;
    this.endPacket = null;
    this.packets = [];
    this.received = [];
    // Settles once the command has its final result (or was dropped: see `dropped`).
    this.finished = new Promise((resolve) => { this.finish = resolve; });
    // The final answer of a command whose remote was released while it ran.
    this.dropped = null;
    if (request === null)
      return this.fail(GENERAL_ERROR, 'Request is missing');
    if (endPacket === null)
      return this.fail(GENERAL_ERROR, 'End packet is missing');

    if (endPacket.length > 0) {
      // An odd number of digits leaves the last byte without its second digit.
      const bytes = endPacket.length % 2 === 0 ? hexToBytes(endPacket) : null;
      if (bytes === null || bytes.length !== inputLength)
        this.fail(EOF_PACKET_ERROR, endPacket);
      else
        this.endPacket = bytes;
    } else if (count === -1) {
      this.fail(NO_TERMINATE_SIGNAL, '');
    }

    // A request that is not all hexadecimal digits is refused rather than sent with bytes that
    // were never given.
    const bad = firstNonHexDigit(request);
    if (bad >= 0) {
      if (this.result === NEW)
        this.fail(GENERAL_ERROR, `Request is not hexadecimal text (character ${bad + 1})`);
      return;
    }
    // Only whole output reports are sent; digits after the last one are left out.
    const digits = 2 * outputLength;
    for (let at = 0; outputLength > 0 && at + digits <= request.length; at += digits)
      this.packets.push(hexToBytes(request, at, digits));
  }

  fail(code, detail) {
    this.result = code;
    this.errorText = detail;
  }

  cancel() {
    this.canceled = true;
    this.onCancel?.();
  }

  // Takes one input report of the answer; whether more are expected.
  addReceived(report) {
    this.received.push(report);
    if (this.count !== -1 && this.received.length >= this.count)
      return false;
    if (this.endPacket === null)
      return true;
    return this.endPacket.some((byte, i) => byte !== report[i]);
  }

  // The answer for the page: the response string of the result, or, for success, every report
  // received as upper-case hexadecimal text.
  response() {
    if (this.result === NEW)
      return CREATED_TEXT;
    if (this.result === IN_PROGRESS)
      return RUNNING_TEXT;
    if (this.result !== SUCCESS)
      return responseString(this.result, this.errorText);
    return this.received.map(bytesToHex).join('');
  }
}
