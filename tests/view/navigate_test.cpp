// Navigation: which pages each command shows, in which slots, in both reading
// directions; the commands that do nothing; what follows a show; the page text
// and the slider.
#include <gtest/gtest.h>

#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/navigate.h"
#include "view/read_ahead.h"

namespace {

// Pages from a pattern: 'P' portrait, 'L' landscape, 'S' square, 'F' fails.
std::vector<FakePage> Pages(const std::string& pattern) {
    std::vector<FakePage> pages;
    for (char c : pattern) {
        FakePage p;
        if (c == 'L') {
            p.width = 80;
            p.height = 60;
        } else if (c == 'S') {
            p.width = p.height = 70;
        } else if (c == 'F') {
            p.fail = true;
        }
        pages.push_back(p);
    }
    return pages;
}

std::vector<FakePage> Portraits(size_t n) {
    return std::vector<FakePage>(n);
}

struct Move {
    int32_t command;  // 0: open at index
    int32_t index;
    const char* leftToRight;  // "left,right" page indices shown, -1 for an empty slot
    const char* rightToLeft;
};

// Runs the moves in spread mode in one reading direction; the loader catches
// up after each move or never; the pages' headers tell their shapes or not.
void RunMoves(const char* name,
              const std::string& pattern,
              const std::vector<Move>& moves,
              bool rtl,
              bool catchUp,
              bool probes) {
    ViewHarness h(Pages(pattern), true, rtl);
    h.decoder.answersProbes = probes;
    for (size_t i = 0; i < moves.size(); ++i) {
        const Move& m = moves[i];
        if (m.command == 0) {
            h.Open(m.index);
        } else {
            Navigate(&h.view, m.command, m.index);
        }
        const std::string where = std::string(name) + (rtl ? " right to left" : " left to right") +
                                  (catchUp ? ", loader caught up" : ", loader idle") +
                                  (probes ? ", shapes from headers" : "") + ", move " + std::to_string(i);
        ASSERT_EQ(h.Shown(), rtl ? m.rightToLeft : m.leftToRight) << where;
        // The view position follows the pages shown.
        const int32_t a = h.Left() < h.Right() ? h.Left() : h.Right();
        const int32_t b = h.Left() < h.Right() ? h.Right() : h.Left();
        const int32_t first = a >= 0 ? a : b;
        if (first >= 0) {
            EXPECT_EQ(h.view.currentIndex, first) << where;
            EXPECT_EQ(h.view.endIndex, b + 1) << where;
        }
        if (catchUp) {
            h.CatchUp();
        }
    }
}

TEST(Navigate, SpreadsPairPortraitPagesFromTheFirstPageOfEachView) {
    struct Case {
        const char* name;
        std::string pattern;
        std::vector<Move> moves;
    };
    const Case kCases[] = {
        {"forward and back by spreads",
         "PPPPPP",
         {{0, 0, "0,1", "1,0"},
          {CMD_NEXT_SPREAD, 0, "2,3", "3,2"},
          {CMD_NEXT_SPREAD, 0, "4,5", "5,4"},
          {CMD_PREV_SPREAD, 0, "2,3", "3,2"},
          {CMD_PREV_SPREAD, 0, "0,1", "1,0"}}},
        {"first page alone shifts the pairs",
         "PPPPPP",
         {{0, 0, "0,1", "1,0"},
          {CMD_PREV_PAGE, 0, "0,-1", "-1,0"},
          {CMD_NEXT_SPREAD, 0, "1,2", "2,1"},
          {CMD_NEXT_SPREAD, 0, "3,4", "4,3"},
          {CMD_NEXT_SPREAD, 0, "5,-1", "-1,5"},
          {CMD_FIRST_PAGE, 0, "0,1", "1,0"},
          {CMD_PREV_PAGE, 0, "0,-1", "-1,0"},
          {CMD_PREV_PAGE, 0, "0,1", "1,0"}}},
        {"stepping by one page",
         "PPPP",
         {{0, 0, "0,1", "1,0"},
          {CMD_NEXT_PAGE, 0, "1,2", "2,1"},
          {CMD_NEXT_PAGE, 0, "2,3", "3,2"},
          {CMD_NEXT_PAGE, 0, "3,-1", "-1,3"},
          {CMD_PREV_PAGE, 0, "2,3", "3,2"}}},
        {"landscape page alone",
         "PPLPPP",
         {{0, 0, "0,1", "1,0"},
          {CMD_NEXT_SPREAD, 0, "2,-1", "-1,2"},
          {CMD_NEXT_SPREAD, 0, "3,4", "4,3"},
          // Built backward, a page alone sits in the other slot; alone, it is
          // laid out over the whole view all the same.
          {CMD_PREV_SPREAD, 0, "-1,2", "2,-1"},
          {CMD_PREV_SPREAD, 0, "0,1", "1,0"}}},
        {"portrait page before a landscape one",
         "PLPPS",
         {{0, 0, "0,-1", "-1,0"},
          {CMD_NEXT_SPREAD, 0, "1,-1", "-1,1"},
          {CMD_NEXT_SPREAD, 0, "2,3", "3,2"},
          {CMD_NEXT_SPREAD, 0, "4,-1", "-1,4"},
          {CMD_PREV_SPREAD, 0, "2,3", "3,2"}}},
        {"last page spread differs from fixed pairs",
         "PPPPPPP",
         {{0, 0, "0,1", "1,0"},
          {CMD_LAST_PAGE, 0, "5,6", "6,5"},
          {CMD_PREV_SPREAD, 0, "3,4", "4,3"},
          {CMD_FIRST_PAGE, 0, "0,1", "1,0"},
          {CMD_NEXT_SPREAD, 0, "2,3", "3,2"},
          {CMD_NEXT_SPREAD, 0, "4,5", "5,4"},
          {CMD_NEXT_SPREAD, 0, "6,-1", "-1,6"}}},
        {"backward past a landscape partner",
         "PPPLPP",
         {{CMD_LAST_PAGE, 0, "4,5", "5,4"},
          {CMD_PREV_SPREAD, 0, "-1,3", "3,-1"},
          {CMD_PREV_SPREAD, 0, "1,2", "2,1"},
          {CMD_PREV_SPREAD, 0, "-1,0", "0,-1"}}},
        {"partner fails",
         "PFPPP",
         {{0, 0, "0,-1", "-1,0"},
          {CMD_NEXT_PAGE, 0, "-1,-1", "-1,-1"},
          {CMD_NEXT_SPREAD, 0, "2,3", "3,2"},
          {CMD_PREV_SPREAD, 0, "-1,-1", "-1,-1"}}},
        {"goto and reload",
         "PPPPPPPP",
         {{0, 3, "3,4", "4,3"},
          {CMD_GOTO_PAGE, 6, "6,7", "7,6"},
          {CMD_GOTO_PAGE, 100, "7,-1", "-1,7"},
          {CMD_GOTO_PAGE, -5, "0,1", "1,0"},
          {CMD_RELOAD_PAGE, 0, "0,1", "1,0"}}},
    };
    for (const Case& c : kCases) {
        for (bool rtl : {false, true}) {
            for (bool catchUp : {false, true}) {
                for (bool probes : {false, true}) {
                    RunMoves(c.name, c.pattern, c.moves, rtl, catchUp, probes);
                }
            }
        }
    }
}

// A partner whose header says landscape is not decoded on this thread only to
// be refused: it is decoded when it starts the next view. A portrait partner
// of an archive book is read from the archive once, for probe and decode.
TEST(Navigate, APartnerKnownLandscapeByItsHeaderIsNotDecodedForTheSpread) {
    for (BookKind kind : {kBookFolder, kBookZip}) {
        const std::string where = kind == kBookZip ? "archive" : "folder";
        ViewHarness h(Pages("PLPP"), true, false, 1000, 700, kind);
        h.decoder.answersProbes = true;
        h.Open(0);
        EXPECT_EQ(h.Shown(), "0,-1") << where;
        EXPECT_EQ(h.decoder.DecodesOf(1), 0) << where;
        EXPECT_FALSE(h.view.cache.pageError) << where;
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        EXPECT_EQ(h.Shown(), "1,-1") << where;
        EXPECT_EQ(h.decoder.DecodesOf(1), 1) << where;
        h.decoder.fetches = 0;
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        EXPECT_EQ(h.Shown(), "2,3") << where;
        EXPECT_EQ(h.decoder.DecodesOf(3), 1) << where;
        if (kind == kBookZip) {
            EXPECT_EQ(h.decoder.fetches, 2) << where;
        }
    }
}

TEST(Navigate, JumpsByTwentyAreClamped) {
    ViewHarness h(Portraits(100), true, false);
    h.Open(95);
    EXPECT_EQ(h.Shown(), "95,96");
    Navigate(&h.view, CMD_FORWARD_20, 0);
    EXPECT_EQ(h.Shown(), "99,-1");
    Navigate(&h.view, CMD_BACK_20, 0);
    EXPECT_EQ(h.Shown(), "79,80");
    Navigate(&h.view, CMD_GOTO_PAGE, 10);
    Navigate(&h.view, CMD_BACK_20, 0);
    EXPECT_EQ(h.Shown(), "0,1");
}

TEST(Navigate, SinglePageModeShowsOnePageForEveryCommand) {
    struct Case {
        int32_t command;
        int32_t index;
        int32_t shown;
    };
    static const Case kCases[] = {
        {CMD_NEXT_SPREAD, 0, 1}, {CMD_NEXT_PAGE, 0, 2},    {CMD_LAST_PAGE, 0, 29},  {CMD_PREV_SPREAD, 0, 28},
        {CMD_PREV_PAGE, 0, 27},  {CMD_BACK_20, 0, 7},      {CMD_FORWARD_20, 0, 27}, {CMD_FIRST_PAGE, 0, 0},
        {CMD_GOTO_PAGE, 12, 12}, {CMD_RELOAD_PAGE, 0, 12},
    };
    for (bool rtl : {false, true}) {
        ViewHarness h(Portraits(30), false, rtl);
        h.Open(0);
        for (const Case& c : kCases) {
            Navigate(&h.view, c.command, c.index);
            EXPECT_EQ(h.Shown(), std::to_string(c.shown) + ",-1")
                << "command " << c.command << " rtl " << rtl;
            EXPECT_EQ(h.view.endIndex, h.view.currentIndex + 1) << "command " << c.command;
        }
    }
}

TEST(Navigate, CommandsThatDoNothingLeaveEverythingAsItWas) {
    struct Case {
        const char* name;
        int32_t pages;
        int32_t openAt;
        bool aloneFirst;  // PREV_PAGE first, so that page 0 is shown alone
        int32_t command;
    };
    static const Case kCases[] = {
        {"previous page of a one-page book", 1, 0, false, CMD_PREV_PAGE},
        {"next page at the last page", 6, 5, false, CMD_NEXT_PAGE},
        {"first page at the first page", 6, 0, false, CMD_FIRST_PAGE},
        {"first page with page 0 alone", 6, 0, true, CMD_FIRST_PAGE},
        {"last page when the end is shown", 6, 4, false, CMD_LAST_PAGE},
        {"previous spread at the start", 6, 0, false, CMD_PREV_SPREAD},
        {"next spread at the end", 6, 4, false, CMD_NEXT_SPREAD},
        {"back 20 at the start", 6, 0, false, CMD_BACK_20},
        {"forward 20 at the end", 6, 4, false, CMD_FORWARD_20},
        {"not a page command", 6, 2, false, CMD_TOGGLE_ENLARGE},
    };
    for (const Case& c : kCases) {
        ViewHarness h(Portraits(static_cast<size_t>(c.pages)), true, false);
        h.Open(c.openAt);
        if (c.aloneFirst) {
            Navigate(&h.view, CMD_PREV_PAGE, 0);
        }
        h.CatchUp();
        const std::string before = h.Shown();
        const int32_t current = h.view.currentIndex;
        const int32_t end = h.view.endIndex;
        h.ui.log.clear();
        h.decoder.ResetCounts();
        EXPECT_FALSE(Step(&h.view, c.command, 0)) << c.name;
        EXPECT_EQ(h.Shown(), before) << c.name;
        EXPECT_EQ(h.view.currentIndex, current) << c.name;
        EXPECT_EQ(h.view.endIndex, end) << c.name;
        EXPECT_TRUE(h.ui.log.empty()) << c.name;
        EXPECT_EQ(h.DrainQueue(), "") << c.name;
        EXPECT_EQ(h.decoder.TotalDecodes(), 0) << c.name;
    }
}

TEST(Navigate, ShowIsFollowedByTheListThePageTextAndTheReadAhead) {
    // A partner still to be decoded: the first page appears in its half first,
    // then the whole view. A partner read ahead: the view is painted once.
    const std::vector<std::string> halfFirst = {"invalidate 500 0 1000 700", "update"};
    const std::vector<std::string> after = {"invalidate all", "update",   "redraw 3",
                                            "select 2",       "redraw 3", "scroll 2",
                                            "text 3+1/10",    "slider 3", "cursor arrow"};
    struct Case {
        const char* name;
        bool readAhead;
        const char* requests;
    } const kCases[] = {
        {"partner read ahead", true, "M 0:4 1:5"},
        {"partner decoded at once", false, "M 0:4 1:5"},
    };
    for (const Case& c : kCases) {
        ViewHarness h(Portraits(10), true, true);
        h.Open(0);
        if (c.readAhead) {
            h.CatchUp();
        } else {
            h.DrainQueue();
        }
        h.ui.log.clear();
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        std::vector<std::string> expected = {"cursor wait"};
        if (!c.readAhead) {
            expected.insert(expected.end(), halfFirst.begin(), halfFirst.end());
        }
        expected.insert(expected.end(), after.begin(), after.end());
        EXPECT_EQ(h.ui.log, expected) << c.name;
        EXPECT_EQ(h.DrainQueue(), c.requests) << c.name;
    }
}

TEST(Navigate, SinglePageShowHasNoSecondRowAndNoPlusOne) {
    ViewHarness h(Pages("PLP"), true, false);
    h.Open(0);
    const std::vector<std::string> rows = h.ui.Lines("redraw");
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(Narrow16(h.ui.pageText), "1/3");
    EXPECT_EQ(h.ui.selectedRow, 0);
    // Page 1 was decoded as the partner and kept: it is adopted, not requested.
    EXPECT_EQ(h.DrainQueue(), "M 1:2");
    EXPECT_EQ(h.view.cache.ahead[0].pageIndex, 1);
    EXPECT_EQ(h.decoder.DecodesOf(1), 1);
}

TEST(Navigate, NavigateWithoutPagesDoesNothingAndClearsNoError) {
    ViewHarness h({}, true, false);
    h.view.cache.pageError = true;
    Navigate(&h.view, CMD_NEXT_PAGE, 0);
    EXPECT_TRUE(h.ui.log.empty());
    EXPECT_TRUE(h.view.cache.pageError);
    OnSliderScroll(&h.view, kSliderThumbTrack, 3);
    EXPECT_TRUE(h.ui.Lines("text").empty());
}

TEST(Navigate, FirstPageFailureShowsTheErrorAndMovesOnNextTime) {
    ViewHarness h(Pages("PPFPP"), true, false);
    h.Open(0);
    Navigate(&h.view, CMD_NEXT_SPREAD, 0);
    EXPECT_EQ(h.Shown(), "-1,-1");
    EXPECT_TRUE(h.view.cache.pageError);
    EXPECT_EQ(h.view.currentIndex, 2);
    EXPECT_EQ(h.view.endIndex, 3);
    EXPECT_EQ(h.view.split, h.view.viewWidth);  // one region, for the error text
    Navigate(&h.view, CMD_NEXT_SPREAD, 0);
    EXPECT_EQ(h.Shown(), "3,4");
    EXPECT_FALSE(h.view.cache.pageError);
}

TEST(Navigate, SliderDragShowsTheNumberAndReleaseTurnsThePage) {
    struct Case {
        const char* name;
        int32_t code;
        int32_t position;
        int32_t sliderAt;  // what the slider reports at the end of a scroll
        const char* shown;
        const char* text;
    };
    static const Case kCases[] = {
        {"drag", kSliderThumbTrack, 7, 0, "2,3", "7/10"},
        {"release elsewhere", kSliderThumbPosition, 7, 0, "6,7", "7+1/10"},
        {"release on the page shown", kSliderThumbPosition, 3, 0, "2,3", "3+1/10"},
        {"end of scroll", kSliderEndScroll, 0, 9, "8,9", "9+1/10"},
        {"end of scroll on the page shown", kSliderEndScroll, 0, 3, "2,3", "3+1/10"},
        {"other code", 2, 9, 0, "2,3", "7/10"},
    };
    for (const Case& c : kCases) {
        ViewHarness h(Portraits(10), true, false);
        h.Open(2);
        OnSliderScroll(&h.view, kSliderThumbTrack, 7);
        if (c.sliderAt != 0) {
            h.ui.slider = c.sliderAt;
        }
        OnSliderScroll(&h.view, c.code, c.position);
        EXPECT_EQ(h.Shown(), c.shown) << c.name;
        EXPECT_EQ(Narrow16(h.ui.pageText), c.text) << c.name;
    }
}

TEST(Navigate, ViewCommandsChangeTheSettingsAndShowAgain) {
    ViewHarness h(Portraits(8), true, false);
    h.Open(2);
    EXPECT_EQ(h.Shown(), "2,3");

    EXPECT_TRUE(RunViewCommand(&h.view, CMD_TOGGLE_RIGHT_TO_LEFT, false));
    EXPECT_EQ(h.Shown(), "3,2");
    EXPECT_TRUE(RunViewCommand(&h.view, CMD_TOGGLE_SPREAD, false));
    EXPECT_FALSE(h.view.prefs.spreadMode);
    EXPECT_EQ(h.Shown(), "2,-1");
    // In single-page mode the direction changes the setting, not the view.
    h.ui.log.clear();
    EXPECT_TRUE(RunViewCommand(&h.view, CMD_TOGGLE_RIGHT_TO_LEFT, false));
    EXPECT_FALSE(h.view.prefs.rightToLeft);
    EXPECT_TRUE(h.ui.log.empty());

    const double before = h.view.leftSlot.layout.scale;
    EXPECT_TRUE(RunViewCommand(&h.view, CMD_TOGGLE_ENLARGE, false));
    EXPECT_FALSE(h.view.prefs.enlargeSmallPages);
    EXPECT_NE(h.view.leftSlot.layout.scale, before);
    EXPECT_EQ(h.view.leftSlot.layout.scale, 1.0);

    h.ui.hasCursor = true;
    h.ui.cursorX = 500;
    h.ui.cursorY = 350;
    EXPECT_TRUE(RunViewCommand(&h.view, CMD_TOGGLE_LOUPE, true));
    EXPECT_TRUE(h.view.magnifierOn);
    EXPECT_TRUE(h.ui.loupeButton);
    EXPECT_EQ(h.view.magnifiedSide, kMagnifyLeft);
    // A show lays out without magnification; the next mouse move magnifies again.
    Navigate(&h.view, CMD_NEXT_PAGE, 0);
    EXPECT_EQ(h.view.magnifiedSide, kMagnifyNone);
    EXPECT_EQ(h.view.leftSlot.layout.scale, 1.0);

    EXPECT_FALSE(RunViewCommand(&h.view, CMD_OPTIONS, false));
}

}  // namespace
