// One thing a capture writes: a video, PNG frames, a WAV file, the frame log,
// raw frames, a still or the contact sheet. Every output writes under a
// temporary name and is renamed into place by Commit only once every output
// of the run has finished; Discard removes whatever it wrote.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace Ryx_Capture
{
    // A frame the show presented, with where it stands in the show.
    struct Shown_Frame
    {
        const std::uint32_t* pixels = nullptr;  // width x height 0xAARRGGBB
        int width = 0, height = 0;
        long index = 0;          // the show's frame number
        int order = 0, row = 0;  // the music position heard at it
        double seconds = 0.0;    // show time
    };

    class Capture_Output
    {
    public:
        virtual ~Capture_Output() = default;

        // Creates the temporary file; false with a reason that names it.
        // note: a line for the user, left empty when there is nothing to say.
        virtual bool Open(std::string& error, std::string& note) = 0;
        // Every recorded frame, then the sound that belongs to it; false with
        // the reason once the output has failed.
        virtual bool Add_Frame(const Shown_Frame&, std::string&) { return true; }
        virtual bool Add_Sound(const std::int16_t*, std::size_t, std::string&) { return true; }
        // It wants no more frames (the sheet, once the last order is seen).
        virtual bool Is_Complete() const { return false; }
        // Completes the file, still under its temporary name.
        virtual bool Finish(std::string& error) = 0;
        // Renames it into place (inside Begin_Commit).
        virtual bool Commit(std::string& error) = 0;
        // Removes what was not committed.
        virtual void Discard() = 0;
        // Bytes written so far.
        virtual std::uint64_t Get_Size() const = 0;
        // Words for the summary line on work done off the main thread.
        virtual std::string Get_Work_Note() const { return {}; }
    };
}
