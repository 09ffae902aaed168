// Sends one request to a remote and polls until its answer is in.
//   page-runner examples/send_request.js [vendor=4660] [product=22136] [device=ID] [request=HEX]
//                                        [packets=N] [timeout=MS] [end=HEX] [poll=MS]
load('common.js');

var plugin = embed();
var remote = chooseRemote(plugin);
if (remote === null) {
    console.log('no remotes found');
    page.exit(1);
} else {
    console.log('remote ' + remote.device_id + ': sending ' + setting('request'));
    performAndWait(plugin, remote, function (answer) {
        console.log('answer: ' + answer);
        page.exit(responseCode(answer) === 0 ? 0 : 1);
    });
}
