// The demo: a page that drives a remote from start to end.
//   1. lists the remotes of the configured type,
//   2. sends the first one (or the one of device=ID) a request and polls until its answer is in
//      (by default: every report up to the end packet),
//   3. starts a request that waits for more reports than the remote sends, and cancels it,
//   4. releases the remote and everything else the engine holds.
//   page-runner examples/demo.js [vendor=4660] [product=22136] [device=ID] [request=HEX] [packets=-1] [end=FF]
load('common.js');

const plugin = embed();

function showAnswer(remote, answer) {
    const reportDigits = 2 * parseInt(remote.input_report_length, 10);
    if (responseCode(answer) !== 0 || !(reportDigits > 0)) {
        console.log(`answer: ${answer}`);
        return;
    }
    console.log(`answer: ${answer.length / reportDigits} report(s)`);
    for (let at = 0; at < answer.length; at += reportDigits)
        console.log(`  ${answer.substring(at, at + reportDigits)}`);
}

// Asks for more reports than the remote will send, then cancels while it waits.
async function cancelDemo(remote) {
    const op = {
        device: remote.device_id,
        request: wholeReports('0A0B0C', remote.output_report_length),
        packets: 100,
        timeout: 30000,
        end: '',
    };
    const answer = await perform(plugin, op, async () => {
        await sleep(100);
        console.log(`cancelCommand: ${plugin.cancelCommand(remote.device_id)}`);
    });
    console.log(`cancelled request ended with: ${answer}`);
}

async function demo() {
    console.log(`plug-in version ${plugin.getAttributeByKey('plugin_version')}`);
    const remotes = findRemotes(plugin);
    const wanted = setting('device');
    const remote = wanted === '' ? remotes[0] : remotes.find((r) => r.device_id === wanted);
    if (!remote) {
        console.log(wanted === '' ? 'no remotes found' : `no remote with device_id=${wanted}`);
        return 1;
    }
    console.log(`${remotes.length} remote(s); using device_id=${remote.device_id} (vendor ${remote.vendor_id}, ` +
                `product ${remote.product_id}, reports of ${remote.output_report_length}/` +
                `${remote.input_report_length} bytes)`);
    const op = {
        device: remote.device_id,
        request: wholeReports(setting('request', '0102030405060708'), remote.output_report_length),
        packets: numberSetting('packets', '-1'),
        timeout: numberSetting('timeout', '5000'),
        end: wholeReports(setting('end', 'FF'), remote.input_report_length),
    };
    console.log(`performOperation: ${op.request.length / 2} bytes, answer ` +
                (op.packets === -1 ? 'up to the end packet' : `${op.packets} report(s)`));
    const answer = await perform(plugin, op, () => console.log('in progress...'));
    showAnswer(remote, answer);
    await cancelDemo(remote);
    console.log(`cleanupRemote: ${plugin.cleanupRemote(remote.device_id)}`);
    console.log(`cleanupAll: ${plugin.cleanupAll()}`);
    return responseCode(answer) === 0 ? 0 : 1;
}

demo().then((code) => page.exit(code));
