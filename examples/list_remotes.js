// Lists the remotes of the configured type with their attributes.
//   page-runner examples/list_remotes.js [vendor=4660] [product=22136]
//
// Written as pages were written for the browsers of the plug-in's time (ES5: var, plain loops,
// no helpers of common.js), to show that such pages still run unchanged.
var settings = { vendor: '4660', product: '22136' };
var names = { vendor: 'REMOTE_VENDOR_ID', product: 'REMOTE_PRODUCT_ID' };
for (var name in settings) {
    if (page.env(names[name]) !== undefined)
        settings[name] = page.env(names[name]);
    for (var a = 0; a < page.args.length; a++) {
        if (page.args[a].indexOf(name + '=') === 0)
            settings[name] = page.args[a].substring(name.length + 1);
    }
}

var plugin = embed();
console.log('plug-in version ' + plugin.getAttributeByKey('plugin_version'));
plugin.addHidlet(parseInt(settings.vendor), parseInt(settings.product));

var records = plugin.getDevices().split('||');
var count = 0;
for (var i = 0; i < records.length; i++) {
    if (records[i] === '')
        continue;
    var line = 'remote ' + (++count) + ':';
    var attributes = records[i].split(';;');
    for (var j = 0; j < attributes.length; j++) {
        var equals = attributes[j].indexOf('=');
        if (equals > 0)
            line += ' ' + attributes[j].substring(0, equals) + '=' + attributes[j].substring(equals + 1);
    }
    console.log(line);
}
if (count === 0)
    console.log('no remotes found');
