// Writes the captured show as a video file through the FFmpeg libraries:
// FILE.mp4 holds H.264 and AAC, FILE.mkv lossless FFV1 and FLAC. Frames are
// handed over and encoded on a worker thread, so the show renders the next
// frame while the encoder works on this one.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "Platform/Audio_Rate.h"
#include "Tools/Capture/Enlarge.h"

namespace Ryx_Capture
{
    // x264 settings of the default video: about 100 MB for the whole show at
    // 60 fps, the densest line frames still sharp, well inside real time.
    constexpr int Default_Crf = 21;
    constexpr const char* Default_Preset = "veryfast";

    struct Video_Settings
    {
        Frame_Layout layout;  // 640 x 480 frames in, this frame out
        int fps = 60;
        bool lossless = false;  // .mp4: libx264rgb at qp 0, every pixel exact
        std::string preset = Default_Preset;
        int crf = Default_Crf;
        int audio_rate = Ryx_Platform::Audio_Rate;
        int audio_bit_rate = 192000;
    };

    class Video_Writer
    {
    public:
        virtual ~Video_Writer() = default;
        // pixels: source_width x source_height 0xAARRGGBB values; alpha is not
        // part of the picture. False once the writer has failed (Finish says why).
        virtual bool Add_Frame(const std::uint32_t* pixels) = 0;
        // Interleaved stereo 16-bit frames at the audio rate.
        virtual bool Add_Audio(const std::int16_t* samples, std::size_t frames) = 0;
        // Waits until every frame and sound handed over so far has gone into
        // the encoders (they may still hold a few frames of look-ahead).
        virtual void Wait_Until_Idle() = 0;
        // Flushes the encoders and closes the temporary file; false with a
        // reason that names the file.
        virtual bool Finish(std::string& error) = 0;
        // Renames the finished file into place.
        virtual bool Commit(std::string& error) = 0;
        // Bytes on disk so far.
        virtual std::uint64_t Get_Size() const = 0;
        // Seconds the worker thread spent converting and encoding, and of
        // that, enlarging.
        virtual double Get_Encode_Seconds() const = 0;
        virtual double Get_Enlarge_Seconds() const = 0;
    };

    // Opens FILE.part beside the file; null with a reason on failure. note:
    // one line for the user when the encoder is not the usual one.
    std::unique_ptr<Video_Writer> Open_Video(const std::string& path, const Video_Settings& settings,
                                             std::string& error, std::string& note);

    // The H.264 encoders to try, best first: x264, else what else this FFmpeg
    // has that takes plain frames (hardware encoders open only where their
    // hardware is). has: whether FFmpeg has an encoder of that name.
    std::vector<std::string> H264_Encoders(const std::function<bool(const char*)>& has);
}
