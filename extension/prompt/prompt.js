// The extension's question for one origin; its answer goes to the background, which keeps it.
const api = globalThis.browser ?? globalThis.chrome;
const origin = new URLSearchParams(location.search).get('origin') ?? '';
document.getElementById('origin').textContent = origin;

async function answer(allow) {
  for (const button of document.querySelectorAll('button'))
    button.disabled = true;
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
document.getElementById('deny').focus();
