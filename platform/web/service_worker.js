// The site's service worker: after one visit the game plays offline. Every
// file of the site is kept in one cache named for this version of the site
// (a hash of its files, written in at build time), and served from there.
// When a new version is published, the browser finds this file changed on
// the next visit, the new worker fetches the new files into a cache of its
// own, takes over at once and drops the old caches: the visit after that
// plays the new version, whole.
'use strict';
var Version = '@VERSION@';
var Files = @FILES@;
var Cache = 'mirelantha-' + Version;

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(Cache).then(function (cache) {
    // Checked with the server, so that no file of an older version kept in
    // the browser's own cache slips into this one.
    return cache.addAll(Files.map(function (file) {
      return new Request(file, { cache: 'no-cache' });
    }));
  }).then(function () {
    return self.skipWaiting();
  }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf('mirelantha-') === 0 && name !== Cache;
    }).map(function (name) {
      return caches.delete(name);
    }));
  }).then(function () {
    return self.clients.claim();
  }));
});

self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET') return;
  // The site's folder is its index.html (not every host serves the one for
  // the other, so only index.html is kept).
  var url = new URL(event.request.url);
  var wanted = /\/$/.test(url.pathname) ? url.origin + url.pathname + 'index.html' : event.request;
  event.respondWith(caches.open(Cache).then(function (cache) {
    return cache.match(wanted, { ignoreSearch: true }).then(function (kept) {
      return kept || fetch(event.request);
    });
  }));
});
