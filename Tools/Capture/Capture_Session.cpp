#include "Tools/Capture/Capture_Session.h"

#include <cstdio>

#include "Code/Music.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Tools/Capture/File_Outputs.h"
#include "Tools/Capture/Frame_Folder.h"

namespace Ryx_Capture
{
    namespace
    {
        double Seconds_Since(std::chrono::steady_clock::time_point t)
        {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        }
    }

    // The side outputs first, then what --out names: the order they open,
    // finish and commit in.
    Capture_Session::Capture_Session(const Capture_Options& options, const Capture_Plan& plan)
        : m_options(options), m_plan(plan), m_progress(options.quiet),
          m_sound(std::size_t(Audio_Rate / options.fps + 2) * 2)
    {
        if (!options.log.empty())
            m_outputs.Add(Make_Log_Output(options.log));
        if (!options.sound.empty())
            m_outputs.Add(Make_Wav_Output(options.sound));
        switch (options.kind)
        {
        case Output_Kind::None: break;
        case Output_Kind::Video:
        {
            Video_Settings settings;
            settings.layout = plan.layout;
            settings.fps = options.fps;
            settings.lossless = options.lossless;
            if (options.crf >= 0)
                settings.crf = options.crf;
            if (!options.preset.empty())
                settings.preset = options.preset;
            m_outputs.Add(Make_Video_Output(options.out, settings));
            break;
        }
        case Output_Kind::Frames:
            m_outputs.Add(std::make_unique<Frame_Folder>(options.out, options.overwrite, plan.layout));
            m_outputs.Add(Make_Wav_Output(options.out + "sound.wav"));
            break;
        case Output_Kind::Raw: m_outputs.Add(Make_Raw_Output(options.out)); break;
        case Output_Kind::Still: m_outputs.Add(Make_Still_Output(options.out, plan.still, plan.layout)); break;
        case Output_Kind::Sheet: m_outputs.Add(Make_Sheet_Output(options.out)); break;
        }
    }

    const std::string& Capture_Session::Main_Output() const
    {
        return m_options.kind == Output_Kind::None ? (m_options.log.empty() ? m_options.sound : m_options.log)
                                                   : m_options.out;
    }

    bool Capture_Session::Open(std::string& error, std::vector<std::string>& notes)
    {
        return m_outputs.Open(error, notes);
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
            const Shown_Frame frame{pixels, width, height, m_frames, order, row, double(m_frames) / m_options.fps};
            std::string reason;
            if (!m_outputs.Add_Frame(frame, reason))
                Fail(reason);
            if (m_outputs.Is_Complete())
                m_done = true;
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

    bool Capture_Session::Finish(std::string& error)
    {
        m_progress.Finish();
        if (m_error.empty() && m_plan.still >= 0 && m_recorded <= m_plan.still)
            Fail("the show ended before the frame asked for");
        std::string reason;
        if (m_error.empty() && !m_outputs.Finish(reason))
            Fail(reason);
        if (m_error.empty())
            return true;
        error = m_error;
        return false;
    }

    bool Capture_Session::Commit(std::string& error) { return m_outputs.Commit(error); }

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
        std::fprintf(stderr, "%s\n", m_outputs.Get_Work_Notes().c_str());
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
        std::string reason;
        if (record && !m_outputs.Add_Sound(m_sound.data(), count, reason))
            Fail(reason);
        // A module that never starts would never reach the show's end.
        if (m_frames == 2 * m_options.fps && Ryx_Platform::Audio_Frames_Played() == 0)
            Fail("the music does not play: tekno.xm did not load");
        if (m_frames > 1800L * m_options.fps)
            Fail("the show has not ended after 30 minutes of show time");
    }

    void Capture_Session::Fail(const std::string& reason)
    {
        if (m_error.empty())
            m_error = reason;
    }
}
