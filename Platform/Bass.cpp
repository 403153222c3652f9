// The audio calls: a table of loaded modules, one of them playing at a time,
// mixed into the output BASS_Init opened (Platform/Audio_Output.h). The main
// thread makes these calls; the output pulls on its own thread and shares only
// the players, whose position lookups take a lock held for a few instructions.
#include "Platform/Bass.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Audio_Output.h"
#include "Platform/Audio_Player.h"
#include "Platform/File_Kind.h"
#include "Platform/Position_Source.h"

namespace Ryx_Platform
{
    namespace
    {
        constexpr DWORD Sync_Music_Position = 0x40000000;

        std::unique_ptr<Audio_Output> Open_Default(int device, Audio_Mix* mix, void* user, std::string* error)
        {
            return Open_Sound_Card(device, mix, user, error);
        }

        std::atomic<Output_Opener> s_opener{&Open_Default};

        struct Audio_System
        {
            std::mutex api;  // the table
            std::map<DWORD, std::shared_ptr<Audio_Player>> players;
            DWORD next_handle = 1;
            int init_count = 0;

            // What the output pulls, and the output. Both change on the main
            // thread under this lock; the output's thread holds it only to
            // copy the player or to ask the output for a heard frame.
            std::mutex current_lock;
            std::shared_ptr<Audio_Player> current;
            std::unique_ptr<Audio_Output> output;
            std::atomic<int> volume{100};

            // Frees the device and every module even when BASS_Free was never
            // called (an exit that skipped the music's destruction).
            ~Audio_System() { Close_Output(); }

            // Not under the lock while it closes: closing waits for a pull in
            // progress, whose sync procedures may ask for a position.
            void Close_Output()
            {
                std::unique_ptr<Audio_Output> closing;
                {
                    std::lock_guard<std::mutex> lock(current_lock);
                    closing = std::move(output);
                    current.reset();
                }
            }

            std::shared_ptr<Audio_Player> Find(DWORD handle)
            {
                std::lock_guard<std::mutex> lock(api);
                auto it = players.find(handle);
                return it == players.end() ? nullptr : it->second;
            }

            std::shared_ptr<Audio_Player> Current()
            {
                std::lock_guard<std::mutex> lock(current_lock);
                return current;
            }

            std::size_t Mix(std::int16_t* out, std::size_t frames, double now, std::uint32_t latency)
            {
                std::shared_ptr<Audio_Player> player = Current();
                if (!player)
                {
                    std::memset(out, 0, frames * 4);
                    return 0;
                }
                std::size_t music = player->Pull(out, frames, now, latency);
                int v = volume.load(std::memory_order_relaxed);
                if (v != 100)
                    for (std::size_t i = 0; i < 2 * frames; ++i)
                        out[i] = static_cast<std::int16_t>(out[i] * v / 100);
                return music;
            }

            bool Initialised()
            {
                std::lock_guard<std::mutex> lock(api);
                return init_count > 0;
            }

            static void Mix_From_Device(std::int16_t* out, std::size_t frames, double now, std::uint32_t latency,
                                        void* self)
            {
                // The device's thread: nothing may escape from here.
                try
                {
                    static_cast<Audio_System*>(self)->Mix(out, frames, now, latency);
                }
                catch (...)
                {
                    std::memset(out, 0, frames * 4);
                }
            }

            // Without an output no player has played.
            std::uint64_t Heard(Audio_Player& player)
            {
                std::lock_guard<std::mutex> lock(current_lock);
                return output ? output->Heard_Frame(player) : 0;
            }
        };

        Audio_System s_audio;

        class Player_Positions : public Position_Source
        {
        public:
            std::uint32_t Get_Position(std::uint32_t handle) override
            {
                std::shared_ptr<Audio_Player> player = s_audio.Find(handle);
                return player ? player->Position_At(s_audio.Heard(*player)) : 0;
            }

            bool Is_Active(std::uint32_t handle) override
            {
                std::shared_ptr<Audio_Player> player = s_audio.Find(handle);
                return player && player->Is_Active_At(s_audio.Heard(*player));
            }
        };

        Player_Positions s_player_positions;
        std::atomic<Position_Source*> s_positions{&s_player_positions};

