// The extension's question for one origin; its answer goes to the background, which keeps it.
// The buttons take a click only once the window has been visible and focused for half a second,
// so that a click meant for the page (a double click the page asked for) cannot land on Allow.
const api = globalThis.browser ?? globalThis.chrome;
const ARMING_MS = 500;
const params = new URLSearchParams(location.search);
const origin = params.get('origin') ?? '';
const site = params.get('site') ?? '';
document.getElementById('origin').textContent = origin;
document.getElementById('site').textContent = site;
document.getElementById('embedded').hidden = site === '' || site === origin;

const buttons = [...document.querySelectorAll('button')];
let answered = false;
let arming = null;

function setEnabled(enabled) {
  for (const button of buttons)
    button.disabled = !enabled || answered;
}

// Starts the half second anew whenever the window is seen and focused again, and takes the
// buttons away whenever it is not.
function watchAttention() {
  clearTimeout(arming);
  arming = null;
  setEnabled(false);
  if (document.visibilityState === 'visible' && document.hasFocus())
    arming = setTimeout(() => setEnabled(true), ARMING_MS);
}
window.addEventListener('focus', watchAttention);
window.addEventListener('blur', watchAttention);
document.addEventListener('visibilitychange', watchAttention);
watchAttention();

async function answer(allow) {
  answered = true;
  setEnabled(false);
  try {
    await api.runtime.sendMessage({ type: 'decide', origin, allow });
  } finally {
    window.close();
  }
}

document.getElementById('allow').addEventListener('click', () => answer(true));
document.getElementById('deny').addEventListener('click', () => answer(false));
document.getElementById('manage').addEventListener('click', (event) => {
  event.preventDefault();
  api.runtime.openOptionsPage();
});
