#include "view/view_state.h"

namespace {

void NoInvalidate(void*, const ViewRect*) {}
void NoUpdate(void*) {}
void NoText(void*, const char16_t*) {}
void NoPosition(void*, int32_t) {}
void NoCursor(void*, ViewCursor) {}
void NoButton(void*, bool) {}
bool NoCursorPosition(void*, int32_t*, int32_t*) {
    return false;
}
void NoPriority(void*, LoaderPriority) {}
bool NoPostCancel(void*) {
    return false;
}
bool NoPostLoad(void*, int32_t, LoadRequest*) {
    return false;
}

template <typename F>
void Default(F*& entry, F* fallback) {
    if (entry == nullptr) {
        entry = fallback;
    }
}

}  // namespace

void ViewInit(ReadingView* view,
              BookState* book,
              const ViewOps* ops,
              const DecodeOps* decode,
              const LoaderOps* loader) {
    view->book = book;
    view->ops = ops != nullptr ? *ops : ViewOps{};
    ViewOps& o = view->ops;
    Default(o.invalidate, NoInvalidate);
    Default(o.update, NoUpdate);
    Default(o.setPageText, NoText);
    Default(o.setSliderPosition, NoPosition);
    // sliderPosition and mouseMove stay null when missing: their callers have a
    // fallback of their own.
    Default(o.redrawFileListRow, NoPosition);
    Default(o.selectFileListRow, NoPosition);
    Default(o.scrollFileListTo, NoPosition);
    Default(o.setCursor, NoCursor);
    Default(o.setLoupeButton, NoButton);
    Default(o.cursorPosition, NoCursorPosition);
    view->decode = decode != nullptr ? decode : RealDecodeOps();
    view->loader = loader != nullptr ? *loader : LoaderOps{};
    Default(view->loader.setPriority, NoPriority);
    Default(view->loader.postCancel, NoPostCancel);
    Default(view->loader.postLoad, NoPostLoad);
}

void ApplyViewPrefs(ReadingView* view, const ViewPrefs& prefs) {
    view->prefs = prefs;
    if (prefs.stretchMode != 3 && prefs.stretchMode != 4) {
        view->prefs.stretchMode = 4;
    }
    if (prefs.backgroundColour < 0 || prefs.backgroundColour > 4) {
        view->prefs.backgroundColour = 2;
    }
}
