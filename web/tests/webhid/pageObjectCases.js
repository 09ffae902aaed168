// The page object's cases: calls of the plug-in object's methods and their answers, the same on
// every page object: the plug-in's embed() in the page runner (which answers at once), and
// createWebHidBridge() over WebHID (which answers with promises). Each case gives a transcript,
// "call => answer" per line, with device ids and tokens written as the remotes' names, so that
// the transcripts of two page objects on the same remotes can be compared line by line.
//
// The remotes: transcript-remotes.sim (E, B, Q, S, F) and numbered-remote.sim (N).

export const REPORT = '0123456789ABCDEF'.repeat(8);
export const END = 'EE'.repeat(64);
const TRANSCRIPT_PRODUCTS = [0x5678, 0x0012, 0x0014];

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const inProgress = (answer) => typeof answer === 'string' && /^\{\{-[12]\|/.test(answer);

// An answer as the shared table of bad page input writes it.
function shown(value) {
  if (value === null || value === undefined)
    return 'null';
  return `${typeof value}:${value}`;
}

// The device list with each device id as its remote's name, every token as T, and the records in
// the order of the names (the order of listing is the platform's order of finding the devices).
function maskedList(list, names) {
  if (typeof list !== 'string')
    return shown(list);
  const byId = new Map(Object.entries(names).map(([name, id]) => [id, name]));
  return list.split('||').filter(Boolean)
    .map((record) => record.replace(/^device_id=([^;]*)/, (_, id) => `device_id=${byId.get(id) ?? '?'}`)
      .replace(/;;token=\d+;;/, ';;token=T;;'))
    .sort().map((record) => `${record}||`).join('');
}

// Calls p.method(...args) and resolves with its answer as text ("rejected:<response>" for an error).
async function answerOf(p, method, args) {
  try {
    return shown(await p[method](...args));
  } catch (error) {
    return `rejected:${error?.response ?? error}`;
  }
}

// The same call again (every 5 ms) until the answer is final.
async function finalAnswer(p, args, answer) {
  const deadline = Date.now() + 60000;
  while (inProgress(answer) && Date.now() < deadline) {
    await sleep(5);
    answer = await p.performOperation(...args);
  }
  return answer;
}

// A command as a page that polls sees it: its first answer and its final one. The in-progress
// answers in between are left out: how many there are is a matter of timing.
async function polled(p, args) {
  const first = await p.performOperation(...args);
  const answer = await finalAnswer(p, args, first);
  return inProgress(first) ? `${shown(first)} ... ${shown(answer)}` : shown(answer);
}

// Only the final answer of a command (for one that runs already: how soon a cancel ends it is a
// matter of the bridge; the engine's worker sees it after its read of up to a second, WebHID at
// once).
export async function settled(p, args) {
  return shown(await finalAnswer(p, args, await p.performOperation(...args)));
}

// The transcript of commands on the remotes of transcript-remotes.sim; `names` maps each name to
// its device id.
export async function commandTranscript(p, names) {
  const { E, B, Q, S, F } = names;
  const lines = [];
  const note = (call, answer) => lines.push(`${call} => ${answer}`);
  const call = async (label, method, ...args) => note(label, await answerOf(p, method, args));
  const command = async (label, ...args) => note(label, await polled(p, args));
  const final = async (label, ...args) => note(label, await settled(p, args));
  const list = async (label) => note(label, maskedList(await p.getDevices(), names));

  for (const product of TRANSCRIPT_PRODUCTS)
    await call(`addHidlet(0x1234, ${product})`, 'addHidlet', 0x1234, product);
  await list('getDevices()');

  await command('S: answer up to the end packet', S, REPORT, -1, 5000, END);
  await command('S: the next call starts a new command', S, REPORT, -1, 5000, END);
  await command('S: two reports of the answer', S, REPORT, 2, 5000, '');
  await sleep(100);
  await command('S: the rest of the last answer is dropped before the next command sends', S, REPORT, 1, 5000, '');
  await sleep(100);
  await command('S: a command that sends nothing collects the reports still queued', S, '', 3, 5000, '');
  await command('S: a command that only writes', S, REPORT, 0, 5000, '');
  await sleep(100);
  await command('S: ... and its answer, collected by one that only reads', S, '', -1, 5000, END);

  await call('Q: cancel without a command', 'cancelCommand', Q);
  note('Q: a command', shown(await p.performOperation(Q, REPORT, 1, 60000, '')));
  await call('Q: cancelled before any report', 'cancelCommand', Q);
  await final('Q: its final answer', Q, REPORT, 1, 60000, '');
  note('Q: another command', shown(await p.performOperation(Q, REPORT, 1, 60000, '')));
  await sleep(300);
  await call('Q: cancelled while it waits', 'cancelCommand', Q);
  await final('Q: its final answer', Q, REPORT, 1, 60000, '');
  await command('Q: a time-out of 999 ms allows no empty read', Q, REPORT, 1, 999, '');
  await command('Q: a time-out of 1000 ms allows one', Q, REPORT, 1, 1000, '');

  await command('F: the remote goes in the middle of its answer', F, REPORT, 4, 5000, '');
  await list('getDevices() without F');
  await command('F: a remote that went is not found', F, REPORT, 1, 5000, '');

  await command('B: a remote that cannot be opened', B, REPORT, 1, 5000, '');
  await command('B: ... also for a command that only reads', B, '', 1, 5000, '');

  note('Q: a command', shown(await p.performOperation(Q, REPORT, 1, 60000, '')));
  await call('Q: released while its command waits', 'cleanupRemote', Q);
  await command('Q: released and back, a command of its own', Q, REPORT, 1, 999, '');
  await call('E: released', 'cleanupRemote', E);
  await list('getDevices() after it: E is back');
  await call('an id that is no remote', 'cleanupRemote', 'nope');
  await command('E: answers', E, REPORT, 1, 5000, '');
  await call('cleanupAll()', 'cleanupAll');
  await command('E: not found until the next listing', E, REPORT, 1, 5000, '');
  await list('getDevices()');
  await command('E: answers again', E, REPORT, 1, 5000, '');
  return lines;
}

// The transcript of commands on the remote of numbered-remote.sim, named N.
export async function numberedTranscript(p, { N }) {
  const lines = [];
  const command = async (label, ...args) => lines.push(`${label} => ${await polled(p, args)}`);
  await p.addHidlet(0x1234, 0x0005);
  lines.push(`getDevices() => ${maskedList(await p.getDevices(), { N })}`);
  await command('N: two reports, the id first in each', N, '01A1A2A3A4A5A6A7', 2, 5000, '');
  await command('N: up to an end packet with the id', N, '01A1A2A3A4A5A6A7', -1, 5000, '01A1A2A3A4A5A601');
  return lines;
}

// The device ids of a page object's listing by the remotes' names, which WebHID shows in the
// devices' product names ("uhid-remote NAME"): the bridge lists the devices in the order the
// browser gives them.
export async function namesOf(p, hid) {
  const records = (await p.getDevices()).split('||').filter(Boolean)
    .map((record) => Object.fromEntries(record.split(';;').map((pair) => pair.split('='))));
  const types = new Set(records.map((record) => `${record.vendor_id}:${record.product_id}`));
  const devices = (await hid.getDevices()).filter((device) => types.has(`${device.vendorId}:${device.productId}`));
  return Object.fromEntries(devices.map((device, i) => [device.productName.replace(/^uhid-remote /, ''), records[i]?.device_id]));
}

// The rows of the shared table of bad page input (plugin/tests/page_bad_input_rows.json), after
// its setup, on remotes whose ids `names` gives (E, B, Q). Rows for which skip(row) is true are
// left out. Each line is "call => answer" and, for a row that starts a command, " ... final".
export async function badInputTranscript(p, table, names, skip = () => false) {
  const values = { ...table.names, ...names };
  const keys = Object.keys(values);
  const big = new Function(`${table.helpers}\nreturn big;`)();
  const lines = [];
  for (const row of [...table.setup, ...Object.values(table.tables).flat()]) {
    if (skip(row))
      continue;
    const answer = await rowAnswer(p, row.call, keys, keys.map((key) => values[key]), big);
    let line = `${row.call} => ${answer}`;
    if (row.final !== undefined) {
      let final = answer;
      const deadline = Date.now() + 60000;
      while (/^string:\{\{-[12]\|/.test(final) && Date.now() < deadline) {
        await sleep(5);
        final = await rowAnswer(p, row.call, keys, keys.map((key) => values[key]), big);
      }
      line += ` ... ${final}`;
    }
    lines.push(line);
  }
  return lines;
}

// What the table says each row answers.
export function badInputExpected(table, skip = () => false) {
  return [...table.setup, ...Object.values(table.tables).flat()].filter((row) => !skip(row))
    .map((row) => `${row.call} => ${row.answer}${row.final === undefined ? '' : ` ... ${row.final}`}`);
}

const CAPTURED = Symbol('captured');

// A row is page script that calls one method of p first ("p.method(...)rest"). It runs twice: once
// to learn the call, which is then made and awaited, and once more with p answering that value,
// for the rest of the row.
async function rowAnswer(p, call, keys, values, big) {
  const row = new Function('p', 'big', ...keys, `return ${call};`);
  let made = null;
  const capture = new Proxy({}, { get: (_, method) => (...args) => { made = { method, args }; throw CAPTURED; } });
  try {
    row(capture, big, ...values);
  } catch (error) {
    if (error !== CAPTURED)
      throw error;
  }
  let value;
  try {
    value = await p[made.method](...made.args);
  } catch (error) {
    return `rejected:${error?.response ?? error}`;
  }
  return shown(row(new Proxy({}, { get: () => () => value }), big, ...values));
}
