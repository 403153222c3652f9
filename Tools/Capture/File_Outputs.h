// The outputs a capture can be asked for, each behind Capture_Output.
#pragma once
#include <memory>
#include <string>

#include "Tools/Capture/Capture_Output.h"
#include "Tools/Capture/Enlarge.h"
#include "Tools/Capture/Video_Writer.h"

namespace Ryx_Capture
{
    // --log: a line per frame: index, order, row, hash, brightness.
    std::unique_ptr<Capture_Output> Make_Log_Output(const std::string& path);
    // 16-bit stereo WAV at the show's rate.
    std::unique_ptr<Capture_Output> Make_Wav_Output(const std::string& path);
    // The frames as raw 0xAARRGGBB values, one after another.
    std::unique_ptr<Capture_Output> Make_Raw_Output(const std::string& path);
    // --at: frame `frame` of the show as a PNG file.
    std::unique_ptr<Capture_Output> Make_Still_Output(const std::string& path, long frame, const Frame_Layout& layout);
    // --sheet: one thumbnail per order, labelled.
    std::unique_ptr<Capture_Output> Make_Sheet_Output(const std::string& path);
    // FILE.mp4 or FILE.mkv.
    std::unique_ptr<Capture_Output> Make_Video_Output(const std::string& path, const Video_Settings& settings);
}
