// Lists the allowed origins; the user's own can be revoked here, the administrator's are shown
// as such. The background follows storage changes, so a revoked origin stops at its next call.
import { readAllowedOrigins, writeUserOrigins } from '../background/origins.js';

const api = globalThis.browser ?? globalThis.chrome;
const list = document.getElementById('origins');

// One line of the list: the origin, then what stands beside it.
function line(origin, beside) {
  const item = document.createElement('li');
  item.dataset.origin = origin;
  const name = document.createElement('span');
  name.textContent = origin;
  item.append(name, beside);
  return item;
}

async function show() {
  const { user, managed } = await readAllowedOrigins(api.storage);
  list.replaceChildren();
  for (const origin of managed) {
    const note = document.createElement('span');
    note.className = 'managed';
    note.textContent = 'allowed by your administrator';
    list.append(line(origin, note));
  }
  for (const origin of user.filter((o) => !managed.includes(o))) {
    const revoke = document.createElement('button');
    revoke.type = 'button';
    revoke.className = 'revoke';
    revoke.textContent = 'Revoke';
    revoke.addEventListener('click', async () => {
      const { user: now } = await readAllowedOrigins(api.storage);
      await writeUserOrigins(api.storage, now.filter((o) => o !== origin));
    });
    list.append(line(origin, revoke));
  }
  document.getElementById('none').hidden = list.childElementCount > 0;
}

api.storage.onChanged.addListener(show);
show();
