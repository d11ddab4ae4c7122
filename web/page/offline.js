// Keeps the game playable offline once the page has loaded: the game's own
// files are kept, and served from there when the network fails. The network
// comes first, so a newer build replaces the kept one. Nothing else the page
// fetches (a recording) is kept.
'use strict';
const KEPT = 'quarndel';
// The page's folder and every file of the site but this worker: the build
// writes them in (web/cmake/offline_list.cmake).
const FILES = [];

// Whether url is one of the game's files, beside this worker.
function kept(url) {
  const file = new URL(url);
  file.search = '';
  return FILES.some((name) => new URL(name, location.href).href === file.href);
}

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(KEPT).then((cache) => cache.addAll(FILES)).catch(() => {}));
  self.skipWaiting();
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(fetch(event.request).then((response) => {
    if (response.ok && kept(event.request.url)) {
      const copy = response.clone();
      caches.open(KEPT).then((cache) => cache.put(event.request, copy));
    }
    return response;
  }).catch(() => caches.match(event.request, { ignoreSearch: true })));
});
