// H.264 + AAC in MP4. One worker thread owns every FFmpeg object after Open:
// the caller only queues copies of frames and sound, so rendering never waits
// on the encoder unless the queue is full.
#include "Tools/Capture/Mp4_Writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace Ryx_Capture
{
    namespace
    {
        std::string Av_Error(int code)
        {
            char text[AV_ERROR_MAX_STRING_SIZE] = {};
            av_strerror(code, text, sizeof text);
            return text;
        }

        struct Job
        {
            bool is_frame = false;
            std::vector<std::uint32_t> pixels;
            std::vector<std::int16_t> samples;
        };

        class Mp4_Writer_Impl : public Mp4_Writer
        {
        public:
            Mp4_Writer_Impl(std::string path, const Mp4_Settings& settings)
                : m_path(std::move(path)), m_temp(m_path + ".part"), m_settings(settings) {}

            ~Mp4_Writer_Impl() override
            {
                Stop_Worker();
                Release();
                if (!m_finished)
                    std::remove(m_temp.c_str());
            }

            bool Open(std::string& error)
            {
                if (!Open_Container(error) || !Open_Video(error) || !Open_Audio(error))
                    return false;
                if (!(m_format->oformat->flags & AVFMT_NOFILE))
                {
                    int r = avio_open(&m_format->pb, m_temp.c_str(), AVIO_FLAG_WRITE);
                    if (r < 0)
                        return error = "cannot write " + m_path + ": " + Av_Error(r), false;
                }
                AVDictionary* options = nullptr;
                av_dict_set(&options, "movflags", "+faststart", 0);
                int r = avformat_write_header(m_format, &options);
                av_dict_free(&options);
                if (r < 0)
                    return error = "cannot start " + m_path + ": " + Av_Error(r), false;
                m_worker = std::thread([this] { Work(); });
                return true;
            }

            bool Add_Frame(const std::uint32_t* pixels) override
            {
                Job job;
                job.is_frame = true;
                job.pixels.assign(pixels, pixels + std::size_t(m_settings.width) * m_settings.height);
                return Queue(std::move(job));
            }

            bool Add_Audio(const std::int16_t* samples, std::size_t frames) override
            {
                if (frames == 0)
                    return true;
                Job job;
                job.samples.assign(samples, samples + frames * 2);
                return Queue(std::move(job));
            }

            bool Finish(std::string& error) override
            {
                Stop_Worker();
                if (!m_failed)
                    Drain_Audio(true);
                if (!m_failed)
                    Encode_Video(nullptr);
                if (!m_failed)
                    Encode_Audio_Frame(nullptr);
                if (!m_failed)
                {
                    int r = av_write_trailer(m_format);
                    if (r < 0)
                        Fail("cannot finish " + m_path + ": " + Av_Error(r));
                }
                if (m_format && m_format->pb)
                    avio_closep(&m_format->pb);
                if (!m_failed && std::rename(m_temp.c_str(), m_path.c_str()) != 0)
                    Fail("cannot rename to " + m_path);
                if (m_failed)
                {
                    error = m_error;
                    std::remove(m_temp.c_str());
                    return false;
                }
                m_finished = true;
                return true;
            }

            double Get_Encode_Seconds() const override { return m_encode_seconds; }

            void Wait_Until_Idle() override
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_space.wait(lock, [this] { return (m_jobs.empty() && !m_busy) || m_failed_flag; });
            }

        private:
            bool Open_Container(std::string& error)
            {
                int r = avformat_alloc_output_context2(&m_format, nullptr, "mp4", m_temp.c_str());
                if (r < 0 || !m_format)
                    return error = "no MP4 muxer: " + Av_Error(r), false;
                return true;
            }

            bool Open_Video(std::string& error)
            {
                const char* name = m_settings.lossless ? "libx264rgb" : "libx264";
                const AVCodec* codec = avcodec_find_encoder_by_name(name);
                if (!codec)
                    return error = std::string("no encoder ") + name, false;
                m_video_stream = avformat_new_stream(m_format, nullptr);
                m_video = avcodec_alloc_context3(codec);
                if (!m_video_stream || !m_video)
                    return error = "out of memory", false;
                m_video->width = m_settings.width;
                m_video->height = m_settings.height;
                m_video->time_base = AVRational{1, m_settings.fps};
                m_video->framerate = AVRational{m_settings.fps, 1};
                m_video->gop_size = m_settings.fps * 2;
                m_video->pix_fmt = m_settings.lossless ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_YUV420P;
                m_video->thread_count = 2;
                if (!m_settings.lossless)
                {
                    m_video->colorspace = AVCOL_SPC_SMPTE170M;
                    m_video->color_range = AVCOL_RANGE_MPEG;
                }
                if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
                    m_video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
                av_opt_set(m_video->priv_data, "preset", m_settings.preset, 0);
                if (m_settings.lossless)
                    av_opt_set(m_video->priv_data, "qp", "0", 0);
                else
                    av_opt_set_int(m_video->priv_data, "crf", m_settings.crf, 0);
                int r = avcodec_open2(m_video, codec, nullptr);
                if (r < 0)
                    return error = std::string("cannot open ") + name + ": " + Av_Error(r), false;
                avcodec_parameters_from_context(m_video_stream->codecpar, m_video);
                m_video_stream->time_base = m_video->time_base;
                m_video_stream->avg_frame_rate = m_video->framerate;

                m_picture = av_frame_alloc();
                m_picture->format = m_video->pix_fmt;
                m_picture->width = m_video->width;
                m_picture->height = m_video->height;
                if (av_frame_get_buffer(m_picture, 0) < 0)
                    return error = "out of memory", false;
                if (!m_settings.lossless)
                {
                    m_scaler = sws_getContext(m_settings.width, m_settings.height, AV_PIX_FMT_BGR0,
                                              m_settings.width, m_settings.height, AV_PIX_FMT_YUV420P,
                                              SWS_BILINEAR, nullptr, nullptr, nullptr);
                    if (!m_scaler)
                        return error = "no colour converter", false;
                }
                m_packet = av_packet_alloc();
                return m_packet != nullptr || (error = "out of memory", false);
            }

            bool Open_Audio(std::string& error)
            {
                const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
                if (!codec)
                    return error = "no AAC encoder", false;
                m_audio_stream = avformat_new_stream(m_format, nullptr);
                m_audio = avcodec_alloc_context3(codec);
                if (!m_audio_stream || !m_audio)
                    return error = "out of memory", false;
                m_audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
                m_audio->sample_rate = m_settings.audio_rate;
                m_audio->bit_rate = m_settings.audio_bit_rate;
                av_channel_layout_default(&m_audio->ch_layout, 2);
                m_audio->time_base = AVRational{1, m_settings.audio_rate};
                if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
                    m_audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
                int r = avcodec_open2(m_audio, codec, nullptr);
                if (r < 0)
                    return error = "cannot open the AAC encoder: " + Av_Error(r), false;
                avcodec_parameters_from_context(m_audio_stream->codecpar, m_audio);
                m_audio_stream->time_base = m_audio->time_base;

                AVChannelLayout stereo;
                av_channel_layout_default(&stereo, 2);
                r = swr_alloc_set_opts2(&m_resampler, &stereo, AV_SAMPLE_FMT_FLTP, m_settings.audio_rate,
                                        &stereo, AV_SAMPLE_FMT_S16, m_settings.audio_rate, 0, nullptr);
                if (r < 0 || swr_init(m_resampler) < 0)
                    return error = "no sample converter", false;
                m_fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, m_audio->frame_size * 4);
                m_sound = av_frame_alloc();
                return (m_fifo && m_sound) || (error = "out of memory", false);
            }

            bool Queue(Job job)
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_space.wait(lock, [this] { return m_jobs.size() < 8 || m_failed_flag; });
                if (m_failed_flag)
                    return false;
                m_jobs.push_back(std::move(job));
                m_ready.notify_one();
                return true;
            }

            void Work()
            {
                for (;;)
                {
                    Job job;
                    {
                        std::unique_lock<std::mutex> lock(m_mutex);
                        m_ready.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
                        if (m_jobs.empty())
                            return;
                        job = std::move(m_jobs.front());
                        m_jobs.pop_front();
                        m_busy = true;
                        m_space.notify_all();
                    }
                    auto start = std::chrono::steady_clock::now();
                    if (!m_failed)
                    {
                        if (job.is_frame)
                            Encode_Picture(job.pixels.data());
                        else
                            Encode_Sound(job.samples.data(), job.samples.size() / 2);
                    }
                    m_encode_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_busy = false;
                        if (m_failed)
                            m_failed_flag = true;
                        m_space.notify_all();
                    }
                }
            }

            void Stop_Worker()
            {
                if (!m_worker.joinable())
                    return;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_stopping = true;
                    m_ready.notify_all();
                }
                m_worker.join();
            }

            void Encode_Picture(const std::uint32_t* pixels)
            {
                if (av_frame_make_writable(m_picture) < 0)
                    return Fail("out of memory");
                if (m_settings.lossless)
                {
                    for (int y = 0; y < m_settings.height; ++y)
                    {
                        const std::uint8_t* from = reinterpret_cast<const std::uint8_t*>(pixels + std::size_t(y) * m_settings.width);
                        std::copy(from, from + m_settings.width * 4, m_picture->data[0] + std::size_t(y) * m_picture->linesize[0]);
                    }
                }
                else
                {
                    const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
                    int strides[1] = {m_settings.width * 4};
                    sws_scale(m_scaler, planes, strides, 0, m_settings.height, m_picture->data, m_picture->linesize);
                }
                m_picture->pts = m_video_frames++;
                Encode_Video(m_picture);
            }

            void Encode_Video(AVFrame* frame)
            {
                int r = avcodec_send_frame(m_video, frame);
                if (r < 0)
                    return Fail("video encoding failed: " + Av_Error(r));
                Write_Packets(m_video, m_video_stream);
            }

            void Encode_Sound(const std::int16_t* samples, std::size_t frames)
            {
                std::vector<float> left(frames), right(frames);
                std::uint8_t* out[2] = {reinterpret_cast<std::uint8_t*>(left.data()),
                                        reinterpret_cast<std::uint8_t*>(right.data())};
                const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(samples)};
                int converted = swr_convert(m_resampler, out, int(frames), in, int(frames));
                if (converted < 0)
                    return Fail("sample conversion failed");
                void* planes[2] = {left.data(), right.data()};
                if (av_audio_fifo_write(m_fifo, planes, converted) < converted)
                    return Fail("out of memory");
                Drain_Audio(false);
            }

            // Whole encoder frames of sound; at the end also the last partial one.
            void Drain_Audio(bool final)
            {
                int size = m_audio->frame_size;
                while (!m_failed && (av_audio_fifo_size(m_fifo) >= size || (final && av_audio_fifo_size(m_fifo) > 0)))
                {
                    int n = std::min(size, av_audio_fifo_size(m_fifo));
                    av_frame_unref(m_sound);
                    m_sound->nb_samples = n;
                    m_sound->format = AV_SAMPLE_FMT_FLTP;
                    m_sound->sample_rate = m_audio->sample_rate;
                    av_channel_layout_copy(&m_sound->ch_layout, &m_audio->ch_layout);
                    if (av_frame_get_buffer(m_sound, 0) < 0)
                        return Fail("out of memory");
                    av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_sound->data), n);
                    m_sound->pts = m_audio_samples;
                    m_audio_samples += n;
                    Encode_Audio_Frame(m_sound);
                }
            }

            void Encode_Audio_Frame(AVFrame* frame)
            {
                int r = avcodec_send_frame(m_audio, frame);
                if (r < 0)
                    return Fail("sound encoding failed: " + Av_Error(r));
                Write_Packets(m_audio, m_audio_stream);
            }

            void Write_Packets(AVCodecContext* codec, AVStream* stream)
            {
                for (;;)
                {
                    int r = avcodec_receive_packet(codec, m_packet);
                    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                        return;
                    if (r < 0)
                        return Fail("encoding failed: " + Av_Error(r));
                    av_packet_rescale_ts(m_packet, codec->time_base, stream->time_base);
                    m_packet->stream_index = stream->index;
                    r = av_interleaved_write_frame(m_format, m_packet);
                    if (r < 0)
                        return Fail("cannot write " + m_path + ": " + Av_Error(r));
                }
            }

            void Fail(const std::string& reason)
            {
                if (!m_failed)
                    m_error = reason;
                m_failed = true;
            }

            void Release()
            {
                sws_freeContext(m_scaler);
                swr_free(&m_resampler);
                if (m_fifo)
                    av_audio_fifo_free(m_fifo);
                av_frame_free(&m_picture);
                av_frame_free(&m_sound);
                av_packet_free(&m_packet);
                avcodec_free_context(&m_video);
                avcodec_free_context(&m_audio);
                if (m_format)
                {
                    if (m_format->pb)
                        avio_closep(&m_format->pb);
                    avformat_free_context(m_format);
                    m_format = nullptr;
                }
            }

            std::string m_path;
            std::string m_temp;
            Mp4_Settings m_settings;
            AVFormatContext* m_format = nullptr;
            AVStream* m_video_stream = nullptr;
            AVStream* m_audio_stream = nullptr;
            AVCodecContext* m_video = nullptr;
            AVCodecContext* m_audio = nullptr;
            AVFrame* m_picture = nullptr;
            AVFrame* m_sound = nullptr;
            AVPacket* m_packet = nullptr;
            SwsContext* m_scaler = nullptr;
            SwrContext* m_resampler = nullptr;
            AVAudioFifo* m_fifo = nullptr;
            std::int64_t m_video_frames = 0;
            std::int64_t m_audio_samples = 0;
            double m_encode_seconds = 0.0;

            // Written by the worker only; read by the caller after the worker stops.
            bool m_failed = false;
            std::string m_error;
            bool m_finished = false;

            std::mutex m_mutex;
            std::condition_variable m_ready;
            std::condition_variable m_space;
            std::deque<Job> m_jobs;
            bool m_stopping = false;
            bool m_failed_flag = false;
            bool m_busy = false;
            std::thread m_worker;
        };
    }

    std::unique_ptr<Mp4_Writer> Open_Mp4(const std::string& path, const Mp4_Settings& settings, std::string& error)
    {
        av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are not the user's business
        auto writer = std::make_unique<Mp4_Writer_Impl>(path, settings);
        if (!writer->Open(error))
            return nullptr;
        return writer;
    }
}
