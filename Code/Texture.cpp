// The two texture decoders, the path loaders over them, and the textures they
// make.
//
// A file that cannot be used gives an empty texture (0 x 0, no pixels) and one
// line on stderr naming it; only a JPEG decoding error shows the "JPG Error"
// report, once. A damaged file that still decodes is named in one line too.
// Each line begins with the function the caller called. Callers hold the
// result without checking it, so it is always an object.
#include "Code/Texture.h"

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <jpeglib.h>

#include "Code/Byte_Source.h"
#include "Code/JPG_Source.h"
#include "Code/Regular_File.h"
#include "Code/Texture_Limits.h"
#include "Code/Texture_TGA_Image.h"
#include "Lib/Assertion.h"

namespace Ryx_Vektu
{
    // A decoded JPEG: 0xFFRRGGBB pixels, rows top to bottom.
    class Texture_Impl : public Texture
    {
    public:
        explicit Texture_Impl(const char* name) : m_name(name) {}
        ~Texture_Impl() override { std::free(m_pixels); }
        Texture_Impl(const Texture_Impl&) = delete;
        Texture_Impl& operator=(const Texture_Impl&) = delete;

        int Get_Width() override { return m_width; }
        int Get_Height() override { return m_height; }
        void* Get_Pixels() override { return m_pixels; }
        int Get_Bytes_Per_Pixel() override { return 4; }
        const char* Get_Name() override { return m_name.c_str(); }

        std::int32_t m_width = 0;
        std::int32_t m_height = 0;
        std::uint32_t* m_pixels = nullptr;
        std::string m_name;
    };

    // A TGA file's pixel bytes as stored, after orientation.
    class TGA_Texture : public Texture
    {
    public:
        explicit TGA_Texture(const char* name) : m_name(name) {}
        ~TGA_Texture() override { std::free(m_pixels); }
        TGA_Texture(const TGA_Texture&) = delete;
        TGA_Texture& operator=(const TGA_Texture&) = delete;

        int Get_Width() override { return m_width; }
        int Get_Height() override { return m_height; }
        void* Get_Pixels() override { return m_pixels; }
        int Get_Bytes_Per_Pixel() override { return m_bytes_per_pixel; }
        const char* Get_Name() override { return m_name.c_str(); }

        std::int32_t m_bytes_per_pixel = 0;
        std::int32_t m_width = 0;
        std::int32_t m_height = 0;
        std::uint8_t* m_pixels = nullptr;
        std::string m_name;
    };

    namespace
    {
        // Opens path for a path loader, after the checks they all make, and
        // hands decode the file; or says why it cannot.
        template <class Decode>
        void With_File(const char* path, const char* who, Decode decode)
        {
            if (Refuse_Unless_Regular(path, who))
                return;
            std::FILE* file = std::fopen(path, "rb");
            if (!file)
            {
                std::fprintf(stderr, "%s: cannot open %s: %s\n", who, path, std::strerror(errno));
                return;
            }
            File_Source source(file);
            decode(source);
            std::fclose(file);
        }

        void Read_TGA(Byte_Source& source, const char* who, TGA_Texture& texture)
        {
            const char* const name = texture.m_name.c_str();
            TGA_Image image;
            if (image.Read(source, who, name))
            {
                const std::size_t size = image.Get_Size();
                texture.m_pixels = static_cast<std::uint8_t*>(std::malloc(size));
                if (texture.m_pixels)
                {
                    std::memcpy(texture.m_pixels, image.Get_Pixels(), size);
                    texture.m_width = image.Get_Header().width;
                    texture.m_height = image.Get_Header().height;
                    texture.m_bytes_per_pixel = image.Get_Bytes_Per_Pixel();
                }
                else
                    std::fprintf(stderr, "%s: %s: out of memory for the texture\n", who, name);
            }
            image.Release();
        }
    }

    // The texture object comes first in every entry: without it nothing is read.
    Ryx_Lib::Single<Texture> Load_TGA_Texture(const char* path)
    {
        TGA_Texture* texture = new (std::nothrow) TGA_Texture(path);
        if (!texture)
            return Ryx_Lib::Single<Texture>();
        Ryx_Lib::Single<Texture> holder(texture);
        With_File(path, "Load_TGA_Texture",
                  [texture](Byte_Source& source) { Read_TGA(source, "Load_TGA_Texture", *texture); });
        return holder;
    }

    Ryx_Lib::Single<Texture> Decode_TGA(std::span<const std::uint8_t> bytes, const char* name)
    {
        TGA_Texture* texture = new (std::nothrow) TGA_Texture(name);
        if (!texture)
            return Ryx_Lib::Single<Texture>();
        Ryx_Lib::Single<Texture> holder(texture);
        Memory_Source source(bytes);
        Read_TGA(source, "Decode_TGA", *texture);
        return holder;
    }

    // libjpeg's error manager, with the jump back into the decoder, and who
    // and the file's name for its messages.
    struct JPG_Error_Manager
    {
        jpeg_error_mgr pub;  // first, so that cinfo->err is also this record
        std::jmp_buf jump;
        const char* who;
        const char* name;
    };

    // Installed as error_exit: prints libjpeg's message, never returns.
    void JPG_Error_Exit(j_common_ptr cinfo)
    {
        (*cinfo->err->output_message)(cinfo);
        std::longjmp(reinterpret_cast<JPG_Error_Manager*>(cinfo->err)->jump, 1);
    }

