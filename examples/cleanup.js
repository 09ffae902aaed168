// Releases each remote, then everything the engine holds.
//   page-runner examples/cleanup.js [vendor=4660] [product=22136]
load('common.js');

const plugin = embed();
for (const { device_id: device } of findRemotes(plugin))
    console.log(`cleanup ${device}: ${plugin.cleanupRemote(device)}`);
console.log(`cleanup all: ${plugin.cleanupAll()}`);
