// The origins the user allowed, in the extension's own IndexedDB. Content scripts run in their
// page's origin and cannot reach it, unlike storage.local, which every content script may write
// (so a compromised renderer of any site could allow itself there).
import { normalizeOrigins } from './origins.js';

const DATABASE = 'remote-bridge';
const STORE = 'settings';
const KEY = 'allowedOrigins';

let opened = null;
function database() {
  opened ??= new Promise((resolve, reject) => {
    const request = indexedDB.open(DATABASE, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
  opened.catch(() => { opened = null; });
  return opened;
}

function done(transaction) {
  return new Promise((resolve, reject) => {
    transaction.oncomplete = () => resolve();
    transaction.onerror = () => reject(transaction.error);
    transaction.onabort = () => reject(transaction.error);
  });
}

export const userOrigins = {
  async read() {
    const transaction = (await database()).transaction(STORE);
    const request = transaction.objectStore(STORE).get(KEY);
    await done(transaction);
    return normalizeOrigins(request.result);
  },

  async write(origins) {
    const transaction = (await database()).transaction(STORE, 'readwrite');
    transaction.objectStore(STORE).put(normalizeOrigins(origins), KEY);
    await done(transaction);
  },
};
