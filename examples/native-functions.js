// Calls each function of the page's jsHandler object and sends what it answered to the shell.
//   build/bin/bridge-shell examples/native-functions.js < /dev/null
app.sendMessage('appVersion', [jsHandler.getAppVersion()]);
app.sendMessage('keyBoardLocale', [jsHandler.getKeyBoardLocale()]);

// The layout export is a JSON array of {"K": label_keycode, "V": characters}.
var layout = jsHandler.getKeyboardLayout();
var keys = null;
try {
  keys = JSON.parse(layout);
} catch (e) {
  console.error('layout export is not JSON: ' + e);
}
app.sendMessage('keyboardLayout', [keys ? keys.length : -1, layout]);

// The first call records the cache-clearing request in the preference file; the second finds it
// on the file's first line and adds nothing.
app.sendMessage('clearCache', [typeof jsHandler.clearCache(), typeof jsHandler.clearCache()]);

app.sendMessage('showAbout', [typeof jsHandler.showAbout()]);
jsHandler.silverlightLoaded();
