// Keeps the whole site for playing offline. The build names the cache after the release, so a
// new release fetches everything anew and drops the old copy.
'use strict';

var CACHE = 'noughts-@VERSION@';
var FILES = [
  './', 'index.html', 'page.js', 'noughts.js', 'noughts.wasm.gz', 'noughts.data.gz',
  'manifest.webmanifest', 'icon-48.png', 'icon-128.png', 'icon-192.png', 'icon-256.png',
  'icon-512.png', 'icon-maskable-512.png'
];

self.addEventListener('install', function(event) {
  event.waitUntil(caches.open(CACHE)
                      .then(function(cache) {
                        return cache.addAll(FILES);
                      })
                      .then(function() {
                        return self.skipWaiting();
                      }));
});

self.addEventListener('activate', function(event) {
  event.waitUntil(caches.keys()
                      .then(function(names) {
                        return Promise.all(names
                                               .filter(function(name) {
                                                 return name.indexOf('noughts-') === 0 &&
                                                     name !== CACHE;
                                               })
                                               .map(function(name) {
                                                 return caches.delete(name);
                                               }));
                      })
                      .then(function() {
                        return self.clients.claim();
                      }));
});

self.addEventListener('fetch', function(event) {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(CACHE).then(function(cache) {
    return cache.match(event.request, {ignoreSearch: true}).then(function(cached) {
      return cached || fetch(event.request);
    });
  }));
});
