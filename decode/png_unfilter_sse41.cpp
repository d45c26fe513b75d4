// PNG filter reversal for processors with SSE4.1 (see png_unfilter_x86.inc).
#if defined(__x86_64__)
#define PW_UNFILTER_LEVEL 41
#define PW_UNFILTER_TARGET __attribute__((target("sse4.1")))
#define PW_UNFILTER_SET SetPngUnfiltersSse41
#include "decode/png_unfilter_x86.inc"
#endif
