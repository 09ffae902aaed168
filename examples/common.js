// Helpers shared by the example pages (load('common.js') from a page beside it).
//
// Settings come from the page's arguments (key=value, after the page on the page-runner command line)
// or, failing that, from the environment variable named for each.

var SETTINGS = {
    vendor: { env: 'REMOTE_VENDOR_ID', fallback: '4660' },       // 0x1234
    product: { env: 'REMOTE_PRODUCT_ID', fallback: '22136' },     // 0x5678
    device: { env: 'REMOTE_DEVICE_ID', fallback: '' },            // empty: the first remote listed
    request: { env: 'REMOTE_REQUEST', fallback: '0102030405060708' },
    packets: { env: 'REMOTE_RESPONSE_PACKETS', fallback: '1' },   // -1: up to the end packet
    timeout: { env: 'REMOTE_TIMEOUT_MS', fallback: '5000' },
    end: { env: 'REMOTE_END_PACKET', fallback: '' },
    poll: { env: 'REMOTE_POLL_MS', fallback: '50' }
};

// A page may give its own fallback for a setting.
function setting(name, fallback) {
    var prefix = name + '=';
    for (var i = 0; i < page.args.length; i++) {
        if (page.args[i].indexOf(prefix) === 0)
            return page.args[i].substring(prefix.length);
    }
    var fromEnvironment = page.env(SETTINGS[name].env);
    if (fromEnvironment !== undefined)
        return fromEnvironment;
    return fallback !== undefined ? fallback : SETTINGS[name].fallback;
}

// Decimal or 0x-prefixed hexadecimal.
function numberSetting(name, fallback) {
    var value = parseInt(setting(name, fallback));
    if (isNaN(value))
        throw new Error('setting ' + name + ' is not a number: ' + setting(name, fallback));
    return value;
}

// A remote takes whole reports only: the hexadecimal text padded with zeros to a whole number of
// reports of the given length in bytes (left as it is when the length is unknown).
function wholeReports(hex, reportLength) {
    var digits = 2 * parseInt(reportLength, 10);
    if (!(digits > 0) || hex === '')
        return hex;
    while (hex.length % digits !== 0)
        hex += '0';
    return hex;
}

// A response string "{{code|text}}" gives its code; anything else (hexadecimal data) is a success.
function responseCode(answer) {
    var match = /^\{\{(-?\d+)\|/.exec(answer);
    return match ? parseInt(match[1], 10) : 0;
}

function inProgress(answer) {
    return responseCode(answer) < 0;
}

// The device list: records ending in "||", attributes separated by ";;", each key=value.
function parseDeviceList(list) {
    var devices = [];
    var records = list.split('||');
    for (var i = 0; i < records.length; i++) {
        if (records[i] === '')
            continue;
        var device = {};
        var attributes = records[i].split(';;');
        for (var j = 0; j < attributes.length; j++) {
            var equals = attributes[j].indexOf('=');
            if (equals > 0)
                device[attributes[j].substring(0, equals)] = attributes[j].substring(equals + 1);
        }
        devices.push(device);
    }
    return devices;
}

// Registers the remote type of the settings and lists the remotes the engine finds.
function findRemotes(plugin) {
    plugin.addHidlet(numberSetting('vendor'), numberSetting('product'));
    return parseDeviceList(plugin.getDevices());
}

// The remote to talk to, as a device record: the one named by the settings (whose report sizes are
// then unknown), else the first one listed.
function chooseRemote(plugin) {
    var wanted = setting('device');
    if (wanted !== '')
        return { device_id: wanted };
    var remotes = findRemotes(plugin);
    return remotes.length > 0 ? remotes[0] : null;
}

// Starts the request of the settings on `remote` (a device record) and calls done(answer) once the
// answer is final. The request and the end packet are padded to whole reports of the remote's sizes.
// The same call both starts the request and asks how it is going.
function performAndWait(plugin, remote, done, onStarted) {
    performOperationAndWait(plugin, {
        device: remote.device_id,
        request: wholeReports(setting('request'), remote.output_report_length),
        packets: numberSetting('packets'),
        timeout: numberSetting('timeout'),
        end: wholeReports(setting('end'), remote.input_report_length)
    }, done, onStarted);
}

// The same for an operation {device, request, packets, timeout, end}.
function performOperationAndWait(plugin, op, done, onStarted) {
    var started = false;
    function ask() {
        var answer = plugin.performOperation(op.device, op.request, op.packets, op.timeout, op.end);
        if (!inProgress(answer)) {
            done(answer);
            return;
        }
        if (!started) {
            started = true;
            if (onStarted)
                onStarted();
        }
        setTimeout(ask, numberSetting('poll'));
    }
    ask();
}
