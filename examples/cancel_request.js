// Starts a request, cancels it as soon as it runs, and shows how it ended (600 when the cancel won).
//   page-runner examples/cancel_request.js [settings as for send_request.js]
load('common.js');

var plugin = embed();
var remote = chooseRemote(plugin);
if (remote === null) {
    console.log('no remotes found');
    page.exit(1);
} else {
    performAndWait(plugin, remote, function (answer) {
        console.log('ended with: ' + answer);
        page.exit(0);
    }, function () {
        console.log('cancel: ' + plugin.cancelCommand(remote.device_id));
    });
}
