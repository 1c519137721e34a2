// Keeps the page for use offline. Installing stores every file of this version; each request is then
// answered from that store. The build names the store after the files' contents, so a new version of
// the page installs beside the old one and removes it once active.
'use strict';
const STORE = 'quillet-@VERSION@';
const FILES = [@FILES@];

// From the network, not the browser's HTTP cache, which may still hold the version before. A server
// with clean addresses answers index.html with a move to its folder, and a response that followed a
// move may answer no navigation: each file is kept as a response of its own.
const keep = (store, file) => fetch(file, { cache: 'reload' }).then((response) => {
  if (!response.ok) throw new TypeError(`${file}: ${response.status}`);
  return store.put(file, response.redirected ? new Response(response.body, response) : response);
});

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(STORE)
    .then((store) => Promise.all(FILES.map((file) => keep(store, file))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names.filter((name) => name !== STORE).map((name) => caches.delete(name))))
      .then(() => self.clients.claim()),
  );
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  // The address the page was opened at, with or without index.html, is the page.
  const request = event.request.mode === 'navigate' ? 'index.html' : event.request;
  event.respondWith(caches.open(STORE).then((store) => store.match(request, { ignoreSearch: true }))
    .then((stored) => stored || fetch(event.request)));
});
