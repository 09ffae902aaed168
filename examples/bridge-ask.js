// A page in today's script for the shell: it asks the shell for two numbers and waits for the
// answer with await, then sends their sum together with what the render helper tells of the
// machine.
//   printf 'send numbers [20, 22]\n' | build/bin/bridge-shell examples/bridge-ask.js
'use strict';

class Shell {
    // Sends message `name` and resolves with the arguments of the shell's message of the same name.
    ask(name, args = []) {
        return new Promise((resolve) => {
            app.setMessageCallback(name, (_name, answer) => {
                app.removeMessageCallback(name);
                resolve(answer);
                return true;
            });
            app.sendMessage(name, args);
        });
    }
}

async function main() {
    const shell = new Shell();
    const [a, b] = await shell.ask('numbers');
    const facts = { version: jsHandler.getAppVersion(), locale: jsHandler.getKeyBoardLocale() };
    app.sendMessage('sum', [a + b, `version ${facts.version}, keyboard ${facts.locale}`]);
}

main().catch((error) => app.sendMessage('failed', [String(error)]));
