// Starts a request, cancels it as soon as it runs, and shows how it ended (600 when the cancel won).
//   page-runner examples/cancel_request.js [settings as for send_request.js]
load('common.js');

withRemote(async (plugin, remote) => {
    const answer = await perform(plugin, operationFor(remote), () => {
        console.log(`cancel: ${plugin.cancelCommand(remote.device_id)}`);
    });
    console.log(`ended with: ${answer}`);
    page.exit(0);
});
