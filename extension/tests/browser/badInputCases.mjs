// The plug-in's bad-input table (plugin/tests/page_bad_input_rows.json), row by row, in a page
// through the extension and the host: every row gets the plug-in's answer, or what the table
// gives for the native messaging path. A row's call "p.method(...)rest" runs as
// "(await p.method(...))rest", since the page object's methods return Promises.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { it } from 'node:test';

import { BAD_INPUT } from './remotes.mjs';

const REQUEST_TOO_LARGE = '{{300|Error in plugin:request too large}}';

// Index just past the parenthesis that closes the one at `open`, skipping string literals.
function closingParen(text, open) {
  let depth = 0;
  for (let i = open; i < text.length; i++) {
    const c = text[i];
    if (c === '\'' || c === '"') {
      for (i++; i < text.length && text[i] !== c; i++) {
        if (text[i] === '\\')
          i++;
      }
    } else if (c === '(') {
      depth++;
    } else if (c === ')' && --depth === 0) {
      return i + 1;
    }
  }
  throw new Error(`unbalanced call: ${text}`);
}

export function awaitedCall(call) {
  const match = /^p\.\w+\(/.exec(call);
  if (!match)
    throw new Error(`not a call of p: ${call}`);
  const end = closingParen(call, match[0].length - 1);
  return `(await ${call.slice(0, end)})${call.slice(end)}`;
}

// The page script of one row: its answer in the table's form, or "rejected:<response>".
function rowScript(call) {
  const names = Object.entries(BAD_INPUT.names).map(([name, value]) => `const ${name} = ${JSON.stringify(value)};`);
  return `(async () => {
    const p = window.remoteBridge;
    ${names.join('\n')}
    ${BAD_INPUT.helpers}
    try {
      const value = ${awaitedCall(call)};
      if (value === null) return 'null';
      return typeof value + ':' + value;
    } catch (error) {
      return 'rejected:' + error.response;
    }
  })()`;
}

const inProgress = (answer) => /^string:\{\{-[12]\|/.test(answer);

async function runRow(page, row) {
  const native = row.nativeMessaging ?? {};
  const expected = native.frameTooLarge ? `rejected:${REQUEST_TOO_LARGE}` : (native.answer ?? row.answer);
  const expectedFinal = native.frameTooLarge ? undefined : (native.final ?? row.final);
  const script = rowScript(row.call);
  assert.equal(await page.evaluate(script), expected, row.call);
  if (expectedFinal === undefined)
    return;
  const deadline = Date.now() + 30000;
  let answer;
  do {
    answer = await page.evaluate(script);
  } while (inProgress(answer) && Date.now() < deadline);
  assert.equal(answer, expectedFinal, `${row.call}, polled`);
}

export function registerBadInputCases(context) {
  let page;

  it('gives the bad-input table\'s remotes and setup', async () => {
    fs.writeFileSync(context.simFile, BAD_INPUT.remotes);
    page = context.appPage ?? await context.open(context.app.url('bridge.html'));
    for (const row of BAD_INPUT.setup)
      await runRow(page, row);
  });

  for (const [table, rows] of Object.entries(BAD_INPUT.tables)) {
    it(`answers the bad-input rows: ${table}`, async () => {
      for (const row of rows)
        await runRow(page, row);
    });
  }
}