    // Installed as output_message: libjpeg's text for an error or a warning
    // (it shows the first warning of a file only), after the file's name.
    void JPG_Output_Message(j_common_ptr cinfo)
    {
        char text[JMSG_LENGTH_MAX];
        (*cinfo->err->format_message)(cinfo, text);
        const JPG_Error_Manager* error = reinterpret_cast<JPG_Error_Manager*>(cinfo->err);
        std::fprintf(stderr, "%s: %s: %s\n", error->who, error->name, text);
    }

    namespace
    {
        void Store_Pixels(Texture_Impl& texture, std::uint32_t* pixels, int width, int height)
        {
            texture.m_pixels = pixels;
            texture.m_width = width;
            texture.m_height = height;
        }

        // Decodes source into texture, or leaves it empty. Only trivially
        // destructible locals here: libjpeg's errors longjmp into this frame.
        void Read_JPG(Byte_Source& source, const char* who, Texture_Impl& texture)
        {
            const char* const name = texture.m_name.c_str();
            jpeg_decompress_struct cinfo;
            JPG_Error_Manager error;
            // What the error path must release. Written between setjmp and a
            // possible longjmp, so volatile.
            unsigned char* volatile decoded = nullptr;

            cinfo.err = jpeg_std_error(&error.pub);
            error.pub.error_exit = JPG_Error_Exit;
            error.pub.output_message = JPG_Output_Message;
            error.who = who;
            error.name = name;
            if (setjmp(error.jump))
            {
                jpeg_destroy_decompress(&cinfo);
                std::free(decoded);
                RYX_ASSERT_MSG(false, "JPG Error", 100);
                return;  // once: the file would fail the same way again
            }

            jpeg_create_decompress(&cinfo);
            Set_JPG_Source(&cinfo, &source);
            jpeg_read_header(&cinfo, TRUE);

            // Checked on the header, before the decoder allocates for the image:
            // a few bytes may claim 65500 x 65500 pixels. At the default scale
            // the output size is the image size.
            const char* refusal = nullptr;
            if (cinfo.out_color_space != JCS_RGB && cinfo.out_color_space != JCS_GRAYSCALE)
                refusal = "colour components other than 3 or 1";
            else if (std::size_t(cinfo.image_width) * cinfo.image_height > Max_Texture_Pixels)
                refusal = "too many pixels";
            else
            {
                jpeg_start_decompress(&cinfo);
                if (cinfo.output_components != (cinfo.out_color_space == JCS_RGB ? 3 : 1))
                    refusal = "colour components other than 3 or 1";
            }
            const int width = int(cinfo.output_width);
            const int height = int(cinfo.output_height);
            const int components = cinfo.output_components;
            const std::size_t count = std::size_t(cinfo.output_width) * cinfo.output_height;
            if (!refusal)
            {
                // Zeroed, so rows the decoder never delivers are defined too.
                decoded = static_cast<unsigned char*>(std::calloc(count, std::size_t(components)));
                if (!decoded)
                    refusal = "out of memory";
            }
            if (refusal)
            {
                std::fprintf(stderr, "%s: %s: %s (%u x %u, %d components)\n", who, name, refusal,
                             unsigned(cinfo.image_width), unsigned(cinfo.image_height), cinfo.num_components);
                jpeg_destroy_decompress(&cinfo);
                std::free(decoded);
                return;
            }

            unsigned char* const block = decoded;
            const std::size_t stride = std::size_t(width) * std::size_t(components);
            while (cinfo.output_scanline < cinfo.output_height)
            {
                JSAMPROW row = block + std::size_t(cinfo.output_scanline) * stride;
                if (jpeg_read_scanlines(&cinfo, &row, 1) == 0)
                    break;  // cannot happen with a source that never suspends; never spin
            }
            jpeg_finish_decompress(&cinfo);
            jpeg_destroy_decompress(&cinfo);

            std::uint32_t* pixels = static_cast<std::uint32_t*>(std::malloc(count * sizeof(std::uint32_t)));
            if (pixels)
            {
                const unsigned char* from = block;
                if (components == 3)
                    for (std::size_t i = 0; i < count; ++i, from += 3)
                        pixels[i] = 0xFF000000u | std::uint32_t(from[0]) << 16 | std::uint32_t(from[1]) << 8 | from[2];
                else
                    for (std::size_t i = 0; i < count; ++i)
                        pixels[i] = 0xFF000000u | std::uint32_t(block[i]) * 0x010101u;
                Store_Pixels(texture, pixels, width, height);
            }
            else
                std::fprintf(stderr, "%s: %s: out of memory for the texture\n", who, name);
            std::free(block);
        }
    }

    Ryx_Lib::Single<Texture> Load_JPG_Texture(const char* path)
    {
        Texture_Impl* texture = new (std::nothrow) Texture_Impl(path);
        if (!texture)
            return Ryx_Lib::Single<Texture>();
        Ryx_Lib::Single<Texture> holder(texture);
        With_File(path, "Load_JPG_Texture",
                  [texture](Byte_Source& source) { Read_JPG(source, "Load_JPG_Texture", *texture); });
        return holder;
    }

    Ryx_Lib::Single<Texture> Decode_JPG(std::span<const std::uint8_t> bytes, const char* name)
    {
        Texture_Impl* texture = new (std::nothrow) Texture_Impl(name);
        if (!texture)
            return Ryx_Lib::Single<Texture>();
        Ryx_Lib::Single<Texture> holder(texture);
        Memory_Source source(bytes);
        Read_JPG(source, "Decode_JPG", *texture);
        return holder;
    }
}
