// The page side of the whole-stack soak (run by page-soak): operations at random against
// simulated remotes that misbehave, while the page cancels, cleans up one remote or all,
// registers device types again, lists remotes and starts new commands.
//
// Arguments (page.args): operations=N, seed=S, and one remote=PATH,IN,OUT,REPLY,LENGTH,END,KIND per
// simulated remote (REPLY: echo, silent or a count; LENGTH: bytes per answer report; END: end
// packet in hexadecimal or empty; KIND: what the remote does wrong).
// Ends with page.exit(0) when every answer was sound, else page.exit(1).

var settings = { operations: 300, seed: 1 };
var remotes = [];
page.args.forEach(function (arg) {
    var eq = arg.indexOf('=');
    var key = arg.substring(0, eq), value = arg.substring(eq + 1);
    if (key === 'remote') {
        var f = value.split(',');
        remotes.push({ path: f[0], input: +f[1], output: +f[2], reply: f[3], length: +f[4], end: f[5], kind: f[6],
                       sent: {}, op: null });
    } else {
        settings[key] = +value;
    }
});

// xorshift32: the same seed gives the same page decisions.
var state = (settings.seed >>> 0) || 1;
function random(n) {
    state ^= state << 13; state >>>= 0;
    state ^= state >>> 17;
    state ^= state << 5; state >>>= 0;
    return state % n;
}
function pick(weights) {
    var total = 0, k;
    for (k in weights) total += weights[k];
    var at = random(total);
    for (k in weights) {
        if (at < weights[k]) return k;
        at -= weights[k];
    }
}

var p = embed();
var counts = { operations: 0, commands: 0 };
var faults = {};
var answers = {};
var failures = [];
var hung = false;
// A command waits its turn behind the other remotes' commands on the one worker, each of which
// may spend a few one-second reads: past this it counts as hung.
var HANG_MS = 60000;
var LONG_TIMEOUT = 2000000000;
var DEFINED = [0, 101, 102, 103, 104, 105, 106, 200, 201, 202, 203, 204, 207, 208, 209, 210, 211, 400, 600];

function fault(name) { faults[name] = (faults[name] || 0) + 1; }
function fail(text) {
    failures.push(text);
    console.error('soak: ' + text);
}
function call(method, args) {
    counts.operations++;
    return p[method].apply(p, args);
}

function hex2(n) { return ('0' + (n & 0xFF).toString(16).toUpperCase()).slice(-2); }
function zeros(bytes) { return new Array(bytes + 1).join('00'); }
// A report of `bytes` bytes from hexadecimal text: cut, or padded with zeros.
function fit(hex, bytes) { return (hex + zeros(bytes)).substring(0, 2 * bytes); }

// What a remote may send for a request: every report of the answer to each output report.
function learnAnswers(remote, request) {
    var digits = 2 * remote.output;
    for (var at = 0; at + digits <= request.length; at += digits) {
        var report = fit(request.substr(at, digits), remote.length);
        if (remote.reply === 'echo') {
            remote.sent[report] = true;
        } else if (remote.reply !== 'silent') {
            for (var k = 0; k < +remote.reply; k++)
                remote.sent[report.substring(0, report.length - 2) + hex2(k)] = true;
        }
        if (remote.end) remote.sent[fit(remote.end, remote.input)] = true;
    }
}

var sequence = 0;
function newRequest(remote) {
    // Each request carries its own number, so that an answer can be traced to the requests sent.
    var reports = 1 + random(3);
    var text = '';
    for (var i = 0; i < reports; i++) {
        var report = hex2(sequence >> 16) + hex2(sequence >> 8) + hex2(sequence) + hex2(i);
        sequence++;
        while (report.length < 2 * remote.output) report += hex2(random(256));
        text += report;
    }
    return text;
}

