// What the core imports from its host for the settings search: a read of the page's file and
// the search's progress. core.js supplies both; this only tells the linker they exist.
mergeInto(LibraryManager.library, {
    pomuru_read_source: function () {},
    pomuru_search_progress: function () {},
});
