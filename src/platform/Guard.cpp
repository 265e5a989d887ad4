#include "platform/Guard.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {
TExceptionHandler& CurrentHandler()
{
    static TExceptionHandler handler;
    return handler;
}
} // namespace

TExceptionHandler SetApplicationExceptionHandler(TExceptionHandler handler)
{
    return std::exchange(CurrentHandler(), std::move(handler));
}

std::string ExceptionMessage(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

void ReportException(std::exception_ptr error)
{
    if (!error)
        return;
    try {
        if (CurrentHandler()) {
            CurrentHandler()(error);
            return;
        }
    } catch (...) {
        // A failing handler must not take the program down; fall through to stderr.
    }
    std::fprintf(stderr, "%s\n", ExceptionMessage(error).c_str());
}
