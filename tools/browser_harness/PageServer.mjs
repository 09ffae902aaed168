// A small web server for test and example pages: serves the files of one folder from
// 127.0.0.1 (a port of its own unless one is asked for), and nothing outside that folder but the
// folders mounted at a path of their own (mounts: {'/web/': folder}).
import fs from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json',
  '.svg': 'image/svg+xml',
};

export class PageServer {
  static async start(root, { host = '127.0.0.1', port = 0, mounts = {} } = {}) {
    const server = new PageServer(path.resolve(root), mounts);
    await new Promise((resolve, reject) => {
      server.http.once('error', reject);
      server.http.listen(port, host, resolve);
    });
    server.origin = `http://${host}:${server.http.address().port}`;
    return server;
  }

  constructor(root, mounts = {}) {
    this.root = root;
    this.mounts = Object.entries(mounts).map(([prefix, dir]) => [`/${prefix.replace(/^\/|\/$/g, '')}/`, path.resolve(dir)]);
    this.http = http.createServer((request, response) => this.serve(request, response));
  }

  url(file = '') {
    return `${this.origin}/${file.replace(/^\//, '')}`;
  }

  async serve(request, response) {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, this.origin).pathname);
    } catch (e) {
      response.writeHead(400).end();
      return;
    }
    const [prefix, root] = this.mounts.find(([mount]) => name.startsWith(mount)) ?? ['/', this.root];
    const rest = name.slice(prefix.length - 1);
    const file = path.join(root, rest.endsWith('/') ? `${rest}index.html` : rest);
    if (!file.startsWith(root + path.sep) && file !== root) {
      response.writeHead(403).end();
      return;
    }
    try {
      const body = await fs.readFile(file);
      response.writeHead(200, {
        'content-type': TYPES[path.extname(file)] ?? 'application/octet-stream',
        'cache-control': 'no-store',
      });
      response.end(body);
    } catch (e) {
      response.writeHead(404, { 'content-type': 'text/plain' }).end('not found\n');
    }
  }

  close() {
    this.http.closeAllConnections?.();
    return new Promise((resolve) => this.http.close(() => resolve()));
  }
}
