#include "Tools/Capture/Picture_Encoder.h"

extern "C"
{
#include <libavutil/opt.h>
}

#include <chrono>

namespace Ryx_Capture
{
    namespace
    {
        // Bits a pixel for the encoders that take a bit rate instead of a quality:
        // about the default x264 video's size.
        constexpr double Fallback_Bits_Per_Pixel = 0.2;

        bool Takes(const AVCodec* codec, AVPixelFormat format)
        {
            for (const AVPixelFormat* p = codec->pix_fmts; p && *p != AV_PIX_FMT_NONE; ++p)
                if (*p == format)
                    return true;
            return false;
        }

        double Since(std::chrono::steady_clock::time_point t)
        {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        }
    }

    Av_Ptr<AVCodecContext> Picture_Encoder::New_Context(const AVCodec* codec, AVPixelFormat format) const
    {
        Av_Ptr<AVCodecContext> c(avcodec_alloc_context3(codec));
        if (!c)
            return nullptr;
        c->width = m_settings.layout.width;
        c->height = m_settings.layout.height;
        c->time_base = AVRational{1, m_settings.fps};
        c->framerate = AVRational{m_settings.fps, 1};
        c->sample_aspect_ratio = AVRational{1, 1};
        c->pix_fmt = format;
        c->thread_count = 2;
        if (format == AV_PIX_FMT_YUV420P)
        {
            // The pixels are sRGB, whose primaries are BT.709's; the
            // conversion below uses BT.709's matrix in video range.
            c->colorspace = AVCOL_SPC_BT709;
            c->color_primaries = AVCOL_PRI_BT709;
            c->color_trc = AVCOL_TRC_BT709;
            c->color_range = AVCOL_RANGE_MPEG;
        }
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        return c;
    }

    bool Picture_Encoder::Open_Lossless(bool matroska, std::string& error)
    {
        const std::string name = matroska ? "ffv1" : "libx264rgb";
        const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
        if (!codec)
            return error = matroska ? "this FFmpeg has no FFV1 encoder for .mkv"
                                    : "this FFmpeg has no libx264rgb for --lossless: write FILE.mkv "
                                      "for lossless FFV1 instead",
                   false;
        m_codec = New_Context(codec, AV_PIX_FMT_BGR0);
        if (!m_codec)
            return error = "out of memory", false;
        if (matroska)
        {
            m_codec->gop_size = 1;
            av_opt_set_int(m_codec->priv_data, "level", 3, 0);
            av_opt_set_int(m_codec->priv_data, "slices", 4, 0);
            av_opt_set_int(m_codec->priv_data, "slicecrc", 1, 0);
        }
        else
        {
            m_codec->gop_size = m_settings.fps * 2;
            av_opt_set(m_codec->priv_data, "preset", "ultrafast", 0);
            av_opt_set(m_codec->priv_data, "qp", "0", 0);
        }
        int r = avcodec_open2(m_codec.get(), codec, nullptr);
        if (r < 0)
            return error = "cannot open the " + name + " encoder: " + Av_Error(r), false;
        return true;
    }

