// Serves the example page from 127.0.0.1:
//   node examples/web/serve.mjs [port]        (default 8180)
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { PageServer } from '../../tools/browser_harness/PageServer.mjs';

const port = Number(process.argv[2] ?? 8180);
const server = await PageServer.start(path.dirname(fileURLToPath(import.meta.url)), { port });
console.log(`example page: ${server.url('index.html')}  (Ctrl-C ends)`);
