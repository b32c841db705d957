// The time label's size rule: the asked size whenever the text fits, else the largest smaller one that fits.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "src/core/text_fit.h"

using horalia::core::fittingPointSize;

namespace {

// A text as wide as perPoint pixels for each point of the size.
std::function<int(int)> proportional(double perPoint) {
    return [perPoint](int points) { return static_cast<int>(perPoint * points); };
}

// Widths measured size by size, as a hinted font gives them; a size not listed is far too wide.
std::function<int(int)> measured(std::map<int, int> widths) {
    return [widths](int points) {
        const auto found = widths.find(points);
        return found == widths.end() ? 100000 : found->second;
    };
}

}  // namespace

TEST(TextFit, TheLargestSizeNotAboveTheAskedOneThatFits) {
    struct Case {
        const char* what;
        int asked;
        int available;
        std::function<int(int)> width;
        int expected;
        std::vector<int> sizesMeasured;
    };
    const Case cases[] = {
        {"fits: only the asked size is measured", 18, 111, proportional(5.4), 18, {18}},
        {"exactly as wide as the label", 18, 111, measured({{18, 111}}), 18, {18}},
        {"one pixel too wide", 18, 111, measured({{18, 112}, {17, 106}}), 17, {18, 17}},
        {"DejaVu Sans Bold's 10:23pm", 18, 111, proportional(6.59), 16, {18, 17, 16}},
        {"a larger size that fits below a smaller one that does not",
         18,
         111,
         measured({{18, 120}, {17, 110}, {16, 112}}),
         17,
         {18, 17}},
        {"nothing fits: the smallest size", 5, 10, proportional(50), 1, {5, 4, 3, 2}},
        {"a label of no width", 3, 0, proportional(1), 1, {3, 2}},
        {"asked for no size", 0, 111, proportional(1), 0, {}},
        {"asked for a negative size", -2, 111, proportional(1), -2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> asked;
        const int points = fittingPointSize(c.asked, c.available, [&](int size) {
            asked.push_back(size);
            return c.width(size);
        });
        EXPECT_EQ(points, c.expected);
        EXPECT_EQ(asked, c.sizesMeasured);
    }
}
