// Writes the captured show as an MP4 file: H.264 video and AAC sound through
// the FFmpeg libraries. Frames are handed over and encoded on a worker thread,
// so the show renders the next frame while the encoder works on this one.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace Ryx_Capture
{
    struct Mp4_Settings
    {
        int width = 640;
        int height = 480;
        int fps = 60;
        bool lossless = false;     // libx264rgb at qp 0: every pixel exact
        const char* preset = "ultrafast";
        int crf = 16;
        int audio_rate = 44100;
        int audio_bit_rate = 192000;
    };

    class Mp4_Writer
    {
    public:
        virtual ~Mp4_Writer() = default;
        // pixels: width x height 0xAARRGGBB values; alpha is not part of the picture.
        virtual bool Add_Frame(const std::uint32_t* pixels) = 0;
        // Interleaved stereo 16-bit frames at the audio rate.
        virtual bool Add_Audio(const std::int16_t* samples, std::size_t frames) = 0;
        // Waits until every frame and sound handed over so far has gone into
        // the encoders (they may still hold a few frames of look-ahead).
        virtual void Wait_Until_Idle() = 0;
        // Flushes the encoders and closes the file; false with a reason on failure.
        virtual bool Finish(std::string& error) = 0;
        // Seconds the worker thread spent converting and encoding.
        virtual double Get_Encode_Seconds() const = 0;
    };

    // Opens the file (through a temporary name that Finish renames); null with a reason on failure.
    std::unique_ptr<Mp4_Writer> Open_Mp4(const std::string& path, const Mp4_Settings& settings, std::string& error);
}
