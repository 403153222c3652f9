// The JPEG data source: libjpeg pulls bytes through these procedures.
//
// No C++ object with a destructor lives in these frames: an error raised in
// fill_input_buffer jumps straight back to the loader past them.
#include "Code/JPG_Source.h"

#include <jerror.h>

#include "Code/JPG_Key.h"

namespace Ryx_Vektu
{
    namespace
    {
        JPG_Source* Source_Of(j_decompress_ptr cinfo) { return reinterpret_cast<JPG_Source*>(cinfo->src); }

        void Init_Source(j_decompress_ptr cinfo)
        {
            JPG_Source* src = Source_Of(cinfo);
            src->start_of_file = TRUE;
            src->scrambled = FALSE;
            src->key = JPG_Initial_Key;
        }

        boolean Fill_Input_Buffer(j_decompress_ptr cinfo)
        {
            JPG_Source* src = Source_Of(cinfo);
            std::size_t n = src->bytes->Read(src->buffer, JPG_Source_Buffer_Size);
            if (n == 0)
            {
                if (src->start_of_file)
                    ERREXIT(cinfo, JERR_INPUT_EMPTY);
                WARNMS(cinfo, JWRN_JPEG_EOF);
                // An inserted end of image ends decoding; it is not key stream.
                src->buffer[0] = JOCTET(0xFF);
                src->buffer[1] = JOCTET(JPEG_EOI);
                src->pub.next_input_byte = src->buffer;
                src->pub.bytes_in_buffer = 2;
                return TRUE;
            }
            if (src->start_of_file && src->buffer[0] != 0xFF)
                src->scrambled = TRUE;
            if (src->scrambled)
            {
                // The key runs over every byte of the file, across refills.
                int key = src->key;
                for (std::size_t i = 0; i < n; ++i)
                {
                    src->buffer[i] = JOCTET(src->buffer[i] ^ key);
                    key = (key + JPG_Key_Step) & 0xFF;
                }
                src->key = key;
            }
            src->pub.next_input_byte = src->buffer;
            src->pub.bytes_in_buffer = n;
            src->start_of_file = FALSE;
            return TRUE;
        }

        // Skipped bytes pass through the buffer, so the key advances over them.
        void Skip_Input_Data(j_decompress_ptr cinfo, long count)
        {
            if (count <= 0)
                return;
            JPG_Source* src = Source_Of(cinfo);
            while (count > long(src->pub.bytes_in_buffer))
            {
                count -= long(src->pub.bytes_in_buffer);
                (*src->pub.fill_input_buffer)(cinfo);
            }
            src->pub.next_input_byte += count;
            src->pub.bytes_in_buffer -= std::size_t(count);
        }

        void Term_Source(j_decompress_ptr) {}
    }

    void Set_JPG_Source(j_decompress_ptr cinfo, Byte_Source* bytes)
    {
        if (cinfo->src == nullptr)
        {
            cinfo->src = static_cast<jpeg_source_mgr*>(
                (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JPG_Source)));
            JPG_Source* src = Source_Of(cinfo);
            src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
                reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, JPG_Source_Buffer_Size * sizeof(JOCTET)));
        }
        JPG_Source* src = Source_Of(cinfo);
        src->bytes = bytes;
        src->pub.init_source = Init_Source;
        src->pub.fill_input_buffer = Fill_Input_Buffer;
        src->pub.skip_input_data = Skip_Input_Data;
        src->pub.resync_to_restart = jpeg_resync_to_restart;
        src->pub.term_source = Term_Source;
        src->pub.bytes_in_buffer = 0;
        src->pub.next_input_byte = nullptr;
    }
}
