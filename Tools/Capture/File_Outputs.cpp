// The outputs that are one file each, written through Output_File, and the
// video behind its writer.
#include "Tools/Capture/File_Outputs.h"

#include <cstdio>
#include <vector>

#include "Tools/Capture/Contact_Sheet.h"
#include "Tools/Capture/Frame_Clock.h"
#include "Tools/Capture/Label_Font.h"
#include "Tools/Capture/Output_File.h"
#include "Tools/Image_Writer/Image_Writer.h"
#include "Tools/Painter/Font_Files.h"
#include "Tools/Wav_File/Wav_File.h"

namespace Ryx_Capture
{
    namespace
    {
        class File_Output : public Capture_Output
        {
        public:
            explicit File_Output(std::string path) : m_path(std::move(path)) {}

            bool Open(std::string& error, std::string&) override { return m_file.Open(m_path, error); }
            bool Finish(std::string& error) override { return m_file.Close(error); }
            bool Commit(std::string& error) override { return m_file.Commit(error); }
            void Discard() override { m_file.Discard(); }
            std::uint64_t Get_Size() const override { return m_file.Get_Size(); }

        protected:
            // After a failed write: the reason, which names the file.
            bool Failed(std::string& error)
            {
                m_file.Close(error);
                return false;
            }

            std::string m_path;
            Output_File m_file;
        };

        class Log_Output : public File_Output
        {
        public:
            using File_Output::File_Output;

            // The picture's bytes without the top byte, which is not shown.
            bool Add_Frame(const Shown_Frame& f, std::string& error) override
            {
                const Frame_Print print = Print_Frame(f.pixels, std::size_t(f.width) * f.height);
                char line[96];
                int length = std::snprintf(line, sizeof line, "%ld %d %d %016llx %.3f\n", f.index, f.order, f.row,
                                           static_cast<unsigned long long>(print.hash), print.brightness);
                return m_file.Write(line, std::size_t(length)) || Failed(error);
            }
        };

        class Wav_Output : public File_Output
        {
        public:
            using File_Output::File_Output;

            bool Open(std::string& error, std::string& note) override
            {
                if (!File_Output::Open(error, note))
                    return false;
                const auto header = Ryx_Tools::Wav_Header(Audio_Rate, 2, 0);
                m_file.Write(header.data(), header.size());
                return true;
            }

            bool Add_Sound(const std::int16_t* samples, std::size_t frames, std::string& error) override
            {
                m_bytes.clear();
                Ryx_Tools::Append_Wav_Samples(samples, frames * 2, m_bytes);
                m_frames += frames;
                return m_file.Write(m_bytes.data(), m_bytes.size()) || (Finish(error), false);
            }

            // The header again, now that the length is known.
            bool Finish(std::string& error) override
            {
                const auto header = Ryx_Tools::Wav_Header(Audio_Rate, 2, m_frames);
                m_file.Seek_To_Start();
                m_file.Write(header.data(), header.size());
                return m_file.Close(error);
            }

        private:
            std::uint64_t m_frames = 0;
            std::vector<std::uint8_t> m_bytes;
        };

        class Raw_Output : public File_Output
        {
        public:
            using File_Output::File_Output;

            bool Add_Frame(const Shown_Frame& f, std::string& error) override
            {
                return m_file.Write(f.pixels, std::size_t(f.width) * f.height * 4) || Failed(error);
            }
        };

        class Still_Output : public File_Output
        {
        public:
            Still_Output(std::string path, long frame, const Frame_Layout& layout)
                : File_Output(std::move(path)), m_frame(frame), m_layout(layout)
            {}

            // A failed write is told by Finish.
            bool Add_Frame(const Shown_Frame& f, std::string&) override
            {
                if (f.index == m_frame)
                {
                    std::vector<std::uint8_t> png = Encode_Frame_PNG(f.pixels, m_layout, 6);
                    m_file.Write(png.data(), png.size());
                }
                return true;
            }

        private:
            long m_frame;
            Frame_Layout m_layout;
        };

        class Sheet_Output : public File_Output
        {
        public:
            using File_Output::File_Output;

