// Short text labels drawn onto a picture with FreeType, in the face the
// painter finds through fontconfig (DejaVu Sans Bold).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Ryx_Capture
{
    class Label_Font
    {
    public:
        // A file that cannot be opened (or an empty name) gives a font that
        // draws nothing.
        explicit Label_Font(const std::string& file);

        bool Is_Open() const { return m_face != nullptr; }

        // Draws text with its baseline at (x, y), blending the colour by
        // glyph coverage, clipped to the picture.
        void Draw(std::uint32_t* pixels, int width, int height, int x, int y, const std::string& text, int size,
                  std::uint32_t colour) const;

    private:
        struct Free_Type
        {
            void operator()(FT_LibraryRec_* library) const;
            void operator()(FT_FaceRec_* face) const;
        };

        std::unique_ptr<FT_LibraryRec_, Free_Type> m_library;
        std::unique_ptr<FT_FaceRec_, Free_Type> m_face;  // after the library: it goes first
    };
}
