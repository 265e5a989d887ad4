// Defaults for the sanitizer builds of the test programs; other builds never read these.

// The synthesizer renders on OpenMP worker threads. libgomp hands work between them with its
// own futex code, which ThreadSanitizer cannot see, so it reports races inside libgomp's
// allocations that are not races.
//
// Qt (and the GLib main loop under it) is not built with ThreadSanitizer and synchronises its own worker threads (the raster
// engine's and image conversions' thread pool) through futexes it cannot see. Calls that Qt
// itself makes into the allocator and memory routines are therefore not checked; our own
// code stays fully checked, including what it does from inside Qt's event loop. GLib's own
// threads (behind the sound back end) are skipped the same way, and so are PulseAudio's
// (its main-loop thread hands its mutexes to ours through code the sanitizer cannot see);
// the sanitizer run keeps Qt's event loop off GLib (QT_NO_GLIB) so that this never hides a
// report from our handlers.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libgomp.so\n"
           "called_from_lib:libgomp.so\n"
           "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "called_from_lib:libQt6Multimedia.so.6\n"
           "called_from_lib:libQt6Network.so.6\n"
           "race:libglib-2.0.so.0\n"
           "race:libpulse\n";
}