        bool Read_File(const char* path, DWORD offset, DWORD length, std::vector<char>& bytes, std::string& reason)
        {
            if (Get_Non_File_Kind(path))
            {
                reason = "not a regular file";
                return false;
            }
            std::FILE* f = std::fopen(path, "rb");
            if (!f)
            {
                reason = std::strerror(errno);
                return false;
            }
            // Modules are kilobytes to a few megabytes; refuse what would
            // only exhaust memory.
            constexpr long Largest = 256L << 20;
            bool ok = std::fseek(f, 0, SEEK_END) == 0;
            long size = ok ? std::ftell(f) : -1;
            if (size < 0 || size > Largest || DWORD(size) < offset)
            {
                std::fclose(f);
                reason = size > Largest ? "too large for a module" : "cannot read it";
                return false;
            }
            std::size_t count =
                length ? std::min<std::size_t>(length, std::size_t(size) - offset) : std::size_t(size) - offset;
            bytes.resize(count);
            ok = std::fseek(f, long(offset), SEEK_SET) == 0 && std::fread(bytes.data(), 1, count, f) == count;
            std::fclose(f);
            if (!ok)
                reason = "cannot read it";
            return ok;
        }

        void Make_Current(const std::shared_ptr<Audio_Player>& player)
        {
            std::shared_ptr<Audio_Player> previous;
            {
                std::lock_guard<std::mutex> lock(s_audio.current_lock);
                previous = s_audio.current;
                s_audio.current = player;
            }
            if (previous && previous != player)
                previous->Stop();
            // Only the main thread changes the output, and it is this one.
            if (s_audio.output)
                s_audio.output->Restart();
        }
    }

    void Set_Output_Opener(Output_Opener opener) { s_opener.store(opener ? opener : &Open_Default); }

    Position_Source& Get_Player_Positions() { return s_player_positions; }

    void Set_Position_Source(Position_Source* source) { s_positions.store(source ? source : &s_player_positions); }

    BOOL BASS_Init(int device, DWORD, DWORD, void*)
    {
        {
            std::lock_guard<std::mutex> lock(s_audio.api);
            if (s_audio.init_count++ > 0)
                return 1;
        }
        // The output is opened outside the table's lock: SDL holds its own
        // lock around every pull, and a pull's sync procedures may ask for a
        // position, which takes the table's lock.
        std::string error;
        std::unique_ptr<Audio_Output> output =
            s_opener.load()(device, &Audio_System::Mix_From_Device, &s_audio, &error);
        bool opened = output != nullptr;
        if (!opened)
            output = Create_No_Sound_Output(&Audio_System::Mix_From_Device, &s_audio);
        {
            std::lock_guard<std::mutex> lock(s_audio.current_lock);
            s_audio.output = std::move(output);
        }
        if (opened || device == -2 || device == 0)
            return 1;
        // Still report the failure, but keep time so the show runs in step.
        std::fprintf(stderr, "audio: no sound device (%s); playing silently in real time\n", error.c_str());
        return 0;
    }

    BOOL BASS_SetVolume(DWORD volume)
    {
        if (volume > 100)
            return 0;
        s_audio.volume.store(int(volume));
        return 1;
    }

    // Not under the table's lock: pausing waits for a pull in progress, whose
    // sync procedures may ask for a position.
    BOOL BASS_Start()
    {
        if (!s_audio.Initialised() || !s_audio.output)
            return 0;
        s_audio.output->Pause(false);
        return 1;
    }

    BOOL BASS_Stop()
    {
        if (!s_audio.Initialised() || !s_audio.output)
            return 0;
        s_audio.output->Pause(true);
        return 1;
    }

