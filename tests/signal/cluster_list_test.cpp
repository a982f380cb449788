// expandClusterList: moving edges, joining, and giving back edges exactly.
#include <gtest/gtest.h>

#include "media/audio_file.h"

using quelvo::ClusterList;
using quelvo::expandClusterList;

TEST(ExpandClusterList, MovesStartsByFadeInPlusPreRollAndEndsByFadeOutWithoutClamping) {
    const ClusterList in = {{0.1, 1.0}, {5.0, 6.0}};
    const ClusterList out = expandClusterList(in, 0.3, 0.7, 0.2);
    EXPECT_EQ(out, (ClusterList{{-0.4, 1.7}, {4.5, 6.7}}));
}

TEST(ExpandClusterList, JoinsClustersThatOverlapOrTouchAfterTheMove) {
    // Gaps of 0.5 and 1.0 close with 0.3 + 0.7; 1.2 does not.
    const ClusterList in = {{1.0, 2.0}, {2.5, 3.0}, {4.0, 5.0}, {6.2, 7.0}};
    EXPECT_EQ(expandClusterList(in, 0.3, 0.7, 0.0), (ClusterList{{0.7, 5.7}, {5.9, 7.7}}));
}

TEST(ExpandClusterList, SortsItsInputAndDropsClustersNarrowedPastNothing) {
    const ClusterList in = {{4.0, 5.0}, {1.0, 1.5}, {2.0, 3.0}};
    EXPECT_EQ(expandClusterList(in, -0.3, -0.3, 0.0), (ClusterList{{2.3, 2.7}, {4.3, 4.7}}));
    // A zero-length result is kept: its end does not fall before its start.
    EXPECT_EQ(expandClusterList({{1.0, 1.6}}, -0.3, -0.3, 0.0), (ClusterList{{1.3, 1.3}}));
    EXPECT_TRUE(expandClusterList({}, 0.3, 0.7, 0.0).empty());
}

TEST(ExpandClusterList, WideningThenNarrowingGivesBackTheOriginalEdgesExactly) {
    // Edges as the detector makes them: hundredths, widened by 0.1 s fades.
    ClusterList in;
    for (int i = 0; i < 200; ++i)
        in.push_back({i * 3 + 0.9 - 0.1 + 0.001 * i, i * 3 + 2.17 + 0.1});
    const ClusterList wide = expandClusterList(in, 0.3, 0.7, 0.0);
    const ClusterList back = expandClusterList(wide, -0.3, -0.7, 0.0);
    ClusterList gridded = expandClusterList(in, 0.0, 0.0, 0.0); // same numbers on the grid
    ASSERT_EQ(back.size(), in.size());
    EXPECT_EQ(back, gridded);
    for (size_t i = 0; i < in.size(); ++i) {
        EXPECT_NEAR(back[i].start, in[i].start, 1e-9);
        EXPECT_NEAR(back[i].end, in[i].end, 1e-9);
    }
}
