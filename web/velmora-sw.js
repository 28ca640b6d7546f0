// SPDX-License-Identifier: GPL-3.0-or-later
// The page's service worker: the page, once opened over http(s), opens again without a
// network. Each file is taken from the network while there is one, so that a new build is
// never mixed with the files kept from an old one (the page, its worker and the module must
// be of one build, or a caption could come from another version), and from the files kept
// at the last visit when there is none.
'use strict';

const kCache = 'velmora-page';
const kFiles = ['./', 'index.html', 'velmora.css', 'velmora.js', 'velmora-panels.js', 'chart.umd.min.js',
  'velmora-worker.js', 'velmora-engine.js', 'velmora.webmanifest', 'velmora-icon.svg'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(kCache);
    try {
      const response = await fetch(request);
      // Only whole answers are kept; one that failed leaves the kept copy as it was.
      if (response.ok && response.type === 'basic') await cache.put(request, response.clone());
      return response;
    } catch (offline) {
      const kept = await cache.match(request, { ignoreSearch: true });
      if (kept) return kept;
      throw offline;
    }
  })());
});
