#include "Tools/Flash_Check/Video_Frames.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace Ryx_Tools
{
    namespace
    {
        std::string Av_Error(int code)
        {
            char text[AV_ERROR_MAX_STRING_SIZE] = {};
            av_strerror(code, text, sizeof text);
            return text;
        }

        struct Input_Closer
        {
            void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
        };
        struct Codec_Freer
        {
            void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
        };
        struct Frame_Freer
        {
            void operator()(AVFrame* f) const { av_frame_free(&f); }
        };
        struct Packet_Freer
        {
            void operator()(AVPacket* p) const { av_packet_free(&p); }
        };
        struct Scaler_Freer
        {
            void operator()(SwsContext* s) const { sws_freeContext(s); }
        };

        class Video_Reader
        {
        public:
            Video_Reader(const std::function<void(const Shown_Frame&)>& visit) : m_visit(visit) {}

            bool Read(const std::string& path, std::string& error)
            {
                AVFormatContext* raw = nullptr;
                int code = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
                if (code < 0)
                    return error = "cannot open " + path + ": " + Av_Error(code), false;
                m_format.reset(raw);
                if ((code = avformat_find_stream_info(m_format.get(), nullptr)) < 0)
                    return error = "cannot read " + path + ": " + Av_Error(code), false;
                const AVCodec* codec = nullptr;
                m_stream = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
                if (m_stream < 0 || !codec)
                    return error = path + " holds no video that FFmpeg can decode", false;
                m_codec.reset(avcodec_alloc_context3(codec));
                AVStream* stream = m_format->streams[m_stream];
                m_time_base = av_q2d(stream->time_base);
                if (!m_codec || avcodec_parameters_to_context(m_codec.get(), stream->codecpar) < 0 ||
                    (code = avcodec_open2(m_codec.get(), codec, nullptr)) < 0)
                    return error = "cannot decode the video of " + path, false;
                m_frame.reset(av_frame_alloc());
                std::unique_ptr<AVPacket, Packet_Freer> packet(av_packet_alloc());
                if (!m_frame || !packet)
                    return error = "out of memory", false;
                while ((code = av_read_frame(m_format.get(), packet.get())) >= 0)
                {
                    bool ok = packet->stream_index != m_stream || Decode(packet.get(), error);
                    av_packet_unref(packet.get());
                    if (!ok)
                        return error = path + ": " + error, false;
                }
                if (code != AVERROR_EOF)
                    return error = "cannot read " + path + ": " + Av_Error(code), false;
                if (!Decode(nullptr, error))
                    return error = path + ": " + error, false;
                if (m_frames == 0)
                    return error = path + " holds no video frames", false;
                return true;
            }

        private:
            bool Decode(const AVPacket* packet, std::string& error)
            {
                int code = avcodec_send_packet(m_codec.get(), packet);
                if (code < 0 && code != AVERROR_EOF)
                    return error = "cannot decode: " + Av_Error(code), false;
                while ((code = avcodec_receive_frame(m_codec.get(), m_frame.get())) >= 0)
                {
                    bool ok = Deliver(error);
                    av_frame_unref(m_frame.get());
                    if (!ok)
                        return false;
                }
                if (code != AVERROR(EAGAIN) && code != AVERROR_EOF)
                    return error = "cannot decode: " + Av_Error(code), false;
                return true;
            }

            bool Deliver(std::string& error)
            {
                const AVFrame& f = *m_frame;
                if (f.width < 6 || f.height < 6)
                    return error = "frames too small to measure", false;
                if (f.width != m_width || f.height != m_height || f.format != m_format_in)
                {
                    m_scaler.reset(sws_getContext(f.width, f.height, AVPixelFormat(f.format), f.width, f.height,
                                                  AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr));
                    if (!m_scaler)
                        return error = "cannot convert its frames to RGB", false;
                    // The video's own matrix and range (the capture's: BT.709, limited).
                    sws_setColorspaceDetails(m_scaler.get(), sws_getCoefficients(f.colorspace),
                                             f.color_range == AVCOL_RANGE_JPEG, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                             0, 1 << 16, 1 << 16);
                    m_width = f.width, m_height = f.height, m_format_in = f.format;
                    m_pixels.assign(std::size_t(m_width) * std::size_t(m_height), 0);
                }
                std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(m_pixels.data()), nullptr, nullptr, nullptr};
                int strides[4] = {m_width * 4, 0, 0, 0};
                sws_scale(m_scaler.get(), f.data, f.linesize, 0, m_height, planes, strides);
                // Times from the start of the video; frames without one follow the last.
                std::int64_t pts = f.best_effort_timestamp;
                double seconds = pts == AV_NOPTS_VALUE ? m_last_seconds : double(pts) * m_time_base;
                if (m_frames == 0)
                    m_first_seconds = seconds;
                seconds = std::max(seconds - m_first_seconds, m_last_seconds);
                m_last_seconds = seconds;
                Shown_Frame frame;
                frame.pixels = frame.finished = m_pixels.data();
                frame.width = m_width;
                frame.height = m_height;
                frame.milliseconds = std::uint32_t(std::llround(seconds * 1000.0));
                frame.order = frame.row = -1;
                frame.in_show = true;
                m_visit(frame);
                ++m_frames;
                return true;
            }

            const std::function<void(const Shown_Frame&)>& m_visit;
            std::unique_ptr<AVFormatContext, Input_Closer> m_format;
            std::unique_ptr<AVCodecContext, Codec_Freer> m_codec;
            std::unique_ptr<AVFrame, Frame_Freer> m_frame;
            std::unique_ptr<SwsContext, Scaler_Freer> m_scaler;
            int m_stream = -1;
            double m_time_base = 0;
            int m_width = 0, m_height = 0, m_format_in = -1;
            std::vector<std::uint32_t> m_pixels;
            long m_frames = 0;
            double m_first_seconds = 0, m_last_seconds = 0;
        };
    }

    bool Read_Video(const std::string& path, const std::function<void(const Shown_Frame&)>& visit, std::string& error)
    {
        Video_Reader reader(visit);
        return reader.Read(path, error);
    }
}
