// Owners for the FFmpeg objects of the video writer: each held by a
// std::unique_ptr whose deleter is the library's own free function, so that
// no early return or failed open leaks one.
#pragma once
extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace Ryx_Capture
{
    struct Av_Free
    {
        // The output file too, if it is still open.
        void operator()(AVFormatContext* format) const
        {
            if (format->pb)
                avio_closep(&format->pb);
            avformat_free_context(format);
        }
        void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
        void operator()(AVFrame* frame) const { av_frame_free(&frame); }
        void operator()(AVPacket* packet) const { av_packet_free(&packet); }
        void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
        void operator()(SwrContext* resampler) const { swr_free(&resampler); }
        void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
    };

    template <typename T>
    using Av_Ptr = std::unique_ptr<T, Av_Free>;

    // FFmpeg's text for an error code.
    inline std::string Av_Error(int code)
    {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(code, text, sizeof text);
        return text;
    }

    // A frame with buffers of that format and size; null when out of memory.
    inline Av_Ptr<AVFrame> Allocate_Picture(AVPixelFormat format, int width, int height)
    {
        Av_Ptr<AVFrame> frame(av_frame_alloc());
        if (!frame)
            return nullptr;
        frame->format = format;
        frame->width = width;
        frame->height = height;
        return av_frame_get_buffer(frame.get(), 0) >= 0 ? std::move(frame) : nullptr;
    }
}
