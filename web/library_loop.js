// The game's calls to the page (web/loop.cpp), linked with --js-library as SDL's page port's
// are; docs/README-web.md lists all that the page and the game give each other.
mergeInto(LibraryManager.library, {
  TellPageGameEnded: function() {
    if (Module['onGameEnded']) Module['onGameEnded']();
  },

  // Lets the page read what the frame just run holds (web/view.cpp).
  TellPageFrameRun: function() {
    if (Module['onFrameShown']) Module['onFrameShown']();
  },

  // The browser's next animation frame runs RunFrame.
  RequestFrame: function() {
    requestAnimationFrame(function() {
      _RunFrame();
    });
  },
});