    HMUSIC BASS_MusicLoad(BOOL memory, const void* file, DWORD offset, DWORD length, DWORD)
    {
        if (!file)
            return 0;
        std::vector<char> bytes;
        std::string reason;
        const char* name = memory ? "(memory)" : static_cast<const char*>(file);
        std::unique_ptr<Audio_Player> player;
        if (memory)
        {
            if (length == 0)
                reason = "no bytes";
            else
                player = Audio_Player::Load(static_cast<const char*>(file) + offset, length, &reason);
        }
        else if (Read_File(name, offset, length, bytes, reason))
        {
            player = bytes.empty() ? nullptr : Audio_Player::Load(bytes.data(), bytes.size(), &reason);
            if (!player)
                reason = "not a module" + (reason.empty() ? std::string() : " (" + reason + ")");
        }
        if (!player)
        {
            std::fprintf(stderr, "audio: cannot load \"%s\": %s\n", name, reason.c_str());
            return 0;
        }
        std::lock_guard<std::mutex> lock(s_audio.api);
        DWORD handle = s_audio.next_handle++;
        s_audio.players[handle] = std::shared_ptr<Audio_Player>(std::move(player));
        return handle;
    }

    BOOL BASS_MusicPlay(HMUSIC handle)
    {
        std::shared_ptr<Audio_Player> player = s_audio.Find(handle);
        if (!player || !s_audio.Initialised())
            return 0;
        // Playing on: nothing to do; stopped or at its end: from the start.
        if (s_audio.Current() == player && player->Is_Active_At(s_audio.Heard(*player)))
            return 1;
        player->Start(0, 0);
        Make_Current(player);
        return 1;
    }

    BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD position, int, BOOL)
    {
        std::shared_ptr<Audio_Player> player = s_audio.Find(handle);
        if (!player || !s_audio.Initialised())
            return 0;
        player->Start(int(position & 0xFFFF), int(position >> 16));
        Make_Current(player);
        return 1;
    }

    BOOL BASS_ChannelStop(DWORD handle)
    {
        std::shared_ptr<Audio_Player> player = s_audio.Find(handle);
        if (!player)
            return 0;
        player->Stop();
        return 1;
    }

    DWORD BASS_ChannelGetPosition(DWORD handle) { return s_positions.load()->Get_Position(handle); }

    DWORD BASS_ChannelIsActive(DWORD handle) { return s_positions.load()->Is_Active(handle) ? 1 : 0; }

    HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, DWORD param, SYNCPROC* procedure, void* user)
    {
        std::shared_ptr<Audio_Player> player = s_audio.Find(handle);
        if (!player || type != Sync_Music_Position)
            return 0;
        return player->Add_Sync(param, procedure, user, handle);
    }

    BOOL BASS_MusicFree(HMUSIC handle)
    {
        std::shared_ptr<Audio_Player> player;
        {
            std::lock_guard<std::mutex> lock(s_audio.api);
            auto it = s_audio.players.find(handle);
            if (it == s_audio.players.end())
                return 0;
            player = it->second;
            s_audio.players.erase(it);
        }
        std::lock_guard<std::mutex> lock(s_audio.current_lock);
        if (s_audio.current == player)
            s_audio.current.reset();
        return 1;
    }

    BOOL BASS_Free()
    {
        std::map<DWORD, std::shared_ptr<Audio_Player>> players;
        {
            std::lock_guard<std::mutex> lock(s_audio.api);
            if (s_audio.init_count == 0)
                return 0;
            if (--s_audio.init_count > 0)
                return 1;
            players.swap(s_audio.players);
        }
        // Outside the table's lock: closing waits for a pull in progress,
        // whose sync procedures may ask for a position.
        s_audio.Close_Output();
        return 1;
    }

    std::string Audio_Output_Name()
    {
        std::lock_guard<std::mutex> lock(s_audio.current_lock);
        return s_audio.output ? s_audio.output->Get_Name() : std::string();
    }

    void Audio_Use_Offline(bool on) { Set_Output_Opener(on ? &Open_Offline_Output : nullptr); }

    std::size_t Audio_Pull(std::int16_t* out, std::size_t frames) { return s_audio.Mix(out, frames, 0.0, 0); }

    std::uint64_t Audio_Frames_Played()
    {
        std::shared_ptr<Audio_Player> player = s_audio.Current();
        return player ? s_audio.Heard(*player) : 0;
    }

    std::uint64_t Audio_Frames_Pulled()
    {
        std::shared_ptr<Audio_Player> player = s_audio.Current();
        return player ? player->Pulled_Frames() : 0;
    }

    std::uint32_t Audio_Position_At(std::uint64_t frame)
    {
        std::shared_ptr<Audio_Player> player = s_audio.Current();
        return player ? player->Position_At(frame) : 0;
    }
}