// The settings that fit what a remote answers, and now and then some that do not.
function commandFor(remote) {
    var request = newRequest(remote);
    var packets = 1, end = '', timeout = 1000 + random(2000);
    if (remote.reply !== 'echo' && remote.reply !== 'silent') packets = +remote.reply;
    if (remote.end && random(2)) { packets = -1; end = fit(remote.end, remote.input); }
    if (remote.kind === 'silent') timeout = random(1000);
    // It vanishes after its first report, and is asked with the longest time-out a page can give:
    // the command must still end at once, without the engine's worker spinning through the
    // time-out. One report, so that it is gone while the command reads, not at its next write.
    if (remote.kind === 'gone-while-read') {
        timeout = LONG_TIMEOUT;
        request = request.substring(0, 2 * remote.output);
    }
    if (random(20) === 0) {
        fault('unfitting request');
        packets = random(6) - 2;
        end = random(2) ? fit(remote.end || 'EE', remote.input) : '';
        timeout = random(1000);
        if (random(3) === 0) request = request.substring(0, request.length - 1 - random(3)) + (random(2) ? 'G' : '');
    }
    return [remote.path, request, packets, timeout, end];
}

function isResponse(text) { return /^\{\{-?\d+\|[\s\S]*\}\}$/.test(text); }
function codeOf(text) { return isResponse(text) ? parseInt(/^\{\{(-?\d+)/.exec(text)[1], 10) : 0; }

function checkFinal(remote, args, answer) {
    if (typeof answer !== 'string') return fail('answer of type ' + typeof answer + ' to ' + args[0]);
    var code = codeOf(answer);
    answers[code] = (answers[code] || 0) + 1;
    if (!isResponse(answer) && !/^[0-9A-F]*$/.test(answer))
        return fail('answer is neither a response string nor upper-case hexadecimal: ' + answer.substring(0, 80));
    if (DEFINED.indexOf(code) < 0) return fail('undefined code ' + code + ': ' + answer);
    if (code !== 0 || isResponse(answer)) return;
    var digits = 2 * remote.input;
    if (answer.length % digits !== 0) return fail('answer of ' + answer.length + ' digits from ' + remote.kind);
    for (var at = 0; at < answer.length; at += digits) {
        var block = answer.substr(at, digits);
        if (!remote.sent[block]) return fail(remote.kind + ' remote never sent ' + block);
    }
}

function start(remote) {
    var args = commandFor(remote);
    counts.commands++;
    fault('commands to the ' + remote.kind + ' remote');
    learnAnswers(remote, args[1]);
    var answer = call('performOperation', args);
    if (codeOf(answer) === -2 && isResponse(answer)) {
        remote.op = { args: args, since: Date.now(), long: args[3] === LONG_TIMEOUT };
    } else if (codeOf(answer) === -1 && isResponse(answer)) {
        fail('a new command was already in progress: ' + answer);
    } else {
        checkFinal(remote, args, answer);
        if (codeOf(answer) === 201)
            listRemotes();
    }
}

function poll(remote) {
    var op = remote.op;
    var answer = call('performOperation', op.args);
    var code = codeOf(answer);
    // -2 until the worker takes the command up (or again when the remote was cleaned up meanwhile
    // and the same call started the command anew), -1 while it runs.
    if (isResponse(answer) && (code === -2 || code === -1)) {
        if (Date.now() - op.since > HANG_MS) {
            fail('command on ' + remote.kind + ' still in progress after ' + (Date.now() - op.since) + ' ms');
            remote.op = null;
            hung = true;
        }
    } else {
        checkFinal(remote, op.args, answer);
        remote.op = null;
        // As a page would: a remote that was not found may be back after a new listing.
        if (code === 201)
            listRemotes();
    }
}

function expectExactly(what, answer, expected) {
    if (expected.indexOf(answer) < 0) fail(what + ' answered ' + answer);
}

// The remotes of the last listing: a page addresses the remotes it was shown.
var listed = {};

// For a while after it started a command with the longest time-out, the page waits for its
// answer before it lists or cleans up again, as a page that waits for one answer would. No listing
// then tells the engine that the remote went away: the command must end by itself, and a worker
// that took the failing reads for time-outs would spin through that time on the CPU.
var LONG_WAIT_MS = 300;
function waitingForALongCommand() {
    return remotes.some(function (r) { return r.op && r.op.long && Date.now() - r.op.since < LONG_WAIT_MS; });
}

function listRemotes() {
    if (waitingForALongCommand()) return;
    var list = call('getDevices', []);
    listed = {};
    if (list === '') return;
    if (!/\|\|$/.test(list)) return fail('device list does not end with ||: ' + list);
    list.slice(0, -2).split('||').forEach(function (record) {
        var keys = record.split(';;').map(function (attribute) {
            if (!/^[a-z_]+=-?\d+$/.test(attribute)) fail('device attribute ' + attribute);
            return attribute.split('=')[0];
        });
        if (keys.join(',') !== 'device_id,token,vendor_id,product_id,input_report_length,output_report_length,bcd_version_number')
            fail('device record ' + record);
        listed[record.split(';;')[0].split('=')[1]] = true;
    });
}

function someRemote() { return remotes[random(remotes.length)]; }

function step() {
    var busy = remotes.filter(function (r) { return r.op; });
    if (hung)
        return finish();
    if (counts.operations >= settings.operations) {
        if (busy.length === 0) return finish();
        busy.forEach(poll);
        return setTimeout(step, 5);
    }
    var action = pick({ start: 30, poll: 45, cancel: 5, cleanupRemote: 3, cleanupAll: 1, list: 10, register: 2 });
    var remote = someRemote();
    switch (action) {
    case 'start':
        // Mostly a remote of the last listing; now and then one that may be gone.
        var anyRemote = random(10) === 0;
        var idle = remotes.filter(function (r) {
            return !r.op && (anyRemote || listed[r.path]) && (r.kind !== 'silent' || random(8) === 0);
        });
        if (idle.length) start(idle[random(idle.length)]);
        break;
    case 'poll':
        busy.forEach(poll);
        break;
    case 'cancel':
        if (remote.op && remote.op.long) break;   // it must end by itself, see above
        fault('cancel');
        expectExactly('cancelCommand', call('cancelCommand', [remote.path]),
                      ['{{0|Command executed successfully:in KVE::cancel}}', '{{201|Lumora remote not found:in KVE::cancel}}']);
        break;
    case 'cleanupRemote':
        if (waitingForALongCommand()) break;
        fault('cleanup of one remote');
        expectExactly('cleanupRemote', call('cleanupRemote', [remote.path]),
                      ['{{0|Command executed successfully:in KVE::cleanupRemote}}']);
        break;
    case 'cleanupAll':
        if (waitingForALongCommand()) break;
        fault('cleanup of all remotes');
        expectExactly('cleanupAll', call('cleanupAll', []), ['{{0|Cleanup all successfully executed!}}']);
        listed = {};
        break;
    case 'list':
        listRemotes();
        break;
    case 'register':
        fault('device type registered again');
        var type = random(4) ? [0x1234, 0x5678] : [random(0x10000), random(0x10000)];
        if (call('addHidlet', type) !== null) fail('addHidlet answered something');
        break;
    }
    setTimeout(step, random(3));
}

function finish() {
    var text = [];
    console.log('soak: ' + counts.operations + ' page calls, ' + counts.commands + ' commands');
    for (var f in faults) text.push(f + ' ' + faults[f]);
    console.log('soak: faults: ' + text.join('; '));
    text = [];
    for (var c in answers) text.push(c + '=' + answers[c]);
    console.log('soak: final answers by code: ' + text.join(' '));
    console.log('soak: ' + failures.length + ' unsound answer(s)');
    page.exit(failures.length ? 1 : 0);
}

if (call('addHidlet', [0x1234, 0x5678]) !== null) fail('addHidlet answered something');
listRemotes();
setTimeout(step, 0);