    bool Picture_Encoder::Open_H264(std::string& error, std::string& note)
    {
        std::vector<std::string> names =
            H264_Encoders([](const char* n) { return avcodec_find_encoder_by_name(n) != nullptr; });
        std::string name;
        // Hardware encoders say at length why they cannot open here.
        av_log_set_level(AV_LOG_QUIET);
        for (const std::string& candidate : names)
        {
            const AVCodec* codec = avcodec_find_encoder_by_name(candidate.c_str());
            if (!Takes(codec, AV_PIX_FMT_YUV420P))
                continue;
            m_codec = New_Context(codec, AV_PIX_FMT_YUV420P);
            if (!m_codec)
                return error = "out of memory", false;
            m_codec->gop_size = m_settings.fps * 2;
            if (candidate == "libx264")
            {
                av_opt_set(m_codec->priv_data, "preset", m_settings.preset.c_str(), 0);
                av_opt_set_int(m_codec->priv_data, "crf", m_settings.crf, 0);
            }
            else
                m_codec->bit_rate =
                    std::int64_t(Fallback_Bits_Per_Pixel * m_codec->width * m_codec->height * m_settings.fps);
            if (avcodec_open2(m_codec.get(), codec, nullptr) >= 0)
            {
                name = candidate;
                break;
            }
            m_codec.reset();
        }
        av_log_set_level(AV_LOG_ERROR);
        if (name.empty())
            return error = "this FFmpeg has no H.264 encoder that works here (libx264 is missing): "
                           "install FFmpeg with libx264, or write FILE.mkv",
                   false;
        if (name != "libx264")
            note = "this FFmpeg has no libx264: encoding H.264 with " + name +
                " instead, at a set bit rate (--crf and --preset do not apply)";
        return true;
    }

    bool Picture_Encoder::Open(AVFormatContext* format, const Video_Settings& settings, bool matroska,
                               std::string& error, std::string& note)
    {
        m_format = format;
        m_settings = settings;
        m_stream = avformat_new_stream(format, nullptr);
        if (!m_stream)
            return error = "out of memory", false;
        if (!(matroska || settings.lossless ? Open_Lossless(matroska, error) : Open_H264(error, note)))
            return false;
        avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
        m_stream->time_base = m_codec->time_base;
        m_stream->avg_frame_rate = m_codec->framerate;
        m_stream->sample_aspect_ratio = m_codec->sample_aspect_ratio;

        m_picture = Allocate_Picture(m_codec->pix_fmt, m_codec->width, m_codec->height);
        if (!m_picture)
            return error = "out of memory", false;
        if (m_codec->pix_fmt != AV_PIX_FMT_YUV420P)
            return true;
        const Frame_Layout& l = settings.layout;
        m_scaler.reset(sws_getContext(l.source_width, l.source_height, AV_PIX_FMT_BGR0, l.source_width, l.source_height,
                                      AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!m_scaler)
            return error = "no colour converter", false;
        const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(m_scaler.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        if (l.width != l.source_width || l.height != l.source_height)
        {
            m_small = Allocate_Picture(AV_PIX_FMT_YUV420P, l.source_width, l.source_height);
            if (!m_small)
                return error = "out of memory", false;
        }
        return true;
    }

    AVFrame* Picture_Encoder::Convert(const std::uint32_t* pixels, std::string& error)
    {
        if (av_frame_make_writable(m_picture.get()) < 0)
            return error = "out of memory", nullptr;
        const Frame_Layout& l = m_settings.layout;
        if (!m_scaler)
        {
            auto start = std::chrono::steady_clock::now();
            Enlarge(pixels, l.source_width, l, reinterpret_cast<std::uint32_t*>(m_picture->data[0]),
                    m_picture->linesize[0] / 4, 0);
            m_enlarge_seconds += Since(start);
        }
        else
        {
            // Colour conversion at the show's size; enlarging the three
            // planes after it costs a copy, not a conversion.
            AVFrame* target = m_small ? m_small.get() : m_picture.get();
            const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
            int strides[1] = {l.source_width * 4};
            sws_scale(m_scaler.get(), planes, strides, 0, l.source_height, target->data, target->linesize);
            if (m_small)
            {
                auto start = std::chrono::steady_clock::now();
                Enlarge_Plane(m_small->data[0], m_small->linesize[0], l, 1, m_picture->data[0], m_picture->linesize[0],
                              16);
                for (int p = 1; p < 3; ++p)
                    Enlarge_Plane(m_small->data[p], m_small->linesize[p], l, 2, m_picture->data[p],
                                  m_picture->linesize[p], 128);
                m_enlarge_seconds += Since(start);
            }
        }
        m_picture->pts = m_frames++;
        return m_picture.get();
    }
}
