// Where a texture decoder reads its bytes: an open file, a block at a time as
// decoding goes, or bytes already in memory. The decoders see only this, so
// reading a file is a thin layer over decoding, and a file is never held in
// memory whole.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>

namespace Ryx_Vektu
{
    class Byte_Source
    {
    public:
        // Copies up to count of the next bytes to out; fewer only at the end.
        // Called from libjpeg's callbacks: must not throw.
        virtual std::size_t Read(std::uint8_t* out, std::size_t count) = 0;

    protected:
        ~Byte_Source() = default;
    };

    // Reads from the current position of a stream the caller owns.
    class File_Source final : public Byte_Source
    {
    public:
        explicit File_Source(std::FILE* file) : m_file(file) {}
        std::size_t Read(std::uint8_t* out, std::size_t count) override { return std::fread(out, 1, count, m_file); }

    private:
        std::FILE* m_file;
    };

    // Reads the bytes of a span, never past its end.
    class Memory_Source final : public Byte_Source
    {
    public:
        explicit Memory_Source(std::span<const std::uint8_t> bytes) : m_rest(bytes) {}
        std::size_t Read(std::uint8_t* out, std::size_t count) override
        {
            if (count > m_rest.size())
                count = m_rest.size();
            if (count == 0)
                return 0;  // an empty span may have no data pointer at all
            std::memcpy(out, m_rest.data(), count);
            m_rest = m_rest.subspan(count);
            return count;
        }

    private:
        std::span<const std::uint8_t> m_rest;
    };
}
