// vantor-bench: the real game (data folder, level, shaders, full-screen window) driven along a
// fixed scripted route with a fixed step, timed per frame and per pass, each real frame followed
// by a "floor" frame that runs the same passes with trivial programs. Prints a table and writes
// JSON and CSV; can write frames, and every pass's output of one extra frame, as PNG files.
#include <GL/glew.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/keys.hpp"
#include "app/main_loop.hpp"
#include "app/registry.hpp"
#include "app/scene_assembly.hpp"
#include "app/settings.hpp"
#include "app/world_update.hpp"
#include "assets/png_writer.hpp"
#include "assets/shader_program.hpp"
#include "bench_report.hpp"
#include "pass_dump.hpp"
#include "platform/platform.hpp"
#include "platform/scripted_input.hpp"
#include "render/frame.hpp"
#include "render/kept_frame.hpp"
#include "render/pass_timer.hpp"

namespace {

using namespace vantor;
using Clock = std::chrono::steady_clock;

constexpr int windowWidth = 1600;
constexpr int windowHeight = 900;
constexpr double step = 1.0 / 60.0;

// User and system time of every thread of the process so far.
double processCpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Options {
    int frames = 120;
    int warmup = 30;
    bool floor = true;
    Settings settings;
    std::string dataDir = VANTOR_DATA_DIR;
    std::string jsonPath;
    std::string csvPath;
    std::string pngPath;  // the last measured frame
    std::string pngDir;   // every pngEvery-th measured frame
    int pngEvery = 1;
    std::string dumpDir;  // every pass's output of one extra frame after the warm-up
    bool dumpFacingTheLight = false;
    std::string clock = "auto";  // auto, finish, query
};

void usage() {
    std::printf(
        "usage: vantor-bench [options]\n"
        "  --frames N             measured frames (default 120)\n"
        "  --warmup N             frames run before measuring (default 30)\n"
        "  --no-floor             skip the floor frames\n"
        "  --shadow on|off        shadow mapping (F6)\n"
        "  --bloom 0..3           bloom blend mode (F7)\n"
        "  --culling on|off       frustum culling (F8)\n"
        "  --transparency on|off  (F9)\n"
        "  --lens 0..2            lens flare mode (F10)\n"
        "  --wireframe on|off     (F3)\n"
        "  --texture nearest|bilinear, --mipmap nearest|bilinear   sampling (F4, F5)\n"
        "  --help-overlay on|off, --fps-overlay on|off             overlay lines (F1, F2)\n"
        "  --clock auto|finish|query   pass timing: glFinish brackets and a steady clock, or GPU\n"
        "                         timestamp queries (auto: queries unless the renderer is "
        "software)\n"
        "  --json FILE, --csv FILE    write the summary (JSON) and the per-frame figures (CSV)\n"
        "  --png FILE             write the last measured frame as PNG\n"
        "  --png-dir DIR [--png-every K]   write every K-th measured frame into DIR\n"
        "  --dump-passes DIR      after the warm-up, one extra unmeasured frame writing every\n"
        "                         pass's output into DIR as NN-pass.png\n"
        "  --dump-view route|sun  that frame's camera: the route's, or turned towards the light\n"
        "  --data DIR             data folder (default the build's)\n");
}

bool parseSwitch(const char* text, bool& out) {
    if (std::strcmp(text, "on") == 0 || std::strcmp(text, "1") == 0) {
        out = true;
    } else if (std::strcmp(text, "off") == 0 || std::strcmp(text, "0") == 0) {
        out = false;
    } else {
        return false;
    }
    return true;
}

bool parseFilter(const char* text, bool& bilinear) {
    if (std::strcmp(text, "bilinear") == 0) {
        bilinear = true;
    } else if (std::strcmp(text, "nearest") == 0) {
        bilinear = false;
    } else {
        return false;
    }
    return true;
}

bool parseInt(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

// False (after a line naming the problem) on anything it does not understand.
bool parseOptions(int argc, char** argv, Options& options, bool& helpOnly) {
    Settings& s = options.settings;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            helpOnly = true;
            return true;
        }
        if (name == "--no-floor") {
            options.floor = false;
            continue;
        }
        if (i + 1 >= argc) {
            std::printf("vantor-bench: %s needs a value\n", name.c_str());
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--frames") {
            ok = parseInt(value, 1, 1000000, options.frames);
        } else if (name == "--warmup") {
            ok = parseInt(value, 0, 1000000, options.warmup);
        } else if (name == "--shadow") {
            ok = parseSwitch(value, s.shadowMapping);
        } else if (name == "--bloom") {
            ok = parseInt(value, 0, 3, s.bloomBlendMode);
        } else if (name == "--culling") {
            ok = parseSwitch(value, s.frustumCulling);
        } else if (name == "--transparency") {
            ok = parseSwitch(value, s.transparency);
        } else if (name == "--lens") {
            ok = parseInt(value, 0, 2, s.lensFlareMode);
        } else if (name == "--wireframe") {
            ok = parseSwitch(value, s.wireframe);
        } else if (name == "--texture") {
            ok = parseFilter(value, s.textureBilinear);
        } else if (name == "--mipmap") {
            ok = parseFilter(value, s.mipmapBilinear);
        } else if (name == "--help-overlay") {
            ok = parseSwitch(value, s.showHelp);
        } else if (name == "--fps-overlay") {
            ok = parseSwitch(value, s.showFps);
        } else if (name == "--clock") {
            options.clock = value;
            ok = options.clock == "auto" || options.clock == "finish" || options.clock == "query";
        } else if (name == "--json") {
            options.jsonPath = value;
        } else if (name == "--csv") {
            options.csvPath = value;
        } else if (name == "--png") {
            options.pngPath = value;
        } else if (name == "--png-dir") {
            options.pngDir = value;
        } else if (name == "--png-every") {
            ok = parseInt(value, 1, 1000000, options.pngEvery);
        } else if (name == "--dump-passes") {
            options.dumpDir = value;
        } else if (name == "--dump-view") {
            options.dumpFacingTheLight = std::strcmp(value, "sun") == 0;
            ok = options.dumpFacingTheLight || std::strcmp(value, "route") == 0;
        } else if (name == "--data") {
            options.dataDir = value;
        } else {
            std::printf("vantor-bench: unknown option %s\n", name.c_str());
            return false;
        }
        if (!ok) {
            std::printf("vantor-bench: bad value for %s: %s\n", name.c_str(), value);
            return false;
        }
    }
    return true;
}

