// The figures of one vantor-bench run and their three forms: the printed table, JSON and CSV.
// Kept apart from the GL code so that the arithmetic and the formats can be tested alone.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/settings.hpp"

namespace vantor::bench {

// The passes in frame order, as the frame's pass timer names them.
extern const std::vector<std::string> passOrder;

struct Report {
    std::string renderer;
    std::string version;
    std::string timing;
    int width = 0;
    int height = 0;
    int frames = 0;
    int warmup = 0;
    bool floor = false;
    Settings settings;
    double initializeMs = 0.0;
    double startupMs = 0.0;
    // One copy of the finished frame into the kept frame, as the game makes when a pause begins.
    double keptFrameCopyMs = 0.0;
    // One entry per measured frame.
    std::vector<double> updateMicroseconds;
    std::vector<double> renderMs;  // renderFrame
    std::vector<double> drawMs;    // renderFrame and the overlay
    std::vector<double> frameMs;   // the whole loop iteration
    // The process's processor time over the same iteration, all threads together: what the frame
    // costs on a machine where nothing else runs, whatever the load while it was measured.
    std::vector<double> frameCpuMs;
    std::vector<double> floorDrawMs;  // renderFrame and the overlay with the floor programs
    std::vector<double> floorDrawCpuMs;
    std::vector<std::map<std::string, double>> passes;
    std::vector<std::map<std::string, double>> floorPasses;
};

// The value below which the given share (0..1) of the values lie, by linear interpolation
// between the sorted values; 0 for no values.
double percentile(std::vector<double> values, double share);

// Per pass in frame order (then any other names): the median of its time over the frames that
// ran it, real and floor; a pass that never ran is left out.
struct PassSummary {
    std::string name;
    double realMs;
    double floorMs;  // 0 without floor frames
};
std::vector<PassSummary> summarisePasses(const Report& report);

// real / floor, or 0 when there is no floor figure.
double ratio(double real, double floor);

std::string tableText(const Report& report);
std::string jsonText(const Report& report);
std::string csvText(const Report& report);

}  // namespace vantor::bench
