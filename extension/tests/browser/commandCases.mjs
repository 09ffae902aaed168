// Commands through the extension and the host: listing, a long answer, cancel, cleanup, two
// tabs at once, a tab closed and the host killed while a command runs.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { it } from 'node:test';

import { END, R, numbered, simDescription } from './remotes.mjs';

const NEW = '{{-2|New command created}}';
const BUSY = '{{-1|Command in progress}}';
const CANCELLED = '{{600|Cancel command}}';
const CANCEL_DONE = '{{0|Command executed successfully:in KVE::cancel}}';
const HOST_DISCONNECTED = '{{300|Error in plugin:host disconnected}}';

function numberedAnswer(count) {
  let out = '';
  for (let k = 0; k < count; k++)
    out += numbered(R, k);
  return out;
}

// The device list's records as {device_id: {key: value}}.
function records(list) {
  const out = {};
  for (const record of list.split('||').filter(Boolean)) {
    const fields = Object.fromEntries(record.split(';;').map((pair) => pair.split('=')));
    out[fields.device_id] = fields;
  }
  return out;
}

// The promise's value, or a failure once it took more than 20 s.
function within(promise, what) {
  let timer;
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`no ${what} within 20 s`)), 20000);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

async function start(page, ...args) {
  return page.evaluate((a) => window.remoteBridge.performOperation(...a), args);
}

async function nextAnswer(page, deviceId) {
  return page.evaluate((id) => window.nextAnswer(id), deviceId);
}

