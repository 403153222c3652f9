// A recording of the show read through FFmpeg, frame by frame, for
// flash_check: each frame as 0x00RRGGBB pixels at the video's own size, with
// its time from the start of the video.
#pragma once
#include <functional>
#include <string>

#include "Tools/Flash_Check/Show_Frames.h"

namespace Ryx_Tools
{
    // Hands every frame to visit (order and row -1: not known). False, with
    // the reason, when the file cannot be read or decoded.
    bool Read_Video(const std::string& path, const std::function<void(const Shown_Frame&)>& visit, std::string& error);
}
