// Whole files or none. Every output is written under a temporary name beside
// its final one ("NAME.part") and renamed only once the capture has finished
// every output. SIGINT and SIGTERM remove the temporary files of the run and
// end the process with 130 or 143, from the signal handler itself, so that a
// stop works in any phase: loading, rendering, or the encoder's last flush.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

namespace Ryx_Capture
{
    // SIGINT and SIGTERM as above; SIGPIPE and SIGXFSZ ignored, so that a
    // closed pipe or a file-size limit is a write error with a reason, not a
    // silent death that leaves temporary files behind.
    void Install_Stop_Handlers();

    // Renaming the finished outputs into place: a stop that arrives now waits
    // until every rename is done. False when a stop has already begun (the
    // handler is about to end the process).
    bool Begin_Commit();
    // After the renames: the signal that arrived meanwhile, 0 if none.
    int Signal_During_Commit();

    // A temporary path the stop handler removes (a file, or an empty folder
    // the capture made). Registered while the object lives.
    class Temp_Name
    {
    public:
        Temp_Name() = default;
        ~Temp_Name() { Release(); }
        Temp_Name(const Temp_Name&) = delete;
        Temp_Name& operator=(const Temp_Name&) = delete;

        void Set(const std::string& path, bool folder = false);
        void Release();  // no longer the handler's to remove
        void Clear()
        {
            Release();
            m_path.clear();
        }
        const std::string& Get_Path() const { return m_path; }

    private:
        std::string m_path;
        int m_slot = -1;
    };

    // Numbered frame files PREFIX000000SUFFIX ... that the stop handler
    // removes: the first `count` of them.
    void Set_Frame_Temps(const std::string& prefix, const std::string& suffix);
    void Set_Frame_Temp_Count(long count);
    void Clear_Frame_Temps();

    // Refuses, with a one-line reason, a path that names a folder or that
    // holds an earlier file (unless overwrite; an empty file, as mktemp makes,
    // holds nothing to lose). Pipes and devices are written in place.
    bool Check_Output_Path(const std::string& path, bool overwrite, std::string& error);

    // Creates the folder and any missing parents, remembering what it made so
    // that a failed capture can take it away again (Remove_Made_Folders).
    bool Make_Folder(const std::string& path, std::string& error);
    void Remove_Made_Folders();
    void Keep_Made_Folders();

    // "cannot write NAME: reason" from errno.
    std::string Write_Error(const std::string& path, int error_number);

    // One output file through its temporary name.
    class Output_File
    {
    public:
        Output_File() = default;
        ~Output_File() { Discard(); }
        Output_File(const Output_File&) = delete;
        Output_File& operator=(const Output_File&) = delete;

        // Creates NAME.part (a pipe or a device is opened in place).
        bool Open(const std::string& path, std::string& error);
        bool Is_Open() const { return m_file != nullptr; }
        // False from the first failed write on; Close reports why.
        bool Write(const void* bytes, std::size_t size);
        bool Seek_To_Start();
        // Bytes written so far.
        std::uint64_t Get_Size() const { return m_size; }
        // Flushes and closes; false with "cannot write NAME: reason".
        bool Close(std::string& error);
        // Renames a closed file into place (inside Begin_Commit).
        bool Commit(std::string& error);
        // Removes the temporary file, if any.
        void Discard();
        const std::string& Get_Path() const { return m_path; }

    private:
        std::string m_path;
        Temp_Name m_temp;
        std::FILE* m_file = nullptr;
        bool m_in_place = false;
        bool m_closed = false;
        int m_errno = 0;
        std::uint64_t m_size = 0;
    };
}