export function registerCommandCases(context) {
  const { remotes } = context;
  let page;

  it('lists the simulated remotes', async () => {
    page = context.appPage ?? await context.open(context.app.url('bridge.html'));
    assert.equal(await page.evaluate(() => window.remoteBridge.ready), true);
    assert.equal(await context.outcome(page, 'addHidlet', 0x1234, 0x5678), 'null');
    const list = await page.evaluate(() => window.remoteBridge.getDevices());
    const found = records(list);
    assert.deepEqual(Object.keys(found).sort(), Object.values(remotes).sort());
    for (const record of Object.values(found))
      assert.deepEqual([record.vendor_id, record.product_id], ['4660', '22136']);
    assert.equal(found[remotes.echo].input_report_length, '64');
    assert.equal(await context.outcome(page, 'getAttributeByKey', 'plugin_version'), '"2.0"');
  });

  it('sends the final answer of a command of several reports up to its end packet, unpolled', async () => {
    const expected = numberedAnswer(3) + END;
    assert.equal(await start(page, remotes.several, R, -1, 5000, END), NEW);
    assert.deepEqual(await nextAnswer(page, remotes.several), { deviceId: remotes.several, result: expected });
    // The host kept it for the page's next call, as the plug-in answers a poll after the end.
    assert.equal(await start(page, remotes.several, R, -1, 5000, END), expected);
    // A page that polls as it did with the plug-in gets the same.
    assert.equal(await page.evaluate((a) => window.pollCommand(...a), [remotes.several, R, -1, 5000, END]), expected);
  });

  it('cancels a command', async () => {
    assert.equal(await start(page, remotes.quiet, R, 1, 60000, ''), NEW);
    assert.equal(await context.outcome(page, 'cancelCommand', remotes.quiet), JSON.stringify(CANCEL_DONE));
    assert.equal((await nextAnswer(page, remotes.quiet)).result, CANCELLED);
    assert.equal(await start(page, remotes.quiet, R, 1, 60000, ''), CANCELLED);
  });

  it('releases one remote and all of them, which come back at the next listing', async () => {
    assert.equal(await context.outcome(page, 'cleanupRemote', remotes.echo),
      JSON.stringify('{{0|Command executed successfully:in KVE::cleanupRemote}}'));
    assert.equal(await context.outcome(page, 'cleanupAll'), JSON.stringify('{{0|Cleanup all successfully executed!}}'));
    const found = records(await page.evaluate(() => window.remoteBridge.getDevices()));
    assert.deepEqual(Object.keys(found).sort(), Object.values(remotes).sort());
    assert.equal(await page.evaluate((a) => window.pollCommand(...a), [remotes.echo, R, 1, 5000, '']), R);
  });

  it('tells every allowed frame, and only those, that the remotes changed', async () => {
    const other = await context.open(context.app.url('bridge.html'));
    await other.evaluate(() => window.remoteBridge.ready);
    const stranger = context.strangerPage; // a frame of an origin whose access was revoked
    const seenSoFar = (p) => p.evaluate(() => window.seenEvents.devicechange.length);
    // The first list of `count` remotes the frame is told of after its `from`-th such event.
    const listOf = (p, count, from) => p.evaluate((n, i) => window.nextEvent('devicechange',
      (d) => d.devices.split('||').filter(Boolean).length === n, i).then((d) => d.devices), count, from);
    const all = Object.keys(remotes).length;
    const strangerBefore = await seenSoFar(stranger);
    const [pageBefore, otherBefore] = [await seenSoFar(page), await seenSoFar(other)];

    fs.writeFileSync(context.simFile, simDescription([['added', 'reply=echo']]));
    let pageAfter;
    try {
      const added = String(0x14000000 | ((all + 1) << 20));
      for (const devices of [await listOf(page, all + 1, pageBefore), await listOf(other, all + 1, otherBefore)])
        assert.ok(records(devices)[added], devices);
      pageAfter = await seenSoFar(page);
    } finally {
      fs.writeFileSync(context.simFile, simDescription());
    }
    const back = await listOf(page, all, pageAfter);
    assert.deepEqual(Object.keys(records(back)).sort(), Object.values(remotes).sort());
    assert.equal(await seenSoFar(stranger), strangerBefore);
    await other.close();
  });

  it('runs commands of two tabs on two remotes at once, each answer to its own tab', async () => {
    const second = await context.open(context.app.url('bridge.html'));
    const [left, right] = await Promise.all([
      start(page, remotes.left, R, 20, 5000, ''),
      start(second, remotes.right, R, 20, 5000, ''),
    ]);
    assert.deepEqual([left, right], [NEW, NEW]);
    const answers = await Promise.all([nextAnswer(page, remotes.left), nextAnswer(second, remotes.right)]);
    assert.deepEqual(answers.map((a) => a.result), [numberedAnswer(20), numberedAnswer(20)]);
    assert.deepEqual((await second.evaluate(() => window.seenEvents.answer)).map((a) => a.deviceId), [remotes.right]);
    assert.equal((await page.evaluate(() => window.seenEvents.answer)).some((a) => a.deviceId === remotes.right), false);
    // Each tab collects its answer, which the host kept for it.
    assert.deepEqual(await Promise.all([start(page, remotes.left, R, 20, 5000, ''), start(second, remotes.right, R, 20, 5000, '')]),
      [numberedAnswer(20), numberedAnswer(20)]);
    await second.close();
  });

  it('keeps a command, its answer and its cancel to the frame that started it', async () => {
    const owner = await context.open(context.app.url('bridge.html'));
    const other = await context.open(context.app.url('bridge.html')); // the same site, another tab
    const poll = [remotes.left, R, 1, 5000, ''];
    // The other tab calls performOperation on that remote all the while: it only ever hears
    // that the remote is busy, and the owner gets its answer pushed and then kept for it.
    assert.equal(await start(owner, remotes.left, R, 20, 5000, ''), NEW);
    const hammered = other.evaluate((a) => window.hammer(...a), poll);
    assert.equal((await within(nextAnswer(owner, remotes.left), 'the owner\'s answer')).result, numberedAnswer(20));
    // The owner collects only once the other tab has been answered at least once (on a loaded
    // machine its first call may come after the answer was pushed, but never after it was taken).
    await other.waitForFunction(() => window.hammerCalls > 0);
    assert.equal(await start(owner, remotes.left, R, 20, 5000, ''), numberedAnswer(20));
    await other.evaluate(() => window.stopHammering());
    const seen = await hammered;
    assert.equal(seen[0], BUSY, seen.join(' '));
    assert.deepEqual(seen.slice(1).filter((answer) => answer !== NEW), [], 'what the other tab got');
    if (seen.includes(NEW)) { // it started a command of its own once the owner had collected
      await within(nextAnswer(other, remotes.left), 'the other tab\'s answer');
      await start(other, ...poll);
    }

    // Another tab's cancel is refused; its cleanup ends the command, and the owner hears so.
    assert.equal(await start(owner, remotes.quiet, R, 1, 60000, ''), NEW);
    assert.equal(await context.outcome(other, 'cancelCommand', remotes.quiet), JSON.stringify(BUSY));
    assert.equal(await start(other, remotes.quiet, R, 1, 60000, ''), BUSY);
    assert.equal(await context.outcome(other, 'cleanupRemote', remotes.quiet),
      JSON.stringify('{{0|Command executed successfully:in KVE::cleanupRemote}}'));
    assert.equal((await within(nextAnswer(owner, remotes.quiet), 'the owner\'s 600')).result, CANCELLED);
    assert.deepEqual(await other.evaluate((left) => window.seenEvents.answer.filter((a) => a.deviceId !== left), remotes.left), []);
    await owner.evaluate(() => window.remoteBridge.getDevices());
    await other.close();
    await owner.close();
  });

  it('serves a frame of an allowed origin inside a page that may not use the remotes, and only that frame', async () => {
    const outer = await context.open(context.home.url('bridge.html')); // the revoked origin
    const inner = await context.embed(outer, context.app);
    assert.ok(inner, 'the frame is there');
    assert.equal(await inner.evaluate(() => window.remoteBridge.ready), true);
    assert.equal(await start(inner, remotes.echo, R, 1, 5000, ''), NEW);
    assert.equal((await nextAnswer(inner, remotes.echo)).result, R);
    assert.equal(await start(inner, remotes.echo, R, 1, 5000, ''), R);
    assert.deepEqual(await outer.evaluate(() => window.seenEvents.answer), []);
    assert.match(await context.outcome(outer, 'getDevices'), /^rejected:\{\{300\|Error in plugin:origin not allowed\}\}/);
    await outer.close();
  });

  it('cancels the command of a tab closed in the middle, and no other tab collects its answer', async () => {
    const doomed = await context.open(context.app.url('bridge.html'));
    assert.equal(await start(doomed, remotes.quiet, R, 1, 60000, ''), NEW);
    await doomed.close();
    // Another tab's call on that remote may still find the command running ("in progress") if it
    // overtakes the news of the closed tab; then it is held until the cancelled command's answer
    // is dropped, and starts a command of its own. It never collects the closed tab's answer.
    let answer;
    do
      answer = await start(page, remotes.quiet, R, 1, 60000, '');
    while (answer === BUSY);
    assert.equal(answer, NEW);
    await context.outcome(page, 'cancelCommand', remotes.quiet);
    assert.equal((await nextAnswer(page, remotes.quiet)).result, CANCELLED);
    assert.equal(await start(page, remotes.quiet, R, 1, 60000, ''), CANCELLED);
  });

  it('ends a running command with a defined error when the host dies, and starts a new host', async () => {
    const [pid] = context.hostPids();
    assert.ok(pid, 'a host runs');
    assert.equal(await start(page, remotes.quiet, R, 1, 60000, ''), NEW);
    const answer = page.evaluate((id) => window.nextAnswer(id), remotes.quiet);
    process.kill(pid, 'SIGKILL');
    assert.deepEqual(await answer, { deviceId: remotes.quiet, result: HOST_DISCONNECTED });
    // The next call starts a new host, with a new engine: the remote type is registered again.
    assert.equal(await context.outcome(page, 'getAttributeByKey', 'plugin_version'), '"2.0"');
    const [next] = context.hostPids();
    assert.ok(next && next !== pid, 'a new host runs');
    await page.evaluate(() => window.remoteBridge.addHidlet(0x1234, 0x5678));
    await page.evaluate(() => window.remoteBridge.getDevices());
    assert.equal(await page.evaluate((a) => window.pollCommand(...a), [remotes.echo, R, 1, 5000, '']), R);
  });
}
