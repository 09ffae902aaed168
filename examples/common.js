// Helpers shared by the example pages (load('common.js') from a page beside it).
//
// Settings come from the page's arguments (key=value, after the page on the page-runner command line)
// or, failing that, from the environment variable named for each.

const SETTINGS = {
    vendor: { env: 'REMOTE_VENDOR_ID', fallback: '4660' },       // 0x1234
    product: { env: 'REMOTE_PRODUCT_ID', fallback: '22136' },     // 0x5678
    device: { env: 'REMOTE_DEVICE_ID', fallback: '' },            // empty: the first remote listed
    request: { env: 'REMOTE_REQUEST', fallback: '0102030405060708' },
    packets: { env: 'REMOTE_RESPONSE_PACKETS', fallback: '1' },   // -1: up to the end packet
    timeout: { env: 'REMOTE_TIMEOUT_MS', fallback: '5000' },
    end: { env: 'REMOTE_END_PACKET', fallback: '' },
    poll: { env: 'REMOTE_POLL_MS', fallback: '50' },
};

// A page may give its own fallback for a setting.
function setting(name, fallback = SETTINGS[name].fallback) {
    const prefix = `${name}=`;
    const argument = page.args.find((arg) => arg.startsWith(prefix));
    if (argument !== undefined)
        return argument.substring(prefix.length);
    return page.env(SETTINGS[name].env) ?? fallback;
}

// Decimal or 0x-prefixed hexadecimal.
function numberSetting(name, fallback) {
    const text = setting(name, fallback);
    const value = parseInt(text);
    if (Number.isNaN(value))
        throw new Error(`setting ${name} is not a number: ${text}`);
    return value;
}

// A remote takes whole reports only: the hexadecimal text padded with zeros to a whole number of
// reports of the given length in bytes (left as it is when the length is unknown).
function wholeReports(hex, reportLength) {
    const digits = 2 * parseInt(reportLength, 10);
    if (!(digits > 0) || hex === '')
        return hex;
    const reports = Math.ceil(hex.length / digits);
    return hex.padEnd(reports * digits, '0');
}

// A response string "{{code|text}}" gives its code; anything else (hexadecimal data) is a success.
function responseCode(answer) {
    const match = /^\{\{(-?\d+)\|/.exec(answer);
    return match ? parseInt(match[1], 10) : 0;
}

const inProgress = (answer) => responseCode(answer) < 0;

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The device list: records ending in "||", attributes separated by ";;", each key=value.
function parseDeviceList(list) {
    return list.split('||').filter((record) => record !== '').map((record) => {
        const device = {};
        for (const attribute of record.split(';;')) {
            const equals = attribute.indexOf('=');
            if (equals > 0)
                device[attribute.substring(0, equals)] = attribute.substring(equals + 1);
        }
        return device;
    });
}

// Registers the remote type of the settings and lists the remotes the engine finds.
function findRemotes(plugin) {
    plugin.addHidlet(numberSetting('vendor'), numberSetting('product'));
    return parseDeviceList(plugin.getDevices());
}

// The remote to talk to, as a device record: the one named by the settings (whose report sizes are
// then unknown), else the first one listed.
function chooseRemote(plugin) {
    const wanted = setting('device');
    if (wanted !== '')
        return { device_id: wanted };
    return findRemotes(plugin)[0] ?? null;
}

// The operation of the settings for `remote` (a device record): the request and the end packet are
// padded to whole reports of the remote's sizes.
function operationFor(remote) {
    return {
        device: remote.device_id,
        request: wholeReports(setting('request'), remote.output_report_length),
        packets: numberSetting('packets'),
        timeout: numberSetting('timeout'),
        end: wholeReports(setting('end'), remote.input_report_length),
    };
}

// Runs an operation {device, request, packets, timeout, end} and resolves with its final answer.
// The same call both starts the request and asks how it is going; onStarted() runs once it runs.
async function perform(plugin, { device, request, packets, timeout, end }, onStarted) {
    let started = false;
    for (;;) {
        const answer = plugin.performOperation(device, request, packets, timeout, end);
        if (!inProgress(answer))
            return answer;
        if (!started) {
            started = true;
            onStarted?.();
        }
        await sleep(numberSetting('poll'));
    }
}

// Runs the page's work, `body(plugin, remote)`, with the plug-in and the remote of the settings; a
// page that finds no remote ends with 1.
async function withRemote(body) {
    const plugin = embed();
    const remote = chooseRemote(plugin);
    if (remote === null) {
        console.log('no remotes found');
        page.exit(1);
        return;
    }
    await body(plugin, remote);
}