// Times each pass of the frame. With glFinish brackets everything queued before a pass is
// finished first, so the steady clock sees only that pass's work; on a real GPU timestamp queries
// are read back once the frame is done.
class BenchPassTimer : public PassTimer {
  public:
    explicit BenchPassTimer(bool useQueries) : queries(useQueries) {}

    void begin(const char* pass) override {
        if (queries) {
            pending.push_back({pass, newQuery(), 0});
            glQueryCounter(pending.back().startQuery, GL_TIMESTAMP);
            return;
        }
        glFinish();
        started = Clock::now();
    }

    void end(const char* pass) override {
        if (queries) {
            pending.back().endQuery = newQuery();
            glQueryCounter(pending.back().endQuery, GL_TIMESTAMP);
            return;
        }
        glFinish();
        frame[pass] += millisecondsSince(started);
    }

    // The frame's pass times in milliseconds, then a fresh start.
    std::map<std::string, double> takeFrame() {
        for (const Pending& p : pending) {
            GLuint64 start = 0;
            GLuint64 stop = 0;
            glGetQueryObjectui64v(p.startQuery, GL_QUERY_RESULT, &start);
            glGetQueryObjectui64v(p.endQuery, GL_QUERY_RESULT, &stop);
            frame[p.pass] += static_cast<double>(stop - start) / 1.0e6;
        }
        pending.clear();
        nextQuery = 0;
        std::map<std::string, double> result;
        result.swap(frame);
        return result;
    }

    ~BenchPassTimer() override {
        if (!pool.empty()) {
            glDeleteQueries(static_cast<GLsizei>(pool.size()), pool.data());
        }
    }

  private:
    struct Pending {
        const char* pass;
        GLuint startQuery;
        GLuint endQuery;
    };

    GLuint newQuery() {
        if (nextQuery == pool.size()) {
            GLuint query = 0;
            glGenQueries(1, &query);
            pool.push_back(query);
        }
        return pool[nextQuery++];
    }

    bool queries;
    Clock::time_point started;
    std::map<std::string, double> frame;
    std::vector<Pending> pending;
    std::vector<GLuint> pool;
    std::size_t nextQuery = 0;
};

