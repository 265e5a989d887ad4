// The synthesizer renders on OpenMP worker threads. libgomp hands work between them with its
// own futex code, which ThreadSanitizer cannot see, so it reports races inside libgomp's
// allocations that are not races. Only builds with ThreadSanitizer read this.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:libgomp.so\n"
           "called_from_lib:libgomp.so\n";
}
