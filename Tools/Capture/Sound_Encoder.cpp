#include "Tools/Capture/Sound_Encoder.h"

extern "C"
{
#include <libavutil/channel_layout.h>
}

#include <algorithm>

namespace Ryx_Capture
{
    namespace
    {
        // Planes of converted samples, as FFmpeg allocates them.
        struct Sample_Planes
        {
            std::uint8_t** data = nullptr;
            ~Sample_Planes()
            {
                if (data)
                    av_freep(&data[0]);
                av_freep(&data);
            }
        };
    }

    bool Sound_Encoder::Open(AVFormatContext* format, const Video_Settings& settings, bool matroska, std::string& error)
    {
        const AVCodec* codec = avcodec_find_encoder(matroska ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
        if (!codec || !codec->sample_fmts)
            return error = matroska ? "this FFmpeg has no FLAC encoder" : "this FFmpeg has no AAC encoder", false;
        m_stream = avformat_new_stream(format, nullptr);
        m_codec.reset(avcodec_alloc_context3(codec));
        if (!m_stream || !m_codec)
            return error = "out of memory", false;
        m_codec->sample_fmt = codec->sample_fmts[0];  // FLTP for AAC, S16 for FLAC
        m_codec->sample_rate = settings.audio_rate;
        if (!matroska)
            m_codec->bit_rate = settings.audio_bit_rate;
        av_channel_layout_default(&m_codec->ch_layout, 2);
        m_codec->time_base = AVRational{1, settings.audio_rate};
        if (format->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int r = avcodec_open2(m_codec.get(), codec, nullptr);
        if (r < 0)
            return error = "cannot open the sound encoder: " + Av_Error(r), false;
        avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
        m_stream->time_base = m_codec->time_base;
        m_frame_size = m_codec->frame_size > 0 ? m_codec->frame_size : 1024;

        AVChannelLayout stereo;
        av_channel_layout_default(&stereo, 2);
        SwrContext* resampler = nullptr;
        r = swr_alloc_set_opts2(&resampler, &stereo, m_codec->sample_fmt, settings.audio_rate, &stereo,
                                AV_SAMPLE_FMT_S16, settings.audio_rate, 0, nullptr);
        m_resampler.reset(resampler);
        if (r < 0 || swr_init(m_resampler.get()) < 0)
            return error = "no sample converter", false;
        m_fifo.reset(av_audio_fifo_alloc(m_codec->sample_fmt, 2, m_frame_size * 4));
        m_frame.reset(av_frame_alloc());
        return (m_fifo && m_frame) || (error = "out of memory", false);
    }

    bool Sound_Encoder::Add(const std::int16_t* samples, std::size_t frames, const Send& send, std::string& error)
    {
        Sample_Planes converted;
        if (av_samples_alloc_array_and_samples(&converted.data, nullptr, 2, int(frames), m_codec->sample_fmt, 0) < 0)
            return error = "out of memory", false;
        const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(samples)};
        int count = swr_convert(m_resampler.get(), converted.data, int(frames), in, int(frames));
        if (count < 0)
            return error = "sample conversion failed", false;
        if (av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(converted.data), count) < count)
            return error = "out of memory", false;
        return Drain(false, send, error);
    }

    // Whole encoder frames of sound; at the end also the last partial one.
    bool Sound_Encoder::Drain(bool final, const Send& send, std::string& error)
    {
        AVAudioFifo* fifo = m_fifo.get();
        while (av_audio_fifo_size(fifo) >= m_frame_size || (final && av_audio_fifo_size(fifo) > 0))
        {
            int n = std::min(m_frame_size, av_audio_fifo_size(fifo));
            av_frame_unref(m_frame.get());
            m_frame->nb_samples = n;
            m_frame->format = m_codec->sample_fmt;
            m_frame->sample_rate = m_codec->sample_rate;
            av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout);
            if (av_frame_get_buffer(m_frame.get(), 0) < 0)
                return error = "out of memory", false;
            av_audio_fifo_read(fifo, reinterpret_cast<void**>(m_frame->data), n);
            m_frame->pts = m_samples;
            m_samples += n;
            if (!send(m_frame.get()))
                return false;
        }
        return true;
    }
}
