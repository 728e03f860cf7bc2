#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "support/named_case.h"
#include "sweep.h"

namespace {

// Thrown from the consumer: returning from it would not stop a sweep that
// runs away.
struct RunawaySweep {};

// The rows of a sweep, which fails the test past any count it should reach.
std::vector<DiagramRow> sweep(const DiagramInput& input)
{
    constexpr std::size_t most_rows = 5000;
    std::vector<DiagramRow> rows;
    try {
        sweep_diagram(input, [&rows](const DiagramRow& row) {
            if (rows.size() == most_rows) {
                throw RunawaySweep{};
            }
            rows.push_back(row);
        });
    } catch (const RunawaySweep&) {
        ADD_FAILURE() << "the sweep does not end";
    }
    return rows;
}

// A row as the table shows it, printed by the C library as an independent check.
std::string shown(const DiagramRow& row)
{
    char text[1024];
    std::snprintf(text, sizeof text, "%.2f %f %f", row.T, row.xl, row.xg);
    return text;
}

struct NamedRow {
    std::size_t index;
    const char* text;
};

struct SweepCase : named::Case {
    DiagramInput input;
    std::size_t rows;
    std::vector<NamedRow> shown_rows;
};

class SweepCases : public testing::TestWithParam<SweepCase> {};

TEST_P(SweepCases, GivesTheRowsOfTheDiagram)
{
    const SweepCase& c = GetParam();
    const std::vector<DiagramRow> rows = sweep(c.input);
    ASSERT_EQ(rows.size(), c.rows);
    for (const NamedRow& row : c.shown_rows) {
        EXPECT_EQ(shown(rows.at(row.index)), row.text) << "row " << row.index;
    }
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_LT(rows[i - 1].T, rows[i].T) << "temperatures must rise at row " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sweep, SweepCases,
    testing::Values(SweepCase{{"Standard"},
                              {350, 380, 3500, 4000},
                              1002,
                              {{0, "350.00 1.000000 1.000000"},
                               {1, "350.03 0.998628 0.999484"},
                               {1000, "380.00 0.000000 0.000000"},
                               {1001, "380.03 -0.000777 -0.001609"}}},
                    // The accumulated temperature ends a hair above 400; recomputing it as
                    // T1 + 1000 dT would give exactly 400 and unsigned zeros.
                    SweepCase{
                        {"AccumulatedRoundingShows"},
                        {300, 400, 3000, 3000},
                        1001,
                        {{0, "300.00 1.000000 1.000000"}, {1000, "400.00 -0.000000 -0.000000"}}},
                    SweepCase{{"EqualBoilingPoints"}, {350, 350, 3500, 4000}, 0, {}},
                    SweepCase{{"ReversedBoilingPoints"}, {380, 350, 3500, 4000}, 0, {}},
                    // Rows closer than the table's two decimals are all kept.
                    SweepCase{{"NarrowRange"},
                              {350, 352, 3500, 4000},
                              1001,
                              {{0, "350.00 1.000000 1.000000"},
                               {1, "350.00 0.999096 0.999153"},
                               {2, "350.00 0.998192 0.998306"}}},
                    // A step below the spacing of doubles at T1: the first addition stalls.
                    SweepCase{{"StallsAtOnce"},
                              {350, 350 + 1e-11, 3500, 4000},
                              1,
                              {{0, "350.00 1.000000 1.000000"}}}),
    named::ByName());

TEST(Sweep, EndsWhenTheStepStallsPartWay)
{
    // Below 512 the step rounds up to the spacing of doubles and T advances;
    // from 512 on the spacing doubles and adding dT no longer moves T.
    const DiagramInput input{512 - 2e-11, 512 + 2e-11, 3500, 4000};
    const std::vector<DiagramRow> rows = sweep(input);
    ASSERT_LT(rows.size(), 2000u) << "the sweep does not end";
    ASSERT_GT(rows.size(), 2u);
    const double dT = (input.T2 - input.T1) / 1000;
    EXPECT_EQ(rows.back().T, 512.0);
    EXPECT_EQ(rows.back().T + dT, rows.back().T);
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        EXPECT_NE(rows[i].T + dT, rows[i].T) << "a stalled row was followed by another, at " << i;
    }
}

TEST(Sweep, DeliversNonFiniteRows)
{
    // With no latent heat both vapour pressures are 1 and xl = 0/0.
    const std::vector<DiagramRow> level = sweep({350, 380, 0, 0});
    ASSERT_EQ(level.size(), 1002u);
    for (const DiagramRow& row : level) {
        ASSERT_TRUE(std::isnan(row.xl) && std::isnan(row.xg));
    }

    // At T = 0 every term divides by zero.
    const std::vector<DiagramRow> from_zero = sweep({0, 100, 3500, 4000});
    ASSERT_GE(from_zero.size(), 1001u);
    EXPECT_EQ(from_zero[0].T, 0.0);
    EXPECT_FALSE(std::isfinite(from_zero[0].xl));
}

TEST(Sweep, EndsOnNonFiniteBounds)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(sweep({nan, 380, 3500, 4000}).size(), 0u);
    EXPECT_EQ(sweep({350, nan, 3500, 4000}).size(), 0u);
    EXPECT_EQ(sweep({350, inf, 3500, 4000}).size(), 1u);
    EXPECT_EQ(sweep({-inf, inf, 3500, 4000}).size(), 1u);
}

}  // namespace
