// Statistics and output formats of vantor-bench. Numbers are written with a fixed number of
// decimals and names are escaped, so the JSON stays valid whatever the renderer calls itself.
#include "bench_report.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>

namespace vantor::bench {

const std::vector<std::string> passOrder = {
    "shadow map",  "shadow blur", "scene",     "sprite flares", "bloom bright", "bloom blur",
    "composition", "lens bright", "lens blur", "lens features", "lens combine", "overlay"};

namespace {

std::string number(double value, int decimals = 3) {
    if (!std::isfinite(value)) {
        return "0";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

double median(const std::vector<double>& values) {
    return percentile(values, 0.5);
}

std::vector<double> passTimes(const std::vector<std::map<std::string, double>>& frames,
                              const std::string& name) {
    std::vector<double> times;
    for (const auto& frame : frames) {
        const auto found = frame.find(name);
        if (found != frame.end()) {
            times.push_back(found->second);
        }
    }
    return times;
}

double fps(double frameMs) {
    return frameMs > 0.0 ? 1000.0 / frameMs : 0.0;
}

const char* onOff(bool value) {
    return value ? "on" : "off";
}

std::string settingsJson(const Settings& s) {
    std::ostringstream out;
    out << "{\"shadow\": " << (s.shadowMapping ? "true" : "false")
        << ", \"bloom\": " << s.bloomBlendMode
        << ", \"culling\": " << (s.frustumCulling ? "true" : "false")
        << ", \"transparency\": " << (s.transparency ? "true" : "false")
        << ", \"lens\": " << s.lensFlareMode
        << ", \"wireframe\": " << (s.wireframe ? "true" : "false")
        << ", \"texture_bilinear\": " << (s.textureBilinear ? "true" : "false")
        << ", \"mipmap_bilinear\": " << (s.mipmapBilinear ? "true" : "false")
        << ", \"help_overlay\": " << (s.showHelp ? "true" : "false")
        << ", \"fps_overlay\": " << (s.showFps ? "true" : "false") << "}";
    return out.str();
}

std::string statsJson(const std::vector<double>& values, int decimals) {
    return "{\"median\": " + number(percentile(values, 0.5), decimals) +
           ", \"p95\": " + number(percentile(values, 0.95), decimals) +
           ", \"p99\": " + number(percentile(values, 0.99), decimals) + "}";
}

}  // namespace

double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const double position = std::clamp(share, 0.0, 1.0) * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(position));
    const std::size_t above = std::min(below + 1, values.size() - 1);
    const double fraction = position - static_cast<double>(below);
    return values[below] + (values[above] - values[below]) * fraction;
}

double ratio(double real, double floor) {
    return floor > 0.0 ? real / floor : 0.0;
}

std::vector<PassSummary> summarisePasses(const Report& report) {
    std::vector<std::string> names = passOrder;
    std::set<std::string> known(names.begin(), names.end());
    for (const auto* frames : {&report.passes, &report.floorPasses}) {
        for (const auto& frame : *frames) {
            for (const auto& entry : frame) {
                if (known.insert(entry.first).second) {
                    names.push_back(entry.first);
                }
            }
        }
    }
    std::vector<PassSummary> summary;
    for (const std::string& name : names) {
        const std::vector<double> real = passTimes(report.passes, name);
        if (real.empty()) {
            continue;
        }
        summary.push_back({name, median(real), median(passTimes(report.floorPasses, name))});
    }
    return summary;
}

std::string tableText(const Report& r) {
    std::ostringstream out;
    const Settings& s = r.settings;
    out << "renderer: " << r.renderer << " (" << r.version << ")\n"
        << "window " << r.width << "x" << r.height << ", " << r.frames << " frames after "
        << r.warmup << " warm-up frames, fixed step 1/60 s\n"
        << "settings: shadow " << onOff(s.shadowMapping) << ", bloom " << s.bloomBlendMode
        << ", culling " << onOff(s.frustumCulling) << ", transparency " << onOff(s.transparency)
        << ", lens " << s.lensFlareMode << ", wireframe " << onOff(s.wireframe) << ", texture "
        << (s.textureBilinear ? "bilinear" : "nearest") << ", mipmap "
        << (s.mipmapBilinear ? "bilinear" : "nearest") << "\n"
        << "pass timing: " << r.timing << "\n"
        << "start-up to first frame: " << number(r.startupMs, 1) << " ms (initialize "
        << number(r.initializeMs, 1) << " ms)\n"
        << "kept-frame copy (once per pause): " << number(r.keptFrameCopyMs, 2) << " ms\n"
        << "updateWorld: median " << number(percentile(r.updateMicroseconds, 0.5), 1) << " us, p95 "
        << number(percentile(r.updateMicroseconds, 0.95), 1) << " us, p99 "
        << number(percentile(r.updateMicroseconds, 0.99), 1) << " us\n\n";

    // Without floor frames the floor and ratio columns have nothing to show.
    const auto row = [&out, &r](const std::string& name, double real, double floor) {
        char line[160];
        if (r.floor) {
            std::snprintf(line, sizeof line, "%-16s %10.2f %10.2f %7.2f\n", name.c_str(), real,
                          floor, ratio(real, floor));
        } else {
            std::snprintf(line, sizeof line, "%-16s %10.2f %10s %7s\n", name.c_str(), real, "-",
                          "-");
        }
        out << line;
    };
    char header[160];
    std::snprintf(header, sizeof header, "%-16s %10s %10s %7s\n", "pass", "real ms", "floor ms",
                  "ratio");
    out << header;
    for (const PassSummary& p : summarisePasses(r)) {
        row(p.name, p.realMs, p.floorMs);
    }
    row("frame (medians)", median(r.drawMs), median(r.floorDrawMs));
    out << "\n";
    out << "renderFrame: median " << number(median(r.renderMs), 2) << " ms\n"
        << "frame (keys, update, passes, overlay, swap): median " << number(median(r.frameMs), 2)
        << " ms, p95 " << number(percentile(r.frameMs, 0.95), 2) << " ms, p99 "
        << number(percentile(r.frameMs, 0.99), 2) << " ms, " << number(fps(median(r.frameMs)), 1)
        << " FPS\n"
        << "processor time per frame, all threads: median " << number(median(r.frameCpuMs), 2)
        << " ms";
    if (r.floor) {
        out << " (floor passes alone " << number(median(r.floorDrawCpuMs), 2) << " ms)";
    }
    out << "\n";
    return out.str();
}

std::string jsonText(const Report& r) {
    std::ostringstream out;
    const double draw = median(r.drawMs);
    const double floorDraw = median(r.floorDrawMs);
    out << "{\n"
        << "  \"renderer\": " << jsonString(r.renderer) << ",\n"
        << "  \"version\": " << jsonString(r.version) << ",\n"
        << "  \"timing\": " << jsonString(r.timing) << ",\n"
        << "  \"width\": " << r.width << ",\n"
        << "  \"height\": " << r.height << ",\n"
        << "  \"frames\": " << r.frames << ",\n"
        << "  \"warmup\": " << r.warmup << ",\n"
        << "  \"step_s\": " << number(1.0 / 60.0, 6) << ",\n"
        << "  \"settings\": " << settingsJson(r.settings) << ",\n"
        << "  \"startup_ms\": " << number(r.startupMs) << ",\n"
        << "  \"initialize_ms\": " << number(r.initializeMs) << ",\n"
        << "  \"kept_frame_copy_ms\": " << number(r.keptFrameCopyMs) << ",\n"
        << "  \"update_us\": " << statsJson(r.updateMicroseconds, 2) << ",\n"
        << "  \"render_frame_ms\": " << statsJson(r.renderMs, 3) << ",\n"
        << "  \"draw_ms\": " << statsJson(r.drawMs, 3) << ",\n"
        << "  \"frame_ms\": " << statsJson(r.frameMs, 3) << ",\n"
        << "  \"frame_cpu_ms\": " << statsJson(r.frameCpuMs, 3) << ",\n"
        << "  \"fps\": " << number(fps(median(r.frameMs)), 2) << ",\n"
        << "  \"floor\": " << (r.floor ? "true" : "false") << ",\n"
        << "  \"floor_draw_ms\": " << statsJson(r.floorDrawMs, 3) << ",\n"
        << "  \"floor_draw_cpu_ms\": " << statsJson(r.floorDrawCpuMs, 3) << ",\n"
        << "  \"frame_ratio\": " << number(ratio(draw, floorDraw)) << ",\n"
        << "  \"passes\": [";
    const std::vector<PassSummary> passes = summarisePasses(r);
    for (std::size_t i = 0; i < passes.size(); ++i) {
        out << (i == 0 ? "\n" : ",\n") << "    {\"name\": " << jsonString(passes[i].name)
            << ", \"real_ms\": " << number(passes[i].realMs)
            << ", \"floor_ms\": " << number(passes[i].floorMs)
            << ", \"ratio\": " << number(ratio(passes[i].realMs, passes[i].floorMs)) << "}";
    }
    out << "\n  ]\n}\n";
    return out.str();
}

std::string csvText(const Report& r) {
    std::ostringstream out;
    const std::vector<PassSummary> passes = summarisePasses(r);
    out << "frame,update_us,render_frame_ms,draw_ms,frame_ms,floor_draw_ms";
    for (const PassSummary& p : passes) {
        out << "," << p.name << " ms," << p.name << " floor ms";
    }
    out << "\n";
    for (std::size_t i = 0; i < r.frameMs.size(); ++i) {
        auto at = [i](const std::vector<double>& values) {
            return i < values.size() ? values[i] : 0.0;
        };
        out << i << "," << number(at(r.updateMicroseconds), 2) << "," << number(at(r.renderMs))
            << "," << number(at(r.drawMs)) << "," << number(at(r.frameMs)) << ","
            << number(at(r.floorDrawMs));
        for (const PassSummary& p : passes) {
            auto value = [&](const std::vector<std::map<std::string, double>>& frames) {
                if (i >= frames.size()) {
                    return 0.0;
                }
                const auto found = frames[i].find(p.name);
                return found == frames[i].end() ? 0.0 : found->second;
            };
            out << "," << number(value(r.passes)) << "," << number(value(r.floorPasses));
        }
        out << "\n";
    }
    return out.str();
}

}  // namespace vantor::bench
