#pragma once

#include <exception>
#include <functional>
#include <string>

// Exceptions must never unwind through Qt's event loop. Every handler the window system
// calls runs inside Guarded(), which passes anything thrown to the application's exception
// handler (the main window installs one that shows a message box).
using TExceptionHandler = std::function<void(std::exception_ptr)>;

// Returns the handler it replaces.
TExceptionHandler SetApplicationExceptionHandler(TExceptionHandler handler);
void ReportException(std::exception_ptr error);

template <typename F>
void Guarded(F&& body) noexcept
{
    try {
        body();
    } catch (...) {
        ReportException(std::current_exception());
    }
}

// The message of any exception, for showing it.
std::string ExceptionMessage(std::exception_ptr error);
