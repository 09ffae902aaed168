// Names and texts that the extension's scripts, the page-object methods and the native host must
// spell alike. The content scripts run as classic scripts in pages, where no browser lets them
// import a module, so each carries its own copy; this test reads every copy from its source and
// fails when one differs.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { describe, it } from 'node:test';

import * as responses from '../background/responses.js';

const root = new URL('../../', import.meta.url);
const source = (path) => readFileSync(new URL(path, root), 'utf8');

const pageScript = source('extension/content/page.js');
const relayScript = source('extension/content/relay.js');
const methodNamesHeader = source('page_methods/include/page_methods/MethodNames.h');
const hostMessagesHeader = source('native_host/src/Messages.h');
const hostMessages = source('native_host/src/Messages.cpp');

function match(text, pattern, what) {
  const found = text.match(pattern);
  assert.ok(found, `${what} not found`);
  return found[1];
}

// The quoted texts of a list written in JavaScript or C++.
const quotedTexts = (list) => [...list.matchAll(/['"]([^'"]*)['"]/g)].map((m) => m[1]);

// `const NAME = '...'` of a script.
const scriptConstant = (text, name, where) =>
  match(text, new RegExp(`const ${name} = '([^']*)';`), `${name} in ${where}`);

// `constexpr char NAME[] = "...";` of a C++ header.
const headerConstant = (text, name, where) =>
  match(text, new RegExp(`constexpr char ${name}\\[\\] = "([^"]*)";`), `${name} in ${where}`);

describe('shared names', () => {
  it('the page methods are the same list, in the same order, everywhere', () => {
    const engineSide = quotedTexts(match(methodNamesHeader, /METHOD_NAMES\[METHOD_COUNT\] = \{([^}]*)\}/, 'METHOD_NAMES'));
    assert.equal(engineSide.length, Number(match(methodNamesHeader, /METHOD_COUNT = (\d+);/, 'METHOD_COUNT')));
    assert.deepEqual([...responses.PAGE_METHODS], engineSide, 'background/responses.js');
    assert.deepEqual(quotedTexts(match(pageScript, /const METHODS = \[([^\]]*)\]/, 'METHODS in page.js')), engineSide,
      'content/page.js');
  });

  it('the page script and the relay use the same event names', () => {
    for (const name of ['TO_EXTENSION', 'TO_PAGE'])
      assert.equal(scriptConstant(relayScript, name, 'relay.js'), scriptConstant(pageScript, name, 'page.js'), name);
  });

  it('the page script answers a lost host with the background\'s text', () => {
    assert.equal(scriptConstant(pageScript, 'HOST_DISCONNECTED', 'page.js'), responses.HOST_DISCONNECTED);
  });

  it('the extension\'s and the host\'s error texts have one form, and a bad call reads as the host\'s', () => {
    const prefix = match(hostMessages, /"error", std::string\("([^"]*)"\) \+ detail \+ "\}\}"/, 'the host\'s error form');
    const texts = {
      ORIGIN_NOT_ALLOWED: responses.ORIGIN_NOT_ALLOWED,
      HOST_DISCONNECTED: responses.HOST_DISCONNECTED,
      REQUEST_TOO_LARGE: responses.REQUEST_TOO_LARGE,
      BAD_CALL: responses.BAD_CALL,
      ANSWER_TOO_LARGE: headerConstant(hostMessagesHeader, 'ANSWER_TOO_LARGE', 'Messages.h'),
    };
    for (const [name, text] of Object.entries(texts))
      assert.match(text, new RegExp(`^${prefix.replace(/[{}|]/g, '\\$&')}[^{}|]+\\}\\}$`), name);
    assert.equal(responses.BAD_CALL, `${prefix}${headerConstant(hostMessagesHeader, 'BAD_REQUEST', 'Messages.h')}}}`);
  });
});
