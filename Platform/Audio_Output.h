// Internal to the platform layer: where the mix goes. BASS_Init picks one
// output and keeps it until BASS_Free: the sound card, the no-sound clock
// (real-time pulls whose sound is thrown away) or offline pulls (the capture
// tool's, on a virtual clock). Nothing else asks which one it is.
//
// A new output is a new file implementing this interface and an opener that
// BASS_Init can be given (Set_Output_Opener); the no-sound clock of a system
// comes from its own Create_No_Sound_Output.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Ryx_Platform
{
    class Audio_Player;

    // What an output's pulls call: out is `frames` of interleaved stereo
    // int16; now is seconds on Audio_Now's clock when these frames were asked
    // for; latency the frames the device plays before the first of these is
    // heard.
    using Audio_Mix = void(std::int16_t* out, std::size_t frames, double now, std::uint32_t latency, void* user);

    class Audio_Output
    {
    public:
        virtual ~Audio_Output() = default;
        // BASS_Stop and BASS_Start. Returns once a pull in progress is over.
        virtual void Pause(bool paused) = 0;
        // A play starts (a module, or a new position): a paced output counts
        // its schedule from now, so the music never drifts from the clock.
        virtual void Restart() = 0;
        // The frame of this player's play being heard now.
        virtual std::uint64_t Heard_Frame(Audio_Player& player) = 0;
        // SDL's name of the sound card's driver; empty when nothing is heard.
        virtual std::string Get_Name() const = 0;
    };

    // Opens what BASS_Init asked for, or returns null (with the reason) to
    // have the no-sound clock instead. Device -2 and 0 ask for no sound.
    using Output_Opener = std::unique_ptr<Audio_Output> (*)(int device, Audio_Mix* mix, void* user, std::string* error);
    // Null restores the default, Open_Sound_Card. Takes effect at the next
    // BASS_Init.
    void Set_Output_Opener(Output_Opener opener);

    // The default: the sound card through SDL. SDL's dummy and disk drivers
    // reach no ear, and only roughly keep time: they count as no card unless
    // dummy_is_a_card.
    std::unique_ptr<Audio_Output> Open_Sound_Card(int device, Audio_Mix* mix, void* user, std::string* error,
                                                  bool dummy_is_a_card = false);
    // Pulls only through Audio_Pull, for any device.
    std::unique_ptr<Audio_Output> Open_Offline_Output(int device, Audio_Mix* mix, void* user, std::string* error);
    // Frames at `rate` this system plays after the sound card's buffer
    // before a sample is heard (a browser's audio graph and output device);
    // asked at every pull, since a browser learns it once sound runs.
    std::uint32_t System_Output_Latency(std::uint32_t rate);
    // This system's no-sound clock: pulls at real-time pace, started paused.
    // Never null.
    std::unique_ptr<Audio_Output> Create_No_Sound_Output(Audio_Mix* mix, void* user);
}
