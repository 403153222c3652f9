// The TGA decoder: header, skipped image ID and colour map, raw or run-length
// pixels, then the orientation step.
//
// Every file is untrusted. The checks come before the allocation (known depth
// and type, positive size, at most Max_Texture_Pixels), a run-length packet is
// cut at the end of the buffer, and a file that ends early repeats its last
// whole pixel to the end of the buffer, so every byte is defined. Either
// damage is told in one line naming the file.
#include "Code/Texture_TGA_Image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Code/Texture_Limits.h"

namespace Ryx_Vektu
{
    namespace
    {
        // Buffered reading of the bytes after the header; reports short reads.
        class Reader
        {
        public:
            explicit Reader(Byte_Source& source) : m_source(source) {}

            std::size_t Read(std::uint8_t* out, std::size_t count)
            {
                std::size_t done = 0;
                while (done < count)
                {
                    if (m_next == m_end && !Fill())
                        break;
                    std::size_t n = std::size_t(m_end - m_next);
                    if (n > count - done)
                        n = count - done;
                    std::memcpy(out + done, m_next, n);
                    m_next += n;
                    done += n;
                }
                return done;
            }

            void Skip(std::size_t count)
            {
                while (count > 0)
                {
                    if (m_next == m_end && !Fill())
                        return;
                    std::size_t n = std::size_t(m_end - m_next);
                    if (n > count)
                        n = count;
                    m_next += n;
                    count -= n;
                }
            }

        private:
            bool Fill()
            {
                const std::size_t n = m_source.Read(m_buffer, sizeof m_buffer);
                m_next = m_buffer;
                m_end = m_buffer + n;
                return n > 0;
            }

            Byte_Source& m_source;
            std::uint8_t m_buffer[16384];
            const std::uint8_t* m_next = m_buffer;
            const std::uint8_t* m_end = m_buffer;
        };

        void Repeat_Pixel(std::uint8_t* at, std::uint8_t* end, const std::uint8_t* pixel, int bpp)
        {
            for (; at < end; at += bpp)
                std::memcpy(at, pixel, std::size_t(bpp));
        }

        // What was wrong with a file that still gave a picture.
        struct Damage
        {
            const char* what = nullptr;  // null: none
            std::size_t pixels = 0;      // whole pixels read before it
        };

        // Reads count pixels into out; a short read keeps the whole pixels read
        // and repeats the last one (in last, updated) over the rest.
        // Returns the whole pixels read.
        std::size_t Read_Pixels(Reader& reader, std::uint8_t* out, std::size_t count, int bpp, std::uint8_t* last)
        {
            const std::size_t bytes = count * std::size_t(bpp);
            const std::size_t got = reader.Read(out, bytes) / std::size_t(bpp) * std::size_t(bpp);
            if (got > 0)
                std::memcpy(last, out + got - bpp, std::size_t(bpp));
            if (got < bytes)
                Repeat_Pixel(out + got, out + bytes, last, bpp);
            return got / std::size_t(bpp);
        }

        Damage Decode_Run_Length(Reader& reader, std::uint8_t* out, std::size_t size, int bpp)
        {
            const char* const Ends_Early = "the file ends early";
            std::uint8_t last[4] = {0, 0, 0, 0};
            std::uint8_t* at = out;
            std::uint8_t* const end = out + size;
            Damage damage;
            while (at < end)
            {
                const std::size_t done = std::size_t(at - out) / std::size_t(bpp);
                std::uint8_t h = 0;
                if (reader.Read(&h, 1) != 1)
                {
                    Repeat_Pixel(at, end, last, bpp);
                    return {Ends_Early, done};
                }
                std::size_t count = std::size_t(h & 0x7F) + 1;
                const std::size_t room = std::size_t(end - at) / std::size_t(bpp);
                if (count > room)
                {
                    count = room;  // a packet past the buffer's end is cut there
                    damage = {"a run-length packet runs past the image's end", done};
                }
                if (h & 0x80)
                {
                    std::uint8_t pixel[4];
                    if (reader.Read(pixel, std::size_t(bpp)) != std::size_t(bpp))
                    {
                        Repeat_Pixel(at, end, last, bpp);
                        return {Ends_Early, done};
                    }
                    std::memcpy(last, pixel, std::size_t(bpp));
                    Repeat_Pixel(at, at + count * std::size_t(bpp), last, bpp);
                }
                else
                {
                    const std::size_t got = Read_Pixels(reader, at, count, bpp, last);
                    if (got < count)
                    {
                        Repeat_Pixel(at + count * std::size_t(bpp), end, last, bpp);
                        return {Ends_Early, done + got};
                    }
                }
                at += count * std::size_t(bpp);
            }
            return damage;
        }

        int U16(const std::uint8_t* b) { return b[0] | b[1] << 8; }

        TGA_Header Decode_Header(const std::uint8_t* b)
        {
            TGA_Header h;
            h.id_length = b[0];
            h.colour_map_type = b[1];
            h.image_type = b[2];
            h.first_entry = std::uint16_t(U16(b + 3));
            h.colour_map_length = std::int16_t(std::uint16_t(U16(b + 5)));
            h.colour_map_entry_size = b[7];
            h.x_origin = std::uint16_t(U16(b + 8));
            h.y_origin = std::uint16_t(U16(b + 10));
            h.width = std::int16_t(std::uint16_t(U16(b + 12)));
            h.height = std::int16_t(std::uint16_t(U16(b + 14)));
            h.pixel_depth = b[16];
            h.descriptor = b[17];
            return h;
        }

