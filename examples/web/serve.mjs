// Serves the example pages from 127.0.0.1:
//   node examples/web/serve.mjs [port]        (default 8180)
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { PageServer } from '../../tools/browser_harness/PageServer.mjs';

// The page library (web/) is served at /web/, where the pages' imports of ../../web/ lead.
const here = path.dirname(fileURLToPath(import.meta.url));
const port = Number(process.argv[2] ?? 8180);
const server = await PageServer.start(here, { port, mounts: { '/web/': path.join(here, '..', '..', 'web') } });
console.log(`example pages: ${server.url('index.html')}, ${server.url('library-example.html')}  (Ctrl-C ends)`);
