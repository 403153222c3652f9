// The show rendered headless on the capture's virtual clock (frame n at
// n / fps seconds, the sound pulled to the same sample), as flash_check
// checks it: every frame the show presents, with its time and position, and
// with a frame stage, both as the show finished it and as the display's
// stage passed it on to the screen and the encoder.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Display.h"

namespace Ryx_Tools
{
    struct Shown_Frame
    {
        const std::uint32_t* pixels = nullptr;    // 0x00RRGGBB, rows of exactly width pixels: as presented
        const std::uint32_t* finished = nullptr;  // as the show drew it, before any stage
        int width = 0, height = 0;
        std::uint32_t milliseconds = 0;  // the show's clock
        int order = 0, row = 0;
        bool in_show = false;  // false: the loading picture, presented before the music starts
    };

    // What a stage did: frames given, frames it changed, and its processor
    // time on this thread (in all, and the most for one frame).
    struct Stage_Record
    {
        long frames = 0, changed = 0;
        double seconds = 0, worst = 0;
    };

    // A stage being checked: keeps the finished frame, then hands it to the
    // stage, and keeps the record. In the display's slot, the sink then
    // receives what the stage wrote.
    class Keeping_Stage : public Ryx_Platform::Frame_Stage
    {
    public:
        Keeping_Stage(std::unique_ptr<Ryx_Platform::Frame_Stage> stage, Stage_Record& record);
        void Apply(std::uint32_t* pixels, int width, int height, std::uint32_t milliseconds) override;
        const std::uint32_t* Get_Finished() const { return m_finished.data(); }

    private:
        std::unique_ptr<Ryx_Platform::Frame_Stage> m_stage;
        Stage_Record& m_record;
        std::vector<std::uint32_t> m_finished;
    };

    // Plays the show of the current folder (tekno.xm and its pictures) to
    // its end and hands every presented frame to visit; with a stage, the
    // display flips every frame through it, as demo's and the capture's do.
    // False, with the reason, when the music does not play.
    bool Render_Show(int fps, std::unique_ptr<Ryx_Platform::Frame_Stage> stage,
                     const std::function<void(const Shown_Frame&)>& visit, Stage_Record& record, std::string& error);
}
