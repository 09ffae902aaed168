app.setMessageCallback('reply', function(name, args) {
  app.sendMessage('echo', args);
  return args[0] === true;      // only the boolean true counts as handled
});
app.sendMessage('hello', [1, 2.5, 'text', true, null, [3]]);