            // Without its face, the sheet is drawn without labels, and says so.
            bool Open(std::string& error, std::string& note) override
            {
                const std::string file = Ryx_Painter::Font_File(Ryx_Painter::Face_Bold);
                m_font = std::make_unique<Label_Font>(file);
                if (file.empty())
                    note = Ryx_Painter::Missing_Font_Message(Ryx_Painter::Face_Bold) + ": the sheet has no labels";
                else if (!m_font->Is_Open())
                    note = "cannot read the font " + file + ": the sheet has no labels";
                return File_Output::Open(error, note);
            }

            // The brightest frame of rows 32 to 35, the middle of the order.
            bool Add_Frame(const Shown_Frame& f, std::string&) override
            {
                if (f.row >= 32 && f.row < 36)
                    m_sheet.Add(f.order, f.seconds, f.pixels, f.width, f.height);
                if (f.order == Show_Orders - 1 && f.row >= 36)
                    m_complete = true;
                return true;
            }

            bool Is_Complete() const override { return m_complete; }

            bool Finish(std::string& error) override
            {
                int w = 0, h = 0;
                std::vector<std::uint32_t> sheet = m_sheet.Compose(*m_font, w, h);
                std::vector<std::uint8_t> png = Ryx_Tools::Encode_PNG(w, h, sheet.data(), 6);
                m_file.Write(png.data(), png.size());
                return m_file.Close(error);
            }

        private:
            Contact_Sheet m_sheet{Show_Orders};
            std::unique_ptr<Label_Font> m_font;
            bool m_complete = false;
        };

        class Video_Output : public Capture_Output
        {
        public:
            Video_Output(std::string path, const Video_Settings& settings)
                : m_path(std::move(path)), m_settings(settings)
            {}

            bool Open(std::string& error, std::string& note) override
            {
                m_writer = Open_Video(m_path, m_settings, error, note);
                return m_writer != nullptr;
            }

            bool Add_Frame(const Shown_Frame& f, std::string& error) override
            {
                return m_writer->Add_Frame(f.pixels) || Stopped(error);
            }

            bool Add_Sound(const std::int16_t* samples, std::size_t frames, std::string& error) override
            {
                return m_writer->Add_Audio(samples, frames) || Stopped(error);
            }

            bool Finish(std::string& error) override { return m_writer->Finish(error); }
            bool Commit(std::string& error) override { return m_writer->Commit(error); }
            void Discard() override { m_writer.reset(); }
            std::uint64_t Get_Size() const override { return m_writer ? m_writer->Get_Size() : 0; }

            std::string Get_Work_Note() const override
            {
                if (!m_writer)
                    return {};
                char text[96];
                std::snprintf(text, sizeof text, " on this thread, encoder thread %.1f s (enlarging %.1f s)",
                              m_writer->Get_Encode_Seconds(), m_writer->Get_Enlarge_Seconds());
                return text;
            }

        private:
            // The writer's own reason, which names the file: stopping it gives it.
            bool Stopped(std::string& error)
            {
                error = "the video encoder stopped";
                m_writer->Finish(error);
                return false;
            }

            std::string m_path;
            Video_Settings m_settings;
            std::unique_ptr<Video_Writer> m_writer;
        };
    }

    std::unique_ptr<Capture_Output> Make_Log_Output(const std::string& path)
    {
        return std::make_unique<Log_Output>(path);
    }

    std::unique_ptr<Capture_Output> Make_Wav_Output(const std::string& path)
    {
        return std::make_unique<Wav_Output>(path);
    }

    std::unique_ptr<Capture_Output> Make_Raw_Output(const std::string& path)
    {
        return std::make_unique<Raw_Output>(path);
    }

    std::unique_ptr<Capture_Output> Make_Still_Output(const std::string& path, long frame, const Frame_Layout& layout)
    {
        return std::make_unique<Still_Output>(path, frame, layout);
    }

    std::unique_ptr<Capture_Output> Make_Sheet_Output(const std::string& path)
    {
        return std::make_unique<Sheet_Output>(path);
    }

    std::unique_ptr<Capture_Output> Make_Video_Output(const std::string& path, const Video_Settings& settings)
    {
        return std::make_unique<Video_Output>(path, settings);
    }
}
