#include "Tools/Painter/Font_Files.h"

#include <fontconfig/fontconfig.h>
#include <cstring>

namespace Ryx_Painter
{
    std::string Font_File(const Face& face)
    {
        std::string file;
        // A configuration of our own, destroyed after the question, rather
        // than fontconfig's global one, which lives to the end of the process.
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (!config)
            return file;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face.pattern));
        if (!pattern)
        {
            FcConfigDestroy(config);
            return file;
        }
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(config, pattern, &result))
        {
            FcChar8* name = nullptr;
            FcChar8* path = nullptr;
            if (FcPatternGetString(match, FC_POSTSCRIPT_NAME, 0, &name) == FcResultMatch &&
                FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
                std::strcmp(reinterpret_cast<const char*>(name), face.postscript_name) == 0)
                file = reinterpret_cast<const char*>(path);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        FcConfigDestroy(config);
        return file;
    }

    std::string Missing_Font_Message(const Face& face)
    {
        return std::string("the font \"") + face.pattern + "\" (" + face.postscript_name +
            ") is not installed; on Debian it comes with fonts-dejavu-core and fonts-dejavu-extra";
    }
}
