// vantor-bench's figures: percentiles, the per-pass medians and ratios, and the table, JSON and
// CSV it writes (the JSON checked far enough to catch a broken format).
#include "bench_report.hpp"

#include <gtest/gtest.h>

namespace vantor::bench {
namespace {

// Two frames; an unknown pass comes after the known ones, and "shadow map" ran in one frame only.
Report twoFrames() {
    Report r;
    r.renderer = "soft \"pipe\"\\x";
    r.floor = true;
    r.updateMicroseconds = {10.0, 30.0};
    r.renderMs = {100.0, 120.0};
    r.drawMs = {101.0, 121.0};
    r.frameMs = {110.0, 130.0};
    r.floorDrawMs = {90.0, 110.0};
    r.passes = {{{"scene", 40.0}, {"shadow map", 8.0}, {"extra", 1.0}}, {{"scene", 60.0}}};
    r.floorPasses = {{{"scene", 20.0}, {"shadow map", 4.0}}, {{"scene", 30.0}}};
    return r;
}

TEST(BenchReport, PercentilesPassMediansAndTheirThreeForms) {
    EXPECT_EQ(percentile({}, 0.5), 0.0);
    EXPECT_DOUBLE_EQ(percentile({4.0, 1.0, 3.0, 2.0}, 0.5), 2.5);
    EXPECT_NEAR(percentile({5, 1, 4, 2, 3}, 0.95), 4.8, 1e-12);
    EXPECT_TRUE(ratio(3.0, 2.0) == 1.5 && ratio(3.0, 0.0) == 0.0);
    std::string passes;
    for (const PassSummary& p : summarisePasses(twoFrames())) {
        passes += p.name + " " + std::to_string(p.realMs) + " " + std::to_string(p.floorMs) + "; ";
    }
    EXPECT_EQ(passes,
              "shadow map 8.000000 4.000000; scene 50.000000 25.000000; extra 1.000000 "
              "0.000000; ");
    const std::string json = jsonText(twoFrames());
    EXPECT_NE(json.find("\"renderer\": \"soft \\\"pipe\\\"\\\\x\""), std::string::npos) << json;
    EXPECT_NE(json.find("{\"name\": \"scene\", \"real_ms\": 50.000, \"floor_ms\": 25.000, "
                        "\"ratio\": 2.000}"),
              std::string::npos);
    // One row per frame; a pass a frame did not run reads 0 there.
    EXPECT_EQ(csvText(twoFrames()),
              "frame,update_us,render_frame_ms,draw_ms,frame_ms,floor_draw_ms,shadow map ms,shadow "
              "map floor ms,scene ms,scene floor ms,extra ms,extra floor ms\n"
              "0,10.00,100.000,101.000,110.000,90.000,8.000,4.000,40.000,20.000,1.000,0.000\n"
              "1,30.00,120.000,121.000,130.000,110.000,0.000,0.000,60.000,30.000,0.000,0.000\n");
    Report r = twoFrames();
    EXPECT_NE(tableText(r).find("frame (medians)      111.00     100.00    1.11"),
              std::string::npos);
    EXPECT_NE(tableText(r).find("8.3 FPS"), std::string::npos) << tableText(r);
    // Without floor frames there are no floor figures to show.
    r.floor = false;
    r.floorDrawMs.clear();
    r.floorPasses.clear();
    EXPECT_NE(tableText(r).find("frame (medians)      111.00          -       -"),
              std::string::npos);
    EXPECT_EQ(tableText(r).find("passes alone"), std::string::npos) << tableText(r);
}

}  // namespace
}  // namespace vantor::bench
