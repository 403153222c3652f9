#include "Tools/Capture/Capture_Session.h"

#include <cstdio>

#include "Code/Music.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Tools/Image_Writer/Image_Writer.h"

namespace Ryx_Capture
{
    namespace
    {
        double Seconds_Since(std::chrono::steady_clock::time_point t)
        {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        }

        bool Is_Identity(const Frame_Layout& l) { return l.width == l.source_width && l.height == l.source_height; }
    }

    Capture_Session::Capture_Session(const Capture_Options& options, const Capture_Plan& plan)
        : m_options(options), m_plan(plan), m_progress(options.quiet), m_sheet(Show_Orders),
          m_sound(std::size_t(Audio_Rate / options.fps + 2) * 2)
    {}

    // Whatever was not committed goes: the temporary files, then the folders
    // the capture made for them.
    Capture_Session::~Capture_Session()
    {
        m_video.reset();
        m_frames_folder.Discard();
        m_wav.Discard();
        m_extra_wav.Discard();
        m_log.Discard();
        m_file.Discard();
        Remove_Made_Folders();
    }

    const std::string& Capture_Session::Main_Output() const
    {
        return m_options.kind == Output_Kind::None ? (m_options.log.empty() ? m_options.sound : m_options.log)
                                                   : m_options.out;
    }

    bool Capture_Session::Open(std::string& error, std::string& note)
    {
        if (!m_options.log.empty() && !m_log.Open(m_options.log, error))
            return false;
        if (!m_options.sound.empty() && !m_extra_wav.Open(m_options.sound, Audio_Rate, error))
            return false;
        switch (m_options.kind)
        {
        case Output_Kind::None: return true;
        case Output_Kind::Video:
        {
            Video_Settings settings;
            settings.layout = m_plan.layout;
            settings.fps = m_options.fps;
            settings.lossless = m_options.lossless;
            if (m_options.crf >= 0)
                settings.crf = m_options.crf;
            if (!m_options.preset.empty())
                settings.preset = m_options.preset;
            m_video = Open_Video(m_options.out, settings, error, note);
            return m_video != nullptr;
        }
        case Output_Kind::Frames:
            return m_frames_folder.Open(m_options.out, m_options.overwrite, error) &&
                m_wav.Open(m_options.out + "sound.wav", Audio_Rate, error);
        case Output_Kind::Raw:
        case Output_Kind::Still:
        case Output_Kind::Sheet: return m_file.Open(m_options.out, error);
        }
        return false;
    }

    void Capture_Session::Begin_Pass()
    {
        m_in_show = true;
        if (m_done || !m_error.empty())
            throw Stop_Show{};
        m_render_start = std::chrono::steady_clock::now();
    }

    void Capture_Session::On_Frame(const std::uint32_t* pixels, int width, int height)
    {
        if (!m_in_show || m_done || !m_error.empty())
            return;  // the loading picture, shown before the music starts
        m_render_seconds += Seconds_Since(m_render_start);
        auto start = std::chrono::steady_clock::now();
        Ryx_Vektu::Music* music = Ryx_Vektu::Get_Music();
        int order = music ? int(music->Get_Order()) : 0;
        int row = music ? int(music->Get_Row()) : 0;
        m_last_order = order;
        m_last_row = row;
        const bool record = m_frames >= m_plan.first && m_frames < m_plan.end;
        if (record)
        {
            Deliver(pixels, width, height, order, row);
            if (m_log.Is_Open())
                Log_Frame(pixels, width, height, order, row);
            ++m_recorded;
        }
        m_output_seconds += Seconds_Since(start);
        ++m_frames;
        Advance_Clocks(record);
        if (m_frames >= m_plan.end)
            m_done = true;
        if (m_progress.Due())
        {
            long total = m_plan.end < m_plan.show_frames ? m_plan.end : m_plan.show_frames;
            m_progress.Show(m_frames, total, order, row, double(m_frames) / m_options.fps, Get_Size());
        }
    }

    std::uint64_t Capture_Session::Get_Size() const
    {
        std::uint64_t bytes = m_log.Get_Size() + m_file.Get_Size() + m_extra_wav.Get_Size() + m_wav.Get_Size() +
            m_frames_folder.Get_Size();
        return bytes + (m_video ? m_video->Get_Size() : 0);
    }

    bool Capture_Session::Finish(std::string& error)
    {
        m_progress.Finish();
        if (m_error.empty() && m_options.kind == Output_Kind::Still && m_recorded <= m_plan.still)
            Fail("the show ended before the frame asked for");
        if (m_error.empty() && m_options.kind == Output_Kind::Sheet)
        {
            int w = 0, h = 0;
            std::vector<std::uint32_t> sheet = m_sheet.Compose(w, h);
            std::vector<std::uint8_t> png = Ryx_Tools::Encode_PNG(w, h, sheet.data(), 6);
            m_file.Write(png.data(), png.size());
        }
        std::string reason;
        if (m_error.empty() && m_log.Is_Open() && !m_log.Close(reason))
            Fail(reason);
        if (m_error.empty() && m_extra_wav.Is_Open() && !m_extra_wav.Finish(reason))
            Fail(reason);
        if (m_error.empty() && m_wav.Is_Open() && !m_wav.Finish(reason))
            Fail(reason);
        if (m_error.empty() && m_file.Is_Open() && !m_file.Close(reason))
            Fail(reason);
        if (m_error.empty() && m_video && !m_video->Finish(reason))
            Fail(reason);
        if (m_error.empty())
            return true;
        error = m_error;
        return false;
    }

