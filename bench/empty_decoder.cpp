// A decoder that does nothing, in its own translation unit so that the bench
// calls it once per byte exactly as a caller calls ppp_frame_decode.
#include "codec/ppp_frame.h"

int emptyDecode(DecoderState &, uint8_t, uint8_t *, int)
{
    return 0;
}
