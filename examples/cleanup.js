// Releases each remote, then everything the engine holds.
//   page-runner examples/cleanup.js [vendor=4660] [product=22136]
load('common.js');

var plugin = embed();
var remotes = findRemotes(plugin);
for (var i = 0; i < remotes.length; i++)
    console.log('cleanup ' + remotes[i].device_id + ': ' + plugin.cleanupRemote(remotes[i].device_id));
console.log('cleanup all: ' + plugin.cleanupAll());
