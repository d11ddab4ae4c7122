// Keeps the game playable offline once the page has loaded: every file the
// page fetched is kept, and served from there when the network fails. The
// network comes first, so a newer build replaces the kept one.
'use strict';
const KEPT = 'quarndel';
const FILES = ['./', 'index.html', 'sound.js', 'page.js', 'page.css', 'quarndel.js', 'quarndel.wasm',
  'quarndel.data'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(KEPT).then((cache) => cache.addAll(FILES)).catch(() => {}));
  self.skipWaiting();
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(fetch(event.request).then((response) => {
    if (response.ok && new URL(event.request.url).origin === location.origin) {
      const copy = response.clone();
      caches.open(KEPT).then((cache) => cache.put(event.request, copy));
    }
    return response;
  }).catch(() => caches.match(event.request, { ignoreSearch: true })));
});
