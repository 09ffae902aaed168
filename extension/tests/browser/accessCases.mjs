// Who may use the remotes: an origin nobody allowed, one the administrator allowed, the prompt
// and the options page. Leaves the app server's origin allowed for the cases after it.
import assert from 'node:assert/strict';
import { it } from 'node:test';

const NOT_ALLOWED = '{{300|Error in plugin:origin not allowed}}';
const CALLS = [
  ['addHidlet', 0x1234, 0x5678], ['getDevices'], ['getAttributeByKey', 'plugin_version'],
  ['performOperation', '1', '00', 1, 1000, ''], ['cancelCommand', '1'], ['cleanupRemote', '1'], ['cleanupAll'],
];

// Starts requestAccess() in the page and hands back the prompt it opened. The answer is kept in
// the page (window.accessAnswer): a driver call that waited on it could fail when the prompt's
// window closes.
async function openPrompt(context, page) {
  await page.evaluate(() => { window.accessAnswer = window.remoteBridge.requestAccess(); });
  const prompt = await context.session.waitForPage((href) => href.includes('/prompt/prompt.html'));
  await prompt.waitForSelector('#allow');
  return prompt;
}

// The options page, opened from the prompt's link. A click that lands while the browser is still
// bringing up the prompt's window can be lost; clicking again opens the page once all the same.
async function openOptionsFrom(context, prompt) {
  for (let attempt = 1; ; ++attempt) {
    await prompt.click('#manage');
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

  it('asks the user on requestAccess(): Deny keeps the origin out, Allow lets it in', async () => {
    let prompt = await openPrompt(context, home);
    assert.equal(await prompt.$eval('#question', (e) => e.textContent.trim()),
      `Allow ${context.home.origin} to use your remotes?`);
    await prompt.click('#deny');
    assert.equal(await home.evaluate(() => window.accessAnswer), false);
    assert.equal(await context.outcome(home, 'getDevices'), `rejected:${NOT_ALLOWED}|true`);

    // A second frame asking meanwhile shares the prompt and its answer. (It is opened first: the
    // driver would put a new tab into the prompt's window.)
    const other = await context.open(context.home.url('bridge.html'));
    prompt = await openPrompt(context, home);
    await other.evaluate(() => { window.accessAnswer = window.remoteBridge.requestAccess(); });
    await prompt.click('#allow');
    assert.equal(await home.evaluate(() => window.accessAnswer), true);
    assert.equal(await other.evaluate(() => window.accessAnswer), true);
    assert.equal(await context.outcome(home, 'getAttributeByKey', 'plugin_version'), '"2.0"');
    assert.equal(await other.evaluate(() => window.remoteBridge.ready), true);
    await other.close();
  });

  it('lists the allowed origins on the options page and revokes them there', async () => {
    const app = await context.open(context.app.url('bridge.html'));
    const prompt = await openPrompt(context, app);
    const options = await openOptionsFrom(context, prompt);
    await options.waitForSelector(`li[data-origin="${context.home.origin}"] button.revoke`);
    const listed = await options.$$eval('li', (items) => items.map((li) => [li.dataset.origin, !!li.querySelector('.revoke')]));
    const expected = [[context.home.origin, true]];
    if (context.managedByPolicy)
      expected.unshift([context.managedOrigin, false]);
    assert.deepEqual(listed, expected);

    await options.click(`li[data-origin="${context.home.origin}"] button.revoke`);
    await waitUntil(async () => (await context.outcome(home, 'getDevices')) === `rejected:${NOT_ALLOWED}|true`,
      'the revoked origin to be refused');
    await options.close();

    // The app server's origin is allowed for the cases that follow.
    await prompt.click('#allow');
    assert.equal(await app.evaluate(() => window.accessAnswer), true);
    context.appPage = app;
  });

  it('gives closing the prompt the answer false', async () => {
    const prompt = await openPrompt(context, home);
    await prompt.close();
    assert.equal(await home.evaluate(() => window.accessAnswer), false);
    context.strangerPage = home;
  });
}
