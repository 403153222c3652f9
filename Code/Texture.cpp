// The two texture loaders and the textures they make.
//
// A file that cannot be used gives an empty texture (0 x 0, no pixels) and one
// line on stderr naming it; only a JPEG decoding error shows the "JPG Error"
// report, once. A damaged file that still decodes is named in one line too.
// Callers hold the result without checking it, so it is always an object.
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
        Texture_Impl() = default;
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
        TGA_Texture() = default;
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

    Ryx_Lib::Single<Texture> Load_TGA_Texture(const char* path)
    {
        TGA_Texture* texture = new (std::nothrow) TGA_Texture;
        if (!texture)
            return Ryx_Lib::Single<Texture>();
        Ryx_Lib::Single<Texture> holder(texture);
        texture->m_name = path;

        TGA_Image image;
        if (image.Load(path))
        {
            const std::size_t size = image.Get_Size();
            texture->m_pixels = static_cast<std::uint8_t*>(std::malloc(size));
            if (texture->m_pixels)
            {
                std::memcpy(texture->m_pixels, image.Get_Pixels(), size);
                texture->m_width = image.Get_Header().width;
                texture->m_height = image.Get_Header().height;
                texture->m_bytes_per_pixel = image.Get_Bytes_Per_Pixel();
            }
            else
                std::fprintf(stderr, "Load_TGA_Texture: %s: out of memory for the texture\n", path);
        }
        image.Release();
        return holder;
    }

    // libjpeg's error manager, with the jump back into the loader and the
    // file's name for its messages.
    struct JPG_Error_Manager
    {
        jpeg_error_mgr pub;  // first, so that cinfo->err is also this record
        std::jmp_buf jump;
        const char* path;
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
        std::fprintf(stderr, "Load_JPG_Texture: %s: %s\n", reinterpret_cast<JPG_Error_Manager*>(cinfo->err)->path,
                     text);
    }

    namespace
    {
        // What the error path must release. Written between setjmp and a
        // possible longjmp, so volatile, and plain C: nothing to destroy.
        struct JPG_Load_State
        {
            std::FILE* file;
            unsigned char* block;
        };

        void Store_Pixels(Texture_Impl& texture, std::uint32_t* pixels, int width, int height)
        {
            texture.m_pixels = pixels;
            texture.m_width = width;
            texture.m_height = height;
        }

        // Decodes path into texture, or leaves it empty. Only trivially
        // destructible locals here: libjpeg's errors longjmp into this frame.
        void Decode_JPG(const char* path, Texture_Impl& texture)
        {
            jpeg_decompress_struct cinfo;
            JPG_Error_Manager error;
            volatile JPG_Load_State state = {nullptr, nullptr};

            cinfo.err = jpeg_std_error(&error.pub);
            error.pub.error_exit = JPG_Error_Exit;
            error.pub.output_message = JPG_Output_Message;
            error.path = path;
            if (setjmp(error.jump))
            {
                jpeg_destroy_decompress(&cinfo);
                if (state.file)
                    std::fclose(state.file);
                std::free(state.block);
                RYX_ASSERT_MSG(false, "JPG Error", 100);
                return;  // once: the file would fail the same way again
            }

            if (Refuse_Unless_Regular(path, "Load_JPG_Texture"))
                return;
            state.file = std::fopen(path, "rb");
            if (!state.file)
            {
                std::fprintf(stderr, "Load_JPG_Texture: cannot open %s: %s\n", path, std::strerror(errno));
                return;
            }
            jpeg_create_decompress(&cinfo);
            Set_JPG_Source(&cinfo, state.file);
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
                state.block = static_cast<unsigned char*>(std::calloc(count, std::size_t(components)));
                if (!state.block)
                    refusal = "out of memory";
            }
            if (refusal)
            {
                std::fprintf(stderr, "Load_JPG_Texture: %s: %s (%u x %u, %d components)\n", path, refusal,
                             unsigned(cinfo.image_width), unsigned(cinfo.image_height), cinfo.num_components);
                jpeg_destroy_decompress(&cinfo);
                std::fclose(state.file);
                std::free(state.block);
                return;
            }

            unsigned char* const block = state.block;
            const std::size_t stride = std::size_t(width) * std::size_t(components);
            while (cinfo.output_scanline < cinfo.output_height)
            {
                JSAMPROW row = block + std::size_t(cinfo.output_scanline) * stride;
                if (jpeg_read_scanlines(&cinfo, &row, 1) == 0)
                    break;  // cannot happen with a source that never suspends; never spin
            }
            jpeg_finish_decompress(&cinfo);
            jpeg_destroy_decompress(&cinfo);
            std::fclose(state.file);
            state.file = nullptr;

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
                std::fprintf(stderr, "Load_JPG_Texture: %s: out of memory for the texture\n", path);
            std::free(block);
        }
    }

    Ryx_Lib::Single<Texture> Load_JPG_Texture(const char* path)
    {
        Texture_Impl* texture = new (std::nothrow) Texture_Impl;
        if (!texture)
            return Ryx_Lib::Single<Texture>();
        texture->m_name = path;
        Decode_JPG(path, *texture);
        return Ryx_Lib::Single<Texture>(texture);
    }
}
