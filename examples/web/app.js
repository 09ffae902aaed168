// Lists the remotes, sends one a request and shows the answer, through window.remoteBridge, the
// object the remote bridge extension gives the pages it allows. The final answer arrives as an
// "answer" event; the page does not poll.
const bridge = window.remoteBridge;
const $ = (id) => document.getElementById(id);

// The device list: records ending in "||", attributes separated by ";;", each key=value.
function parseDeviceList(list) {
  return list.split('||').filter(Boolean).map((record) =>
    Object.fromEntries(record.split(';;').map((pair) => {
      const at = pair.indexOf('=');
      return [pair.slice(0, at), pair.slice(at + 1)];
    })));
}

// A remote takes whole reports: hexadecimal text padded with zeros to whole reports.
function wholeReports(hex, reportLength) {
  const digits = 2 * Number(reportLength);
  if (!(digits > 0) || hex === '')
    return hex;
  return hex.padEnd(Math.ceil(hex.length / digits) * digits, '0');
}

const isInProgress = (answer) => /^\{\{-[12]\|/.test(answer);
let remotes = [];

function showRemotes(list) {
  remotes = parseDeviceList(list);
  $('remotes').replaceChildren(...remotes.map((r) => {
    const item = document.createElement('li');
    item.textContent = `${r.device_id}: vendor ${r.vendor_id}, product ${r.product_id}, `
      + `reports ${r.input_report_length} in / ${r.output_report_length} out`;
    return item;
  }));
  if (remotes.length === 0)
    $('remotes').append(Object.assign(document.createElement('li'), { textContent: 'no remotes found' }));
  $('remote').replaceChildren(...remotes.map((r) =>
    Object.assign(document.createElement('option'), { value: r.device_id, textContent: r.device_id })));
}

async function listRemotes() {
  await bridge.addHidlet(Number($('vendor').value), Number($('product').value));
  showRemotes(await bridge.getDevices());
}

async function send(event) {
  event.preventDefault();
  const deviceId = $('remote').value;
  const remote = remotes.find((r) => r.device_id === deviceId);
  if (!remote) {
    $('answer').textContent = 'no remote chosen';
    return;
  }
  const request = wholeReports($('hex').value.trim(), remote.output_report_length);
  const end = wholeReports($('end').value.trim(), remote.input_report_length);
  const finalAnswer = new Promise((resolve) => {
    bridge.addEventListener('answer', function done(e) {
      if (e.detail.deviceId !== deviceId)
        return;
      bridge.removeEventListener('answer', done);
      resolve(e.detail.result);
    });
  });
  const started = await bridge.performOperation(deviceId, request, Number($('packets').value),
    Number($('timeout').value), end);
  $('answer').textContent = started;
  if (!isInProgress(started))
    return; // refused at once: the answer says why
  $('cancel').disabled = false;
  await finalAnswer;
  $('cancel').disabled = true;
  // Collect the answer the host kept for this call, as a polling page would, so that the next
  // request starts a new command.
  $('answer').textContent = await bridge.performOperation(deviceId, request, Number($('packets').value),
    Number($('timeout').value), end);
}

async function start() {
  if (!bridge) {
    $('status').textContent = 'The remote bridge extension is not installed in this browser (or not for this site).';
    return;
  }
  bridge.addEventListener('devicechange', (e) => showRemotes(e.detail.devices));
  if (!(await bridge.ready)) {
    $('status').textContent = 'This site may not use your remotes yet.';
    $('allow').hidden = false;
    return;
  }
  $('status').textContent = 'Ready.';
  $('allow').hidden = true;
  $('controls').hidden = false;
  await listRemotes();
}

$('allow').addEventListener('click', async () => {
  if (await bridge.requestAccess())
    location.reload();
});
$('list').addEventListener('click', () => listRemotes().catch(showError));
$('request').addEventListener('submit', (e) => send(e).catch(showError));
$('cancel').addEventListener('click', () => bridge.cancelCommand($('remote').value).catch(showError));

function showError(error) {
  $('answer').textContent = error.response ?? String(error);
}

start().catch(showError);
