// pwinspect scale FILE WIDTH HEIGHT OUT.bmp [--nearest]: the display copy the
// reader makes of a page drawn whole at WIDTH x HEIGHT: the page decoded as the
// loader decodes it (turned upright), scaled with the smooth filter (halftone
// stretching) or, with --nearest, the nearest one (colour on colour), and
// written as a BMP (an 8-bit copy with the page's palette).
#include <cstdio>
#include <string_view>

#include "tools/pwinspect/bmp_dump.h"
#include "tools/pwinspect/commands.h"
#include "view/loader.h"
#include "view/scale_picture.h"

namespace {

// A decimal number from 1 to 65535; 0 for anything else.
int32_t Dimension(const char16_t* text) {
    int32_t v = 0;
    for (const char16_t* p = text; *p != 0; ++p) {
        if (*p < u'0' || *p > u'9' || v > 6553) {
            return 0;
        }
        v = v * 10 + (*p - u'0');
    }
    return v <= 65535 ? v : 0;
}

}  // namespace

int CmdScale(int argc, char16_t** argv) {
    const bool nearest = argc == 5 && std::u16string_view(argv[4]) == u"--nearest";
    const int32_t width = argc >= 4 ? Dimension(argv[1]) : 0;
    const int32_t height = argc >= 4 ? Dimension(argv[2]) : 0;
    if ((argc != 4 && !nearest) || width == 0 || height == 0) {
        std::fputs("usage: pwinspect scale FILE WIDTH HEIGHT OUT.bmp [--nearest]\n", stderr);
        return 2;
    }
    LoadRequest request;
    request.path.Assign(argv[0]);
    PageImage page{};
    if (request.path.length == 0 || !DecodePage(RealDecodeOps(), request, &page)) {
        std::fputs("pwinspect scale: the page cannot be decoded\n", stderr);
        return 1;
    }
    ScaledPicture copy{};
    const PicturePart whole{0, 0, page.header.width, page.header.height};
    bool ok = ScalePicture(page, whole, width, height, nearest ? ScaleFilter::kNearest : ScaleFilter::kSmooth,
                           &copy);
    if (!ok) {
        std::fputs("pwinspect scale: no copy of that size\n", stderr);
    } else if (!WriteBmpDump(argv[3], copy.header, page.palette, copy.pixels)) {
        std::fputs("pwinspect scale: cannot write the copy\n", stderr);
        ok = false;
    }
    ReleaseScaledPicture(&copy);
    ReleasePageImage(&page);
    return ok ? 0 : 1;
}
