// The per-frame hook that the engine calls once each frame.
#pragma once
#include "Lib/Lib_Api.h"

namespace Ryx_Lib
{
    class RYX_LIB_API Callback
    {
    public:
        virtual ~Callback();
        virtual void Execute() = 0;
    };
}
