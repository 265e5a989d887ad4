#include "hid/HidBackend.h"

#include "hid/linux/HidrawBackend.h"

#include <mutex>
#include <utility>

namespace {

std::mutex BackendLock;
std::shared_ptr<THidBackend> CurrentBackend;

}  // namespace

std::shared_ptr<THidBackend> HidBackend()
{
    std::lock_guard lock(BackendLock);
    if (!CurrentBackend)
        CurrentBackend = std::make_shared<THidrawBackend>();
    return CurrentBackend;
}

std::shared_ptr<THidBackend> SetHidBackend(std::shared_ptr<THidBackend> backend)
{
    std::lock_guard lock(BackendLock);
    return std::exchange(CurrentBackend, std::move(backend));
}
