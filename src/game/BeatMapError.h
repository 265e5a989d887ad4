#pragma once

#include "platform/Exception.h"

// Everything that goes wrong while reading the beat map. The messages are the fixed texts the
// player sees in the message box.
class EBeatMapError : public Exception {
public:
    using Exception::Exception;
};
