// Sends one request to a remote and polls until its answer is in.
//   page-runner examples/send_request.js [vendor=4660] [product=22136] [device=ID] [request=HEX]
//                                        [packets=N] [timeout=MS] [end=HEX] [poll=MS]
load('common.js');

withRemote(async (plugin, remote) => {
    console.log(`remote ${remote.device_id}: sending ${setting('request')}`);
    const answer = await perform(plugin, operationFor(remote));
    console.log(`answer: ${answer}`);
    page.exit(responseCode(answer) === 0 ? 0 : 1);
});
