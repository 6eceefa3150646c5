// vantor-bench's figures: percentiles, the per-pass medians and ratios, and the JSON and CSV it
// writes (parsed back here far enough to catch a broken format).
#include "bench_report.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace vantor::bench {
namespace {

TEST(BenchReportTest, PercentilesInterpolateBetweenSortedValues) {
    EXPECT_EQ(percentile({}, 0.5), 0.0);
    EXPECT_EQ(percentile({7.0}, 0.99), 7.0);
    EXPECT_DOUBLE_EQ(percentile({4.0, 1.0, 3.0, 2.0}, 0.5), 2.5);
    EXPECT_DOUBLE_EQ(percentile({5.0, 1.0, 3.0}, 0.5), 3.0);
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) {
        hundred.push_back(i);
    }
    EXPECT_NEAR(percentile(hundred, 0.95), 95.05, 1e-9);
    EXPECT_DOUBLE_EQ(percentile(hundred, 1.0), 100.0);
    EXPECT_DOUBLE_EQ(percentile(hundred, 0.0), 1.0);
}

TEST(BenchReportTest, RatioOfMissingFloorIsZeroNotInfinite) {
    EXPECT_DOUBLE_EQ(ratio(3.0, 2.0), 1.5);
    EXPECT_EQ(ratio(3.0, 0.0), 0.0);
}

Report twoFrames() {
    Report r;
    r.renderer = "soft \"pipe\"\\x";
    r.version = "4.5";
    r.timing = "glFinish brackets and a steady clock";
    r.width = 1600;
    r.height = 900;
    r.frames = 2;
    r.floor = true;
    r.updateMicroseconds = {10.0, 30.0};
    r.renderMs = {100.0, 120.0};
    r.drawMs = {101.0, 121.0};
    r.frameMs = {110.0, 130.0};
    r.floorDrawMs = {90.0, 110.0};
    // An unknown pass name comes after the known ones; "shadow map" ran in one frame only.
    r.passes = {{{"scene", 40.0}, {"shadow map", 8.0}, {"extra", 1.0}}, {{"scene", 60.0}}};
    r.floorPasses = {{{"scene", 20.0}, {"shadow map", 4.0}}, {{"scene", 30.0}}};
    return r;
}

TEST(BenchReportTest, PassesInFrameOrderWithMediansOverTheFramesThatRanThem) {
    const std::vector<PassSummary> passes = summarisePasses(twoFrames());
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_EQ(passes[0].name, "shadow map");
    EXPECT_DOUBLE_EQ(passes[0].realMs, 8.0);
    EXPECT_DOUBLE_EQ(passes[0].floorMs, 4.0);
    EXPECT_EQ(passes[1].name, "scene");
    EXPECT_DOUBLE_EQ(passes[1].realMs, 50.0);
    EXPECT_DOUBLE_EQ(passes[1].floorMs, 25.0);
    EXPECT_EQ(passes[2].name, "extra");
    EXPECT_EQ(passes[2].floorMs, 0.0);
}

TEST(BenchReportTest, JsonCarriesTheFiguresAndEscapesNames) {
    const std::string json = jsonText(twoFrames());
    EXPECT_NE(json.find("\"renderer\": \"soft \\\"pipe\\\"\\\\x\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"update_us\": {\"median\": 20.00"), std::string::npos) << json;
    EXPECT_NE(json.find("\"frame_ms\": {\"median\": 120.000"), std::string::npos) << json;
    EXPECT_NE(json.find("\"frame_ratio\": 1.110"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"name\": \"scene\", \"real_ms\": 50.000, \"floor_ms\": 25.000, "
                        "\"ratio\": 2.000}"),
              std::string::npos)
        << json;
    EXPECT_EQ(json.back(), '\n');
}

TEST(BenchReportTest, CsvHasOneRowPerFrameAndAColumnPairPerPass) {
    std::istringstream csv(csvText(twoFrames()));
    std::string header;
    std::getline(csv, header);
    EXPECT_EQ(header,
              "frame,update_us,render_frame_ms,draw_ms,frame_ms,floor_draw_ms,shadow map ms,shadow "
              "map floor ms,scene ms,scene floor ms,extra ms,extra floor ms");
    std::string row;
    std::getline(csv, row);
    EXPECT_EQ(row, "0,10.00,100.000,101.000,110.000,90.000,8.000,4.000,40.000,20.000,1.000,0.000");
    std::getline(csv, row);
    // A pass a frame did not run reads 0 in that frame.
    EXPECT_EQ(row, "1,30.00,120.000,121.000,130.000,110.000,0.000,0.000,60.000,30.000,0.000,0.000");
    EXPECT_FALSE(std::getline(csv, row));
}

TEST(BenchReportTest, TableNamesTheRendererTimingAndFrameRate) {
    const std::string table = tableText(twoFrames());
    EXPECT_NE(table.find("pass timing: glFinish brackets and a steady clock"), std::string::npos);
    EXPECT_NE(table.find("8.3 FPS"), std::string::npos) << table;
    EXPECT_NE(table.find("frame (medians)"), std::string::npos);
    EXPECT_NE(table.find("floor passes alone"), std::string::npos);
}

TEST(BenchReportTest, TableWithoutFloorFramesShowsNoFloorFigures) {
    Report r = twoFrames();
    r.floor = false;
    r.floorDrawMs.clear();
    r.floorPasses.clear();
    const std::string table = tableText(r);
    EXPECT_NE(table.find("frame (medians)      111.00          -       -"), std::string::npos)
        << table;
    EXPECT_EQ(table.find("0.00    0.00"), std::string::npos) << table;
    EXPECT_EQ(table.find("floor passes alone"), std::string::npos) << table;
}

}  // namespace
}  // namespace vantor::bench
