// Preloaded before umockdev's library into the game it runs: the sound libraries probe every
// possible card node, and umockdev's preload keeps a small table of failed /dev opens that
// overflows on them. Those probes fail here at once, as they would on a machine without cards,
// and never reach umockdev.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>

static int Refused(const char* path)
{
    if (path && (strncmp(path, "/dev/snd/controlC", 17) == 0 || strncmp(path, "/dev/aloadC", 11) == 0)) {
        errno = ENOENT;
        return 1;
    }
    return 0;
}

static mode_t Mode(int flags, va_list args)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(args, int) : 0;
}

#define FORWARD_OPEN(name)                                                  \
    int name(const char* path, int flags, ...)                             \
    {                                                                       \
        va_list args;                                                       \
        va_start(args, flags);                                              \
        const mode_t mode = Mode(flags, args);                              \
        va_end(args);                                                       \
        if (Refused(path))                                                  \
            return -1;                                                      \
        static int (*next)(const char*, int, ...);                          \
        if (!next)                                                          \
            next = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, #name); \
        return next(path, flags, mode);                                     \
    }

#define FORWARD_OPENAT(name)                                                     \
    int name(int dir, const char* path, int flags, ...)                         \
    {                                                                            \
        va_list args;                                                            \
        va_start(args, flags);                                                   \
        const mode_t mode = Mode(flags, args);                                   \
        va_end(args);                                                            \
        if (Refused(path))                                                       \
            return -1;                                                           \
        static int (*next)(int, const char*, int, ...);                          \
        if (!next)                                                               \
            next = (int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, #name); \
        return next(dir, path, flags, mode);                                     \
    }

FORWARD_OPEN(open)
FORWARD_OPEN(open64)
FORWARD_OPENAT(openat)
FORWARD_OPENAT(openat64)

int __open_2(const char* path, int flags)
{
    return open(path, flags);
}

int __open64_2(const char* path, int flags)
{
    return open64(path, flags);
}
