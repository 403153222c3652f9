// The JPEG decoder's own data source: reads a byte source in 4096-byte
// blocks and undoes the running XOR key of scrambled files on the fly. A file
// whose first byte is not 0xFF is taken as scrambled.
#pragma once
#include <cstdio>
#include <jpeglib.h>

#include "Code/Byte_Source.h"

namespace Ryx_Vektu
{
    constexpr int JPG_Source_Buffer_Size = 4096;

    struct JPG_Source
    {
        jpeg_source_mgr pub;  // first, so that cinfo->src is also this record
        Byte_Source* bytes;
        JOCTET* buffer;
        boolean start_of_file;
        boolean scrambled;
        int key;
    };

    // The counterpart of jpeg_stdio_src: attaches a JPG_Source reading bytes,
    // which must outlive the decompression.
    void Set_JPG_Source(j_decompress_ptr cinfo, Byte_Source* bytes);
}
