// serve.mjs -- serves a folder (the web build's page, program and intro.bmp) on 127.0.0.1 and prints its address.
//
//   node serve.mjs FOLDER [PORT]      (PORT 0 or none: a free one)
//
// Also imported by the browser tests, which may have it answer 404 for some files.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

// The right type for .wasm lets the browser compile the program while it downloads.
const types = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.bmp': 'image/bmp' };

// Starts serving `folder`; resolves to { address, close() }. `missing` names files to answer 404 for.
export async function serve(folder, { port = 0, missing = [] } = {}) {
  const root = path.resolve(folder);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
    const file = path.join(root, name === '/' ? 'index.html' : name);
    const found = file.startsWith(root + path.sep) && !missing.includes(path.basename(file)) &&
                  fs.statSync(file, { throwIfNoEntry: false })?.isFile();
    if (!found) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                              'Cache-Control': 'no-store' });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', resolve);
  });
  return { address: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder, port] = process.argv.slice(2);
  if (!folder || !fs.existsSync(path.join(folder, 'index.html'))) {
    console.error('usage: node serve.mjs FOLDER [PORT]   (FOLDER holds index.html: build/web after make web)');
    process.exit(2);
  }
  const { address } = await serve(folder, { port: Number(port || 0) });
  console.log(`Serving ${path.resolve(folder)} at ${address} (Ctrl+C stops)`);
}
