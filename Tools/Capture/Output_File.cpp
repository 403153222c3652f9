// The stop handler may run on any thread (the encoder's threads do not block
// signals), at any moment: it touches only fixed storage, and uses only
// unlink, rmdir, write and _exit. The registry's slots are claimed by the
// main thread and published with an atomic store.
#include "Tools/Capture/Output_File.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace Ryx_Capture
{
    namespace
    {
        enum State
        {
            Writing,
            Committing,
            Stopping
        };
        std::atomic<int> s_state{Writing};
        std::atomic<int> s_late_signal{0};

        constexpr int Slots = 32;
        constexpr std::size_t Path_Size = 4096;
        enum Slot_State
        {
            Free,
            Claimed,
            Live
        };
        struct Slot
        {
            std::atomic<int> state{Free};
            bool folder = false;
            char path[Path_Size];
        };
        Slot s_slots[Slots];

        char s_frame_prefix[Path_Size];
        char s_frame_suffix[64];
        std::atomic<long> s_frame_count{0};

        std::vector<std::unique_ptr<Temp_Name>> s_made_folders;

        // PREFIX, the number in at least six digits, SUFFIX: without snprintf,
        // which a signal handler may not call.
        bool Frame_Name(long index, char* out, std::size_t size)
        {
            char digits[24];
            int n = 0;
            for (unsigned long v = static_cast<unsigned long>(index); v > 0 || n < 6; v /= 10)
                digits[n++] = char('0' + v % 10);
            std::size_t prefix = std::strlen(s_frame_prefix), suffix = std::strlen(s_frame_suffix);
            if (prefix + std::size_t(n) + suffix + 1 > size)
                return false;
            std::memcpy(out, s_frame_prefix, prefix);
            for (int i = 0; i < n; ++i)
                out[prefix + std::size_t(i)] = digits[n - 1 - i];
            std::memcpy(out + prefix + n, s_frame_suffix, suffix + 1);
            return true;
        }

        void On_Stop(int signal_number)
        {
            int expected = Writing;
            if (!s_state.compare_exchange_strong(expected, Stopping))
            {
                if (expected == Committing)
                    s_late_signal.store(signal_number);
                return;  // committing: the renames finish first; stopping: the first handler exits
            }
            if (s_frame_prefix[0])
            {
                char name[Path_Size];
                long count = s_frame_count.load();
                for (long i = 0; i < count; ++i)
                    if (Frame_Name(i, name, sizeof name))
                        unlink(name);
            }
            for (Slot& slot : s_slots)
                if (slot.state.load() == Live && !slot.folder)
                    unlink(slot.path);
            for (int i = Slots - 1; i >= 0; --i)
                if (s_slots[i].state.load() == Live && s_slots[i].folder)
                    rmdir(s_slots[i].path);
            const char* text = signal_number == SIGINT ? "capture: stopped by SIGINT: no file written\n"
                                                       : "capture: stopped by SIGTERM: no file written\n";
            ssize_t ignored = write(2, text, std::strlen(text));
            (void)ignored;
            _exit(128 + signal_number);
        }
    }

    void Install_Stop_Handlers()
    {
        struct sigaction action
        {};
        action.sa_handler = &On_Stop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;  // a stop never turns a write into a failure
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        signal(SIGPIPE, SIG_IGN);
        signal(SIGXFSZ, SIG_IGN);
    }

    bool Begin_Commit()
    {
        int expected = Writing;
        return s_state.compare_exchange_strong(expected, Committing) || expected == Committing;
    }

    int Signal_During_Commit() { return s_late_signal.load(); }

    void Temp_Name::Set(const std::string& path, bool folder)
    {
        Release();
        m_path = path;
        if (path.size() >= Path_Size)
            return;  // too long to register: removed by the normal paths only
        for (int i = 0; i < Slots; ++i)
        {
            int expected = Free;
            if (s_slots[i].state.compare_exchange_strong(expected, Claimed))
            {
                std::memcpy(s_slots[i].path, path.c_str(), path.size() + 1);
                s_slots[i].folder = folder;
                s_slots[i].state.store(Live);
                m_slot = i;
                return;
            }
        }
    }

    void Temp_Name::Release()
    {
        if (m_slot >= 0)
            s_slots[m_slot].state.store(Free);
        m_slot = -1;
    }

    void Set_Frame_Temps(const std::string& prefix, const std::string& suffix)
    {
        s_frame_count.store(0);
        if (prefix.size() >= Path_Size - 32 || suffix.size() >= sizeof s_frame_suffix)
            return;
        std::memcpy(s_frame_suffix, suffix.c_str(), suffix.size() + 1);
        std::memcpy(s_frame_prefix, prefix.c_str(), prefix.size() + 1);
    }

    void Set_Frame_Temp_Count(long count) { s_frame_count.store(count); }

    void Clear_Frame_Temps()
    {
        s_frame_count.store(0);
        s_frame_prefix[0] = '\0';
    }

    std::string Write_Error(const std::string& path, int error_number)
    {
        return "cannot write " + path + ": " + std::strerror(error_number ? error_number : EIO);
    }

    bool Check_Output_Path(const std::string& path, bool overwrite, std::string& error)
    {
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            return true;
        if (S_ISDIR(info.st_mode))
            return error = "cannot write " + path + ": it is a folder", false;
        if (S_ISREG(info.st_mode) && info.st_size > 0 && !overwrite)
            return error = path + " exists: give -y to replace it", false;
        return true;
    }

    bool Make_Folder(const std::string& path, std::string& error)
    {
        std::string partial;
        for (std::size_t i = 0; i <= path.size(); ++i)
        {
            if ((i == path.size() || path[i] == '/') && !partial.empty())
            {
                if (mkdir(partial.c_str(), 0777) == 0)
                {
                    s_made_folders.push_back(std::make_unique<Temp_Name>());
                    s_made_folders.back()->Set(partial, true);
                }
                else if (errno != EEXIST)
                    return error = "cannot make the folder " + partial + ": " + std::strerror(errno), false;
            }
            if (i < path.size())
                partial += path[i];
        }
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return error = "cannot write into " + path + ": not a folder", false;
        return true;
    }

    void Remove_Made_Folders()
    {
        for (auto it = s_made_folders.rbegin(); it != s_made_folders.rend(); ++it)
            rmdir((*it)->Get_Path().c_str());
        s_made_folders.clear();
    }

    void Keep_Made_Folders() { s_made_folders.clear(); }

    bool Output_File::Open(const std::string& path, std::string& error)
    {
        Discard();
        m_path = path;
        m_size = 0;
        m_errno = 0;
        m_closed = false;
        struct stat info;
        m_in_place = stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
        std::string target = m_in_place ? path : path + ".part";
        if (!m_in_place)
            m_temp.Set(target);
        m_file = std::fopen(target.c_str(), "wb");
        if (!m_file)
        {
            int e = errno;
            m_temp.Clear();
            return error = Write_Error(path, e), false;
        }
        return true;
    }

    bool Output_File::Write(const void* bytes, std::size_t size)
    {
        if (!m_file || m_errno)
            return false;
        if (size && std::fwrite(bytes, 1, size, m_file) != size)
        {
            m_errno = errno ? errno : EIO;
            return false;
        }
        m_size += size;
        return true;
    }

    bool Output_File::Seek_To_Start()
    {
        if (!m_file || m_errno)
            return false;
        if (std::fflush(m_file) != 0 || std::fseek(m_file, 0, SEEK_SET) != 0)
        {
            m_errno = errno ? errno : EIO;
            return false;
        }
        return true;
    }

    bool Output_File::Close(std::string& error)
    {
        if (!m_file)
            return m_closed || (error = Write_Error(m_path, m_errno), false);
        errno = 0;
        if (std::fflush(m_file) != 0 && !m_errno)
            m_errno = errno ? errno : EIO;
        if (std::fclose(m_file) != 0 && !m_errno)
            m_errno = errno ? errno : EIO;
        m_file = nullptr;
        if (m_errno)
            return error = Write_Error(m_path, m_errno), false;
        m_closed = true;
        return true;
    }

    bool Output_File::Commit(std::string& error)
    {
        if (!m_closed && !Close(error))
            return false;
        if (m_in_place || m_temp.Get_Path().empty())
            return true;
        if (std::rename(m_temp.Get_Path().c_str(), m_path.c_str()) != 0)
            return error = "cannot rename " + m_temp.Get_Path() + " to " + m_path + ": " + std::strerror(errno), false;
        m_temp.Clear();
        return true;
    }

    void Output_File::Discard()
    {
        if (m_file)
            std::fclose(m_file);
        m_file = nullptr;
        if (!m_in_place && !m_temp.Get_Path().empty())
            unlink(m_temp.Get_Path().c_str());
        m_temp.Clear();
        m_closed = false;
    }
}
