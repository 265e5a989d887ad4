#pragma once

// Play drivers: something that can be run and halted. The base does nothing.
class TSynergy {
public:
    virtual ~TSynergy() = default;
    virtual void Run() {}
    virtual void Halt() {}
};
