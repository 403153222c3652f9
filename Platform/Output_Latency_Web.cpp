// What a browser adds after SDL's buffer before a sample is heard: the audio
// graph's processing (baseLatency) and the output device's (outputLatency),
// as the page's audio context reports them.
#include "Platform/Audio_Output.h"

#include <emscripten.h>

EM_JS(double, Web_Output_Latency, (), {
    const sdl = Module['SDL2'];
    const context = sdl && sdl.audioContext;
    if (!context)
        return 0;
    return (context.baseLatency || 0) + (context.outputLatency || 0);
});

namespace Ryx_Platform
{
    std::uint32_t System_Output_Latency(std::uint32_t rate)
    {
        return static_cast<std::uint32_t>(Web_Output_Latency() * rate + 0.5);
    }
}
