// PNG filter reversal for processors with SSE2 (see png_unfilter_x86.inc).
#if defined(__x86_64__)
#define PW_UNFILTER_LEVEL 2
#define PW_UNFILTER_TARGET __attribute__((target("sse2")))
#define PW_UNFILTER_SET SetPngUnfiltersSse2
#include "decode/png_unfilter_x86.inc"
#endif