    bool Capture_Session::Commit(std::string& error)
    {
        bool ok =
            (m_options.log.empty() || m_log.Commit(error)) && (m_options.sound.empty() || m_extra_wav.Commit(error));
        switch (m_options.kind)
        {
        case Output_Kind::None: break;
        case Output_Kind::Video: ok = ok && m_video->Commit(error); break;
        case Output_Kind::Frames: ok = ok && m_frames_folder.Commit(error) && m_wav.Commit(error); break;
        case Output_Kind::Raw:
        case Output_Kind::Still:
        case Output_Kind::Sheet: ok = ok && m_file.Commit(error); break;
        }
        if (ok)
            Keep_Made_Folders();
        return ok;
    }

    void Capture_Session::Print_Summary(double wall) const
    {
        if (m_options.quiet)
            return;
        double from = double(m_plan.first) / m_options.fps;
        std::fprintf(stderr,
                     "capture: wrote %s (%.1f MB in all): %ld frames at %d fps (%.2f s of show from %.2f s) in %.1f s, "
                     "%.2fx real time\n",
                     Main_Output().c_str(), double(Get_Size()) / 1e6, m_recorded, m_options.fps,
                     double(m_recorded) / m_options.fps, from, wall,
                     wall > 0 ? double(m_frames) / m_options.fps / wall : 0.0);
        std::fprintf(stderr, "capture: last frame at order %d row %d; time: render %.1f s, sound %.1f s, output %.1f s",
                     m_last_order, m_last_row, m_render_seconds, m_audio_seconds, m_output_seconds);
        if (m_video)
            std::fprintf(stderr, " on this thread, encoder thread %.1f s (enlarging %.1f s)",
                         m_video->Get_Encode_Seconds(), m_video->Get_Enlarge_Seconds());
        std::fprintf(stderr, "\n");
    }

    // The picture's bytes without the top byte, which is not shown.
    void Capture_Session::Log_Frame(const std::uint32_t* pixels, int width, int height, int order, int row)
    {
        const Frame_Print print = Print_Frame(pixels, std::size_t(width) * height);
        char line[96];
        int length = std::snprintf(line, sizeof line, "%ld %d %d %016llx %.3f\n", m_frames, order, row,
                                   static_cast<unsigned long long>(print.hash), print.brightness);
        if (!m_log.Write(line, std::size_t(length)))
        {
            std::string reason;
            m_log.Close(reason);
            Fail(reason);
        }
    }

    void Capture_Session::Deliver(const std::uint32_t* pixels, int width, int height, int order, int row)
    {
        std::string reason;
        switch (m_options.kind)
        {
        case Output_Kind::None: break;
        case Output_Kind::Raw:
            if (!m_file.Write(pixels, std::size_t(width) * height * 4) && !m_file.Close(reason))
                Fail(reason);
            break;
        case Output_Kind::Video:
            if (!m_video->Add_Frame(pixels))
                Video_Failed();
            break;
        case Output_Kind::Frames:
            if (!m_frames_folder.Add(pixels, m_plan.layout, reason))
                Fail(reason);
            break;
        case Output_Kind::Still:
            if (m_frames == m_plan.still)
            {
                const Frame_Layout& l = m_plan.layout;
                std::vector<std::uint32_t> enlarged;
                if (!Is_Identity(l))
                {
                    enlarged.resize(std::size_t(l.width) * l.height);
                    Enlarge(pixels, width, l, enlarged.data(), l.width, 0xFF000000u);
                    pixels = enlarged.data();
                }
                std::vector<std::uint8_t> png = Ryx_Tools::Encode_PNG(l.width, l.height, pixels, 6);
                m_file.Write(png.data(), png.size());
                m_done = true;
            }
            break;
        case Output_Kind::Sheet:
            // The brightest frame of rows 32 to 35, the middle of the order.
            if (row >= 32 && row < 36)
                m_sheet.Add(order, double(m_frames) / m_options.fps, pixels, width, height);
            if (order == Show_Orders - 1 && row >= 36)
                m_done = true;
            break;
        }
    }

    // To frame m_frames: the clock in milliseconds, the sound to the sample.
    // The sound pulled here belongs to the frame just presented.
    void Capture_Session::Advance_Clocks(bool record)
    {
        std::uint64_t n = std::uint64_t(m_frames);
        Ryx_Platform::Set_Virtual_Time(Frame_Milliseconds(n, m_options.fps));
        std::uint64_t target = Frame_Sample(n, m_options.fps);
        std::size_t count = std::size_t(target - m_pulled);
        m_pulled = target;
        if (m_sound.size() < count * 2)
            m_sound.resize(count * 2);
        auto start = std::chrono::steady_clock::now();
        Ryx_Platform::Audio_Pull(m_sound.data(), count);
        m_audio_seconds += Seconds_Since(start);
        if (record)
        {
            if (m_video && !m_video->Add_Audio(m_sound.data(), count))
                Video_Failed();
            std::string reason;
            if (m_wav.Is_Open() && !m_wav.Add(m_sound.data(), count) && !m_wav.Finish(reason))
                Fail(reason);
            if (m_extra_wav.Is_Open() && !m_extra_wav.Add(m_sound.data(), count) && !m_extra_wav.Finish(reason))
                Fail(reason);
        }
        // A module that never starts would never reach the show's end.
        if (m_frames == 2 * m_options.fps && Ryx_Platform::Audio_Frames_Played() == 0)
            Fail("the music does not play: tekno.xm did not load");
        if (m_frames > 1800L * m_options.fps)
            Fail("the show has not ended after 30 minutes of show time");
    }

    // The writer's own reason, which names the file: stopping it gives it.
    void Capture_Session::Video_Failed()
    {
        std::string reason = "the video encoder stopped";
        m_video->Finish(reason);
        Fail(reason);
    }

    void Capture_Session::Fail(const std::string& reason)
    {
        if (m_error.empty())
            m_error = reason;
    }
}
