// Who may use the remotes: an origin nobody allowed, one the administrator allowed, the prompt
// and the options page. Leaves the app server's origin allowed for the cases after it.
import assert from 'node:assert/strict';
import { it } from 'node:test';

const NOT_ALLOWED = '{{300|Error in plugin:origin not allowed}}';
const CALLS = [
  ['addHidlet', 0x1234, 0x5678], ['getDevices'], ['getAttributeByKey', 'plugin_version'],
  ['performOperation', '1', '00', 1, 1000, ''], ['cancelCommand', '1'], ['cleanupRemote', '1'], ['cleanupAll'],
];
// Entries of the administrator's policy that can allow nothing: the options page names them.
export const REFUSED_POLICY_ENTRIES = ['not an origin', 'https://*.example.com', 'http://example.com'];


// Starts requestAccess() in the frame (a page or a frame of one; the driver's call counts as the
// user's gesture) and hands back the prompt it opened. The answer is kept in the frame
// (window.accessAnswer): a driver call that waited on it could fail when the prompt's window
// closes.
async function openPrompt(context, frame) {
  for (let attempt = 1; ; ++attempt) {
    await ask(frame);
    try {
      return await context.session.waitForPrompt(attempt < 3 ? 7000 : 20000);
    } catch (error) {
      // A gesture of the driver's can fail to reach a window Firefox is still bringing forward:
      // the frame is then refused at once (no prompt), and asks again.
      if (attempt === 3 || (await answerSoon(frame)) !== false)
        throw error;
    }
  }
}

// requestAccess() in the frame, its answer kept as window.accessAnswer, with the user's gesture
// a driver's call gives: its window comes to the front first, where a user's click would be.
async function ask(frame) {
  await (frame.page?.() ?? frame).bringToFront();
  await frame.evaluate(() => { window.accessAnswer = window.remoteBridge.requestAccess(); });
}

// The answer of requestAccess() in the frame, or 'pending' when it has none within three seconds.
function answerSoon(frame, name = 'accessAnswer') {
  return frame.evaluate((n) => Promise.race([window[n],
    new Promise((resolve) => setTimeout(() => resolve('pending'), 3000))]), name);
}

async function assertNoPrompt(context) {
  await assert.rejects(context.session.waitForPrompt(1000), /no such page/, 'no prompt is open');
}

// The options page, opened from the prompt's link. Should it not show, the link is followed
// again: that opens the page once all the same.
async function openOptionsFrom(context, prompt) {
  for (let attempt = 1; ; ++attempt) {
    await context.session.press(prompt, '#manage');
    try {
      return await context.session.waitForPage((href) => href.includes('/options/options.html'), 7000);
    } catch (error) {
      if (attempt === 3)
        throw error;
    }
  }
}

