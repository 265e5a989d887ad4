// Defaults for the sanitizer builds of the test programs; other builds never read these.

// The synthesizer renders on OpenMP worker threads. libgomp hands work between them with its
// own futex code, which ThreadSanitizer cannot see, so it reports races inside libgomp's
// allocations that are not races.
//
// Qt is not built with ThreadSanitizer and synchronises its own worker threads (the raster
// engine's and image conversions' thread pool) through futexes it cannot see. Calls that Qt
// itself makes into the allocator and memory routines are therefore not checked; our own
// code stays fully checked, including what it does from inside Qt's event loop.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libgomp.so\n"
           "called_from_lib:libgomp.so\n"
           "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n";
}
