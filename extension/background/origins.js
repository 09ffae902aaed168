// Origins as the extension keeps them: "scheme://host[:port]", the form a page's location.origin
// has. Texts from the administrator's policy are read the same way, so "https://Example.com:443/"
// allows https://example.com. Only origins whose pages get the extension's scripts can be
// allowed: https, and plain http on this computer (127.0.0.1, localhost).
const LOCAL_HTTP_HOSTS = new Set(['127.0.0.1', 'localhost']);

// Why the text allows no page (a short phrase for the options page), or null when it is an
// origin that can be allowed.
export function originProblem(text) {
  if (typeof text !== 'string')
    return 'not an origin';
  let url;
  try {
    url = new URL(text);
  } catch (e) {
    return 'not an origin';
  }
  if (url.protocol !== 'https:' && url.protocol !== 'http:')
    return 'not an origin';
  if (url.username || url.password || (url.pathname !== '/' && url.pathname !== '') || url.search || url.hash)
    return 'not an origin';
  // Some URL parsers take "*" into a host as it is, others escape it.
  if (text.includes('*') || url.hostname.includes('%'))
    return 'wildcards allow nothing';
  if (url.protocol === 'http:' && !LOCAL_HTTP_HOSTS.has(url.hostname))
    return 'plain http only for 127.0.0.1 and localhost';
  return null;
}

export function normalizeOrigin(text) {
  return originProblem(text) === null ? new URL(text).origin : null;
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

// The administrator's list lives in storage.managed under this key.
export const ALLOWED_ORIGINS_KEY = 'allowedOrigins';

// The origins the administrator's policy allows, and its entries that allow nothing with the
// reason. Managed storage is absent where no policy was set (Firefox rejects the read then).
export async function readManagedOrigins(storage) {
  let managed = {};
  if (storage.managed)
    managed = await storage.managed.get(ALLOWED_ORIGINS_KEY).catch(() => ({}));
  const entries = Array.isArray(managed?.[ALLOWED_ORIGINS_KEY]) ? managed[ALLOWED_ORIGINS_KEY] : [];
  return {
    origins: normalizeOrigins(entries),
    refused: entries.filter((entry) => originProblem(entry) !== null)
      .map((entry) => ({ entry: String(entry), reason: originProblem(entry) })),
  };
}

// The origin of the frame that sent a message. The browser says it; a sender without it is
// taken as an opaque origin, since its address alone does not tell (a sandboxed frame has the
// address of its site but no origin of it).
export function senderOrigin(sender) {
  return typeof sender?.origin === 'string' && sender.origin !== '' ? sender.origin : 'null';
}

// The origin of the page in the sender's tab (the site a frame is part of), or null when the
// browser does not say.
export function senderSite(sender) {
  try {
    const url = new URL(sender?.tab?.url);
    return url.protocol === 'https:' || url.protocol === 'http:' ? url.origin : null;
  } catch (e) {
    return null;
  }
}