async function waitUntil(test, what, timeout = 10000) {
  const deadline = Date.now() + timeout;
  while (!(await test())) {
    if (Date.now() > deadline)
      throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

// Chromium only: a script in the extension's content-script world of the page (as a compromised
// renderer could run one) writes the extension's storage.local.
async function writeFromContentScript(page, value) {
  const client = await page.createCDPSession();
  const worlds = [];
  client.on('Runtime.executionContextCreated', ({ context }) => worlds.push(context));
  await client.send('Runtime.enable');
  const world = worlds.find((w) => w.auxData?.type === 'isolated' && w.origin.startsWith('chrome-extension://'));
  assert.ok(world, 'the content scripts\' world');
  const { result } = await client.send('Runtime.evaluate', {
    contextId: world.id, awaitPromise: true, returnByValue: true,
    expression: `chrome.storage.local.set(${JSON.stringify(value)}).then(() => 'written', (e) => 'refused')`,
  });
  await client.detach();
  return result.value;
}

export function registerAccessCases(context) {
  let home; // a page of the home origin, which the user allows and then revokes

  it('gives a page the bridge before its scripts run, and refuses an origin nobody allowed', async () => {
    home = await context.open(context.home.url('bridge.html'));
    assert.equal(await home.evaluate(() => window.bridgeAtFirstScript), 'object');
    assert.equal(await home.evaluate(() => window.remoteBridge.ready), false);
    for (const [method, ...args] of CALLS)
      assert.equal(await context.outcome(home, method, ...args), `rejected:${NOT_ALLOWED}|true`, method);
    assert.deepEqual(context.hostPids(), [], 'no host started for a page that may not use it');
  });

  it('lets an origin of the administrator\'s policy in without asking', async (t) => {
    if (!context.managedByPolicy) {
      t.skip('no policy can be set for Chromium here: /etc/chromium/policies is not writable');
      return;
    }
    const page = await context.open(`${context.managedOrigin}/bridge.html`);
    assert.equal(await page.evaluate(() => window.remoteBridge.ready), true);
    assert.equal(await context.outcome(page, 'getAttributeByKey', 'plugin_version'), '"2.0"');
    assert.equal(await page.evaluate(() => window.remoteBridge.requestAccess()), true);
    await page.close();
  });

  it('opens no prompt for a page that asks without a user\'s gesture', async () => {
    const page = await context.open(context.home.url('bridge.html?ask'));
    assert.equal(await answerSoon(page, 'answerOnLoad'), false);
    await assertNoPrompt(context);
    await page.close();
  });

  it('asks the user on requestAccess(): Deny keeps the origin out, and it is not asked again', async () => {
    const page = await context.open(context.other.url('bridge.html'));
    const prompt = await openPrompt(context, page);
    assert.equal(await prompt.$eval('#question', (e) => e.textContent.trim()),
      `Allow ${context.other.origin} to use your remotes?`);
    await context.session.press(prompt, '#deny');
    assert.equal(await page.evaluate(() => window.accessAnswer), false);
    assert.equal(await context.outcome(page, 'getDevices'), `rejected:${NOT_ALLOWED}|true`);
    await ask(page);
    assert.equal(await answerSoon(page), false);
    await assertNoPrompt(context);
    context.refusedPage = page;
  });

  it('shows one prompt at a time, whose buttons wait until it was seen, and Allow lets the origin in', async () => {
    const other = await context.open(context.home.url('bridge.html'));
    const app = await context.open(context.app.url('bridge.html'));
    const first = await context.open(context.home.url('bridge.html'));
    const prompt = await openPrompt(context, first);
    // A second frame of the origin shares the prompt and its answer; another origin asking
    // meanwhile is refused.
    await ask(other);
    await ask(app);
    assert.equal(await answerSoon(app), false);
    // The window losing focus takes the buttons' readiness; they wait half a second anew once it
    // is back in front.
    await prompt.bringToFront();
    const [offWhenBlurred, offWhenBack, waited] = await prompt.evaluate(async () => {
      const allow = document.getElementById('allow');
      window.dispatchEvent(new Event('blur'));
      const blurred = allow.disabled;
      window.dispatchEvent(new Event('focus'));
      const back = performance.now();
      const offAtOnce = allow.disabled;
      while (allow.disabled && performance.now() - back < 5000)
        await new Promise((resolve) => setTimeout(resolve, 10));
      return [blurred, offAtOnce, performance.now() - back];
    });
    assert.deepEqual([offWhenBlurred, offWhenBack], [true, true]);
    assert.ok(waited >= 450 && waited < 5000, `ready after ${waited} ms`);
    await context.session.press(prompt, '#allow');
    assert.equal(await first.evaluate(() => window.accessAnswer), true);
    assert.equal(await other.evaluate(() => window.accessAnswer), true);
    assert.equal(await context.outcome(home, 'getAttributeByKey', 'plugin_version'), '"2.0"');
    assert.equal(await other.evaluate(() => window.remoteBridge.ready), true);
    await other.close();
    await app.close();
    await first.close();
  });

  it('lists the allowed origins and the refused policy entries on the options page, and revokes there', async () => {
    const app = await context.open(context.app.url('bridge.html'));
    const prompt = await openPrompt(context, app);
    const options = await openOptionsFrom(context, prompt);
    await options.waitForSelector(`li[data-origin="${context.home.origin}"] button.revoke`);
    const listed = await options.$$eval('#origins li', (items) => items.map((li) => [li.dataset.origin, !!li.querySelector('.revoke')]));
    const expected = [[context.home.origin, true]];
    if (context.managedByPolicy) {
      expected.unshift([context.managedOrigin, false]);
      assert.deepEqual(await options.$$eval('#refused li', (items) => items.map((li) => li.dataset.entry)),
        REFUSED_POLICY_ENTRIES);
    }
    assert.deepEqual(listed, expected);

    const seenByRefused = await context.refusedPage.evaluate(() => window.relayMessages.length);
    await context.session.press(options, `li[data-origin="${context.home.origin}"] button.revoke`);
    await waitUntil(async () => (await context.outcome(home, 'getDevices')) === `rejected:${NOT_ALLOWED}|true`,
      'the revoked origin to be refused');
    await options.close();

    // The app server's origin is allowed for the cases that follow.
    await context.session.press(prompt, '#allow');
    assert.equal(await app.evaluate(() => window.accessAnswer), true);
    context.appPage = app;
    // A frame of a third origin learns nothing of either change.
    assert.deepEqual(await context.refusedPage.evaluate((n) => window.relayMessages.slice(n), seenByRefused), []);

    if (context.kind === 'chromium') {
      await writeFromContentScript(home, { allowedOrigins: [context.home.origin] });
      await new Promise((resolve) => setTimeout(resolve, 500));
      assert.equal(await context.outcome(home, 'getDevices'), `rejected:${NOT_ALLOWED}|true`,
        'a content script cannot allow its origin');
    }
  });

  it('names the asking frame and the site it is in, and gives closing the prompt the answer false for the session', async () => {
    const frame = await context.embed(context.refusedPage, context.home);
    const prompt = await openPrompt(context, frame);
    const text = await prompt.$eval('body', (e) => e.innerText.replace(/\s+/g, ' '));
    assert.ok(text.includes(`Allow ${context.home.origin} to use your remotes?`), text);
    assert.ok(text.includes(context.other.origin), text);
    await prompt.close();
    assert.equal(await frame.evaluate(() => window.accessAnswer), false);
    await ask(frame);
    assert.equal(await answerSoon(frame), false);
    await assertNoPrompt(context);
    context.strangerPage = home;
  });
}