        bool Known_Type(int type) { return type == 0 || (type >= 1 && type <= 3) || (type >= 9 && type <= 11); }

        bool Refuse(const char* who, const char* name, const char* reason, int value)
        {
            std::fprintf(stderr, "%s: %s: %s (%d)\n", who, name, reason, value);
            return false;
        }
    }

    int TGA_Bytes_For_Bits(int bits)
    {
        switch (bits)
        {
        case 8: return 1;
        case 15:
        case 16: return 2;
        case 24: return 3;
        case 32: return 4;
        default: return 0;
        }
    }

    std::size_t TGA_Image::Get_Size() const
    {
        if (!m_pixels)
            return 0;
        return std::size_t(m_header.width) * std::size_t(m_header.height) * std::size_t(m_bytes_per_pixel);
    }

    void TGA_Image::Release()
    {
        std::free(m_pixels);
        m_pixels = nullptr;
    }

    bool TGA_Image::Read(Byte_Source& source, const char* who, const char* name)
    {
        Release();
        m_header = TGA_Header();
        m_bytes_per_pixel = 0;

        std::uint8_t raw[18];
        const bool whole_header = source.Read(raw, sizeof raw) == sizeof raw;
        if (whole_header)
            m_header = Decode_Header(raw);
        m_bytes_per_pixel = TGA_Bytes_For_Bits(m_header.pixel_depth);

        // Sizes are checked as signed values first: the product of two 16-bit
        // fields does not fit an int, and a negative one would wrap size_t.
        const std::size_t pixel_count = std::size_t(m_header.width > 0 ? m_header.width : 0) *
            std::size_t(m_header.height > 0 ? m_header.height : 0);
        bool ok = true;
        if (!whole_header)
            ok = Refuse(who, name, "file shorter than the 18-byte header", 0);
        else if (!Known_Type(m_header.image_type))
            ok = Refuse(who, name, "unsupported image type", m_header.image_type);
        else if (m_bytes_per_pixel == 0)
            ok = Refuse(who, name, "unsupported pixel depth", m_header.pixel_depth);
        else if (m_header.width <= 0 || m_header.height <= 0)
            ok = Refuse(who, name, "width or height not positive",
                        m_header.width <= 0 ? m_header.width : m_header.height);
        else if (pixel_count > Max_Texture_Pixels)
            ok = Refuse(who, name, "too many pixels, thousands", int(pixel_count / 1000));
        if (!ok)
            return false;

        Reader reader(source);
        reader.Skip(m_header.id_length);
        if (m_header.colour_map_type != 0 && m_header.colour_map_length > 0)
            reader.Skip(std::size_t(m_header.colour_map_length) *
                        std::size_t(TGA_Bytes_For_Bits(m_header.colour_map_entry_size)));

        const std::size_t size = pixel_count * std::size_t(m_bytes_per_pixel);
        m_pixels = static_cast<std::uint8_t*>(std::malloc(size));
        if (!m_pixels)
            return Refuse(who, name, "out of memory for pixels, kilobytes", int(size / 1024));

        std::uint8_t last[4] = {0, 0, 0, 0};
        Damage damage;
        switch (m_header.image_type)
        {
        case 0: std::memset(m_pixels, 0, size); break;
        case 1:
        case 2:
        case 3:
            damage.pixels = Read_Pixels(reader, m_pixels, pixel_count, m_bytes_per_pixel, last);
            if (damage.pixels < pixel_count)
                damage.what = "the file ends early";
            break;
        default: damage = Decode_Run_Length(reader, m_pixels, size, m_bytes_per_pixel); break;
        }
        if (damage.what)
            std::fprintf(stderr, "%s: %s: damaged: %s, after %zu of %zu pixels; shown as decoded\n", who, name,
                         damage.what, damage.pixels, pixel_count);

        switch (m_header.descriptor >> 3)
        {
        case 0:
        case 1: Flip(0, 1); break;
        case 2: Flip(0, 0); break;
        case 3: Flip(1, 1); break;
        default: break;
        }
        return true;
    }

    void TGA_Image::Flip(int mirror_x, int mirror_y)
    {
        if (!m_pixels || (mirror_x <= 0 && mirror_y <= 0))
            return;  // nothing moves
        const std::size_t size = Get_Size();
        std::uint8_t* copy = static_cast<std::uint8_t*>(std::malloc(size));
        if (!copy)
            return;
        std::memcpy(copy, m_pixels, size);

        const int width = m_header.width;
        const int height = m_header.height;
        const std::size_t bpp = std::size_t(m_bytes_per_pixel);
        const std::size_t stride = std::size_t(width) * bpp;
        for (int y = 0; y < height; ++y)
        {
            const int sy = mirror_y > 0 ? height - 1 - y : y;
            std::uint8_t* to = m_pixels + std::size_t(y) * stride;
            const std::uint8_t* from = copy + std::size_t(sy) * stride;
            if (mirror_x > 0)
                for (int x = 0; x < width; ++x)
                    std::memcpy(to + std::size_t(x) * bpp, from + std::size_t(width - 1 - x) * bpp, bpp);
            else
                std::memcpy(to, from, stride);
        }
        std::free(copy);
    }
}
