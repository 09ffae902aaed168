// Lists the allowed origins; the user's own can be revoked here, the administrator's are shown
// as such, and so are the administrator's entries that allow nothing. The background keeps the
// list: this page asks it, and it tells the page when the list changed.
const api = globalThis.browser ?? globalThis.chrome;
const list = document.getElementById('origins');
const refusedList = document.getElementById('refused');

// One line of a list: a text, then what stands beside it.
function line(text, beside) {
  const item = document.createElement('li');
  const name = document.createElement('span');
  name.textContent = text;
  item.append(name, beside);
  return item;
}

function note(text, className) {
  const span = document.createElement('span');
  span.className = className;
  span.textContent = text;
  return span;
}

async function show() {
  const origins = await api.runtime.sendMessage({ type: 'origins' });
  if (!origins)
    return;
  const { user, managed, refused } = origins;
  list.replaceChildren();
  for (const origin of managed) {
    const item = line(origin, note('allowed by your administrator', 'managed'));
    item.dataset.origin = origin;
    list.append(item);
  }
  for (const origin of user.filter((o) => !managed.includes(o))) {
    const revoke = document.createElement('button');
    revoke.type = 'button';
    revoke.className = 'revoke';
    revoke.textContent = 'Revoke';
    revoke.addEventListener('click', () => api.runtime.sendMessage({ type: 'revoke', origin }));
    const item = line(origin, revoke);
    item.dataset.origin = origin;
    list.append(item);
  }
  document.getElementById('none').hidden = list.childElementCount > 0;
  refusedList.replaceChildren();
  for (const { entry, reason } of refused) {
    const item = line(entry, note(reason, 'refused'));
    item.dataset.entry = entry;
    refusedList.append(item);
  }
  document.getElementById('refusedEntries').hidden = refused.length === 0;
}

api.runtime.onMessage.addListener((message) => {
  if (message?.type === 'origins-changed')
    show();
});
show();
