// Lists the remotes of the configured type with their attributes.
//   page-runner examples/list_remotes.js [vendor=4660] [product=22136]
load('common.js');

var plugin = embed();
console.log('plug-in version ' + plugin.getAttributeByKey('plugin_version'));
var remotes = findRemotes(plugin);
if (remotes.length === 0)
    console.log('no remotes found');
for (var i = 0; i < remotes.length; i++) {
    var line = 'remote ' + (i + 1) + ':';
    for (var key in remotes[i])
        line += ' ' + key + '=' + remotes[i][key];
    console.log(line);
}