bool isSoftwareRenderer(const std::string& renderer) {
    for (const char* name : {"llvmpipe", "softpipe", "Software", "software", "SWR"}) {
        if (renderer.find(name) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The ten programs of the registry, in a fixed order, so that a whole set can be swapped.
using ProgramSet = std::array<scene::ShaderProgram*, 10>;

std::array<scene::ShaderProgram**, 10> registryPrograms() {
    Registry& r = registry;
    return {&r.shadowMappingShader, &r.skyboxShader,      &r.depthShader,     &r.blurXShader,
            &r.blurYShader,         &r.flareSpriteShader, &r.lensFlareShader, &r.lensCombineShader,
            &r.bloomShader,         &r.brightPassShader};
}

ProgramSet installPrograms(const ProgramSet& programs) {
    ProgramSet previous{};
    const auto slots = registryPrograms();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        previous[i] = *slots[i];
        *slots[i] = programs[i];
    }
    return previous;
}

// Trivial programs with the attribute names of the real ones: each draws the same geometry and
// makes at most one texture fetch per pixel.
ProgramSet makeFloorPrograms() {
    const std::string floor = VANTOR_BENCH_FLOOR_DIR;
    auto make = [&](const std::string& vertex, const std::string& fragment) {
        return new scene::ShaderProgram(vertex, floor + "/" + fragment);
    };
    const std::string object = floor + "/object.vert";
    const std::string fullScreen = "Shader/passthrough.vert";
    return {make(object, "texture.frag"),
            make(object, "texture.frag"),
            make(floor + "/depth.vert", "constant.frag"),
            make(fullScreen, "texture.frag"),
            make(fullScreen, "texture.frag"),
            make("Shader/ovinFlare.vert", "texture.frag"),
            make(fullScreen, "texture.frag"),
            make(fullScreen, "texture.frag"),
            make(fullScreen, "texture.frag"),
            make(fullScreen, "texture.frag")};
}

// The route: walk forward, turn with the mouse, strafe, jump, in a 4 s cycle. Frame numbers
// count from the first frame after start-up, warm-up included.
void applyRoute(platform::ScriptedInput& input, int frame) {
    const int phase = frame % 240;
    input.releaseAll();
    if (phase < 200) {
        input.press('W');
    }
    if (phase >= 60 && phase < 90) {
        input.press('A');
    }
    if (phase >= 150 && phase < 170) {
        input.press('D');
    }
    if (phase == 100 || phase == 101) {
        input.press(platform::KEY_SPACE);
    }
    const int turn = phase < 120 ? 4 : -4;
    input.mouseX = windowWidth / 2 + turn;
    input.mouseY = windowHeight / 2;
}

void applySwitches(const Settings& wanted) {
    const Settings defaults;
    settings = wanted;
    if (wanted.wireframe != defaults.wireframe) {
        glKeyEffects.polygonMode(wanted.wireframe);
    }
    if (wanted.transparency != defaults.transparency) {
        glKeyEffects.blending(wanted.transparency);
    }
}

void writePng(const std::string& path) {
    if (!saveScreenshotPng(path, windowWidth, windowHeight)) {
        std::printf("vantor-bench: could not write %s\n", path.c_str());
    }
}

void writePngs(const Options& options, int index) {
    if (!options.pngDir.empty() && index % options.pngEvery == 0) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%05d.png", index);
        writePng(options.pngDir + name);
    }
    if (!options.pngPath.empty() && index == options.frames - 1) {
        writePng(options.pngPath);
    }
}

// The median of a few copies of the finished frame into the kept frame.
double timeKeptFrameCopy() {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        glFinish();
        const Clock::time_point start = Clock::now();
        keepFinishedFrame();
        glFinish();
        times.push_back(millisecondsSince(start));
    }
    releaseKeptFrame();
    return bench::percentile(times, 0.5);
}

struct FrameRecord {
    double updateMicroseconds = 0.0;
    double renderMilliseconds = 0.0;  // renderFrame
    double drawMilliseconds = 0.0;    // renderFrame and the overlay
    double frameMilliseconds = 0.0;   // the whole loop iteration, swap included
    double frameCpuMilliseconds = 0.0;
    double floorDrawMilliseconds = 0.0;
    double floorDrawCpuMilliseconds = 0.0;
    std::map<std::string, double> passes;
    std::map<std::string, double> floorPasses;
};

}  // namespace

