// The picture side of a video: which encoder (FFV1 in Matroska, x264 in RGB
// for --lossless, else the best H.264 encoder that opens here), its settings,
// and each frame converted and enlarged into the picture it takes.
#pragma once
#include <cstdint>
#include <string>

#include "Tools/Capture/Av_Owners.h"
#include "Tools/Capture/Video_Writer.h"

namespace Ryx_Capture
{
    class Picture_Encoder
    {
    public:
        // Adds the video stream to `format` and opens its encoder; false with
        // the reason. note: one line for the user when the encoder is not the
        // usual one.
        bool Open(AVFormatContext* format, const Video_Settings& settings, bool matroska, std::string& error,
                  std::string& note);
        // The next picture for the encoder, from source_width x source_height
        // 0xAARRGGBB pixels; null with the reason on failure.
        AVFrame* Convert(const std::uint32_t* pixels, std::string& error);

        AVCodecContext* Get_Codec() const { return m_codec.get(); }
        AVStream* Get_Stream() const { return m_stream; }
        double Get_Enlarge_Seconds() const { return m_enlarge_seconds; }

    private:
        Av_Ptr<AVCodecContext> New_Context(const AVCodec* codec, AVPixelFormat format) const;
        bool Open_Lossless(bool matroska, std::string& error);
        bool Open_H264(std::string& error, std::string& note);

        AVFormatContext* m_format = nullptr;  // not ours: the writer's
        Video_Settings m_settings;
        AVStream* m_stream = nullptr;  // the format context's
        Av_Ptr<AVCodecContext> m_codec;
        Av_Ptr<AVFrame> m_picture;
        Av_Ptr<AVFrame> m_small;  // the converted frame before enlarging
        Av_Ptr<SwsContext> m_scaler;
        std::int64_t m_frames = 0;
        double m_enlarge_seconds = 0.0;
    };
}
