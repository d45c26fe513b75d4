// PNG filter reversal for processors with SSSE3 (see png_unfilter_x86.inc).
#if defined(__x86_64__)
#define PW_UNFILTER_LEVEL 3
#define PW_UNFILTER_TARGET __attribute__((target("ssse3")))
#define PW_UNFILTER_SET SetPngUnfiltersSsse3
#include "decode/png_unfilter_x86.inc"
#endif