int main(int argc, char** argv) {
    const Clock::time_point processStart = Clock::now();
    Options options;
    bool helpOnly = false;
    if (!parseOptions(argc, argv, options, helpOnly)) {
        usage();
        return 2;
    }
    if (helpOnly) {
        usage();
        return 0;
    }
    // Output paths are taken from where the bench was started, before it moves into the data.
    for (std::string* path : {&options.jsonPath, &options.csvPath, &options.pngPath,
                              &options.pngDir, &options.dumpDir}) {
        if (!path->empty()) {
            *path = std::filesystem::absolute(*path).string();
        }
    }
    if (chdir(options.dataDir.c_str()) != 0) {
        std::printf("vantor-bench: no data folder at %s\n", options.dataDir.c_str());
        return 1;
    }

    platform::ScriptedInput input;
    input.mouseX = windowWidth / 2;
    input.mouseY = windowHeight / 2;
    platform::useScriptedInput(&input);

    // Start-up as the game does it, then its first frame.
    initialize();
    const double initializeMs = millisecondsSince(processStart);
    {
        input.time += step;
        handleKeys();
        updateWorld(step);
        renderFrame();
        drawOverlay();
        platform::swapBuffers();
        glFinish();
    }
    const double startupMs = millisecondsSince(processStart);
    reportGlError();

    applySwitches(options.settings);
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool useQueries =
        options.clock == "query" || (options.clock == "auto" && !isSoftwareRenderer(renderer));
    BenchPassTimer timer(useQueries);

    ProgramSet floorPrograms{};
    if (options.floor) {
        floorPrograms = makeFloorPrograms();
    }

    std::vector<FrameRecord> records;
    records.reserve(static_cast<std::size_t>(options.frames));
    bool written = true;
    const int total = options.warmup + options.frames;
    for (int frame = 0; frame < total; ++frame) {
        const bool measured = frame >= options.warmup;
        const int index = frame - options.warmup;
        if (index == 0 && !options.dumpDir.empty()) {
            const std::vector<std::string> files =
                bench::dumpFramePasses(options.dumpDir, options.dumpFacingTheLight);
            std::printf("pass outputs: %zu files in %s\n", files.size(), options.dumpDir.c_str());
            written = !files.empty();
        }
        FrameRecord record;
        applyRoute(input, frame);
        input.time += step;

        glFinish();
        const Clock::time_point frameStart = Clock::now();
        const double cpuStart = processCpuMilliseconds();
        handleKeys();
        const Clock::time_point updateStart = Clock::now();
        updateWorld(step);
        record.updateMicroseconds = millisecondsSince(updateStart) * 1000.0;

        passTimer = &timer;
        const Clock::time_point drawStart = Clock::now();
        renderFrame();
        glFinish();
        record.renderMilliseconds = millisecondsSince(drawStart);
        drawOverlay();
        glFinish();
        record.drawMilliseconds = millisecondsSince(drawStart);
        passTimer = nullptr;
        record.passes = timer.takeFrame();

        // The PNG files are written outside the frame's time.
        const double beforeSwap = millisecondsSince(frameStart);
        if (measured) {
            writePngs(options, index);
        }
        const Clock::time_point swapStart = Clock::now();
        platform::swapBuffers();
        glFinish();
        record.frameMilliseconds = beforeSwap + millisecondsSince(swapStart);
        record.frameCpuMilliseconds = processCpuMilliseconds() - cpuStart;
        reportGlError();

        if (options.floor) {
            const ProgramSet real = installPrograms(floorPrograms);
            passTimer = &timer;
            glFinish();
            const Clock::time_point floorStart = Clock::now();
            const double floorCpuStart = processCpuMilliseconds();
            renderFrame();
            drawOverlay();
            glFinish();
            record.floorDrawMilliseconds = millisecondsSince(floorStart);
            record.floorDrawCpuMilliseconds = processCpuMilliseconds() - floorCpuStart;
            passTimer = nullptr;
            record.floorPasses = timer.takeFrame();
            installPrograms(real);
            reportGlError();
        }
        if (measured) {
            records.push_back(std::move(record));
        }
    }

    bench::Report report;
    report.renderer = renderer;
    report.version = version;
    report.timing = useQueries ? "GL timestamp queries" : "glFinish brackets and a steady clock";
    report.width = windowWidth;
    report.height = windowHeight;
    report.frames = options.frames;
    report.warmup = options.warmup;
    report.floor = options.floor;
    report.settings = settings;
    report.initializeMs = initializeMs;
    report.startupMs = startupMs;
    report.keptFrameCopyMs = timeKeptFrameCopy();
    for (const FrameRecord& r : records) {
        report.updateMicroseconds.push_back(r.updateMicroseconds);
        report.renderMs.push_back(r.renderMilliseconds);
        report.drawMs.push_back(r.drawMilliseconds);
        report.frameMs.push_back(r.frameMilliseconds);
        report.frameCpuMs.push_back(r.frameCpuMilliseconds);
        report.floorDrawMs.push_back(r.floorDrawMilliseconds);
        report.floorDrawCpuMs.push_back(r.floorDrawCpuMilliseconds);
        report.passes.push_back(r.passes);
        report.floorPasses.push_back(r.floorPasses);
    }

    std::fputs(bench::tableText(report).c_str(), stdout);
    if (!options.jsonPath.empty()) {
        std::ofstream json(options.jsonPath);
        json << bench::jsonText(report);
        written = written && static_cast<bool>(json);
    }
    if (!options.csvPath.empty()) {
        std::ofstream csv(options.csvPath);
        csv << bench::csvText(report);
        written = written && static_cast<bool>(csv);
    }

    if (options.floor) {
        for (scene::ShaderProgram* program : floorPrograms) {
            delete program;
        }
    }
    cleanUp();
    platform::useScriptedInput(nullptr);
    platform::terminate();
    if (!written) {
        std::printf("vantor-bench: could not write the output files\n");
        return 1;
    }
    return 0;
}
