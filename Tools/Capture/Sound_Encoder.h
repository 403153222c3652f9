// The sound side of a video: AAC (or FLAC in Matroska), the show's 16-bit
// stereo samples converted to the encoder's sample format and cut into the
// encoder's frame size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "Tools/Capture/Av_Owners.h"
#include "Tools/Capture/Video_Writer.h"

namespace Ryx_Capture
{
    class Sound_Encoder
    {
    public:
        // Hands one encoder frame on; false once the writer has failed.
        using Send = std::function<bool(AVFrame*)>;

        // Adds the sound stream to `format` and opens its encoder; false with
        // the reason.
        bool Open(AVFormatContext* format, const Video_Settings& settings, bool matroska, std::string& error);
        // Interleaved stereo frames; every whole encoder frame goes to send.
        // False on failure, with the reason unless send failed.
        bool Add(const std::int16_t* samples, std::size_t frames, const Send& send, std::string& error);
        // The rest, the last partial frame too.
        bool Drain(const Send& send, std::string& error) { return Drain(true, send, error); }

        AVCodecContext* Get_Codec() const { return m_codec.get(); }
        AVStream* Get_Stream() const { return m_stream; }

    private:
        bool Drain(bool final, const Send& send, std::string& error);

        AVStream* m_stream = nullptr;  // the format context's
        Av_Ptr<AVCodecContext> m_codec;
        Av_Ptr<SwrContext> m_resampler;
        Av_Ptr<AVAudioFifo> m_fifo;
        Av_Ptr<AVFrame> m_frame;
        int m_frame_size = 1024;
        std::int64_t m_samples = 0;
    };
}
