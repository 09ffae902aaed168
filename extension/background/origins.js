// Origins as the extension keeps them: "scheme://host[:port]", the form a page's location.origin
// has. Texts from the administrator's policy are read the same way, so "https://Example.com:443/"
// allows https://example.com; anything that is not an http(s) origin allows nothing.
export function normalizeOrigin(text) {
  if (typeof text !== 'string')
    return null;
  let url;
  try {
    url = new URL(text);
  } catch (e) {
    return null;
  }
  if (url.protocol !== 'https:' && url.protocol !== 'http:')
    return null;
  if (url.username || url.password || (url.pathname !== '/' && url.pathname !== '') || url.search || url.hash)
    return null;
  return url.origin;
}

export function normalizeOrigins(list) {
  if (!Array.isArray(list))
    return [];
  const origins = new Set();
  for (const text of list) {
    const origin = normalizeOrigin(text);
    if (origin)
      origins.add(origin);
  }
  return [...origins];
}

// The user's choices live in storage.local under this key, the administrator's in
// storage.managed under the same key.
export const ALLOWED_ORIGINS_KEY = 'allowedOrigins';

// storage: the browser's storage namespace. Managed storage is absent where no policy was set
// (Firefox rejects the read then); that allows nothing.
export async function readAllowedOrigins(storage) {
  const local = await storage.local.get(ALLOWED_ORIGINS_KEY).catch(() => ({}));
  let managed = {};
  if (storage.managed)
    managed = await storage.managed.get(ALLOWED_ORIGINS_KEY).catch(() => ({}));
  return {
    user: normalizeOrigins(local?.[ALLOWED_ORIGINS_KEY]),
    managed: normalizeOrigins(managed?.[ALLOWED_ORIGINS_KEY]),
  };
}

export async function writeUserOrigins(storage, origins) {
  await storage.local.set({ [ALLOWED_ORIGINS_KEY]: normalizeOrigins(origins) });
}
