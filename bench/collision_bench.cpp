// Triangle collision against a peer library (FCL): the figure against a cloud platform in five
// scenarios and two large meshes against each other, the same fixed queries through both, answers
// compared, and our queries per second over the peer's best printed per scenario.
#include <benchmark/benchmark.h>

#include <fcl/narrowphase/collision.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "collision/coldet/collision_model_3d_impl.hpp"

namespace {

using COLDET::CollisionModel3DImpl;
using COLDET::Matrix3D;
using COLDET::Vector3D;

constexpr double pi = 3.14159265358979;
constexpr int queriesPerScenario = 2000;
constexpr std::uint32_t scenarioSeed = 4242;

struct Mesh {
    std::vector<Vector3D> vertices;
    std::vector<int> indices;  // three per triangle
    int triangleCount() const { return static_cast<int>(indices.size() / 3); }
};

// A bumpy ellipsoid of latitude and longitude bands, poles closed by fans.
void addEllipsoid(Mesh& mesh, Vector3D center, Vector3D radii, int rows, int columns, float bump,
                  int lobes) {
    const int base = static_cast<int>(mesh.vertices.size());
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const double lat = pi * r / rows, lon = 2 * pi * c / columns;
            const double k = 1.0 + bump * std::sin(lobes * lon) * std::sin(lobes * lat * 1.5);
            mesh.vertices.emplace_back(
                center.x + static_cast<float>(std::sin(lat) * std::cos(lon) * radii.x * k),
                center.y + static_cast<float>(std::cos(lat) * radii.y * k),
                center.z + static_cast<float>(std::sin(lat) * std::sin(lon) * radii.z * k));
        }
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const int c1 = (c + 1) % columns;
            const int a = base + r * columns + c, b = base + r * columns + c1;
            const int d = base + (r + 1) * columns + c, e = base + (r + 1) * columns + c1;
            if (r + 1 < rows)
                mesh.indices.insert(mesh.indices.end(), {a, d, e});
            if (r > 0)
                mesh.indices.insert(mesh.indices.end(), {a, e, b});
        }
}

// About 3,800 triangles, 1 x 2 x 0.5 units, feet at y = 0.
Mesh figure() {
    Mesh mesh;
    addEllipsoid(mesh, {0, 1.15f, 0}, {0.3f, 0.4f, 0.22f}, 24, 32, 0.02f, 3);
    addEllipsoid(mesh, {0, 1.76f, 0}, {0.17f, 0.2f, 0.17f}, 16, 24, 0.0f, 1);
    for (float side : {-1.0f, 1.0f}) {
        addEllipsoid(mesh, {side * 0.13f, 0.42f, 0}, {0.1f, 0.42f, 0.1f}, 14, 20, 0.0f, 1);
        addEllipsoid(mesh, {side * 0.41f, 1.15f, 0}, {0.08f, 0.38f, 0.08f}, 12, 16, 0.0f, 1);
    }
    return mesh;
}

// About 3,000 triangles: a flattened puffy blob, 2 x 0.8 x 2 before the level's 3 x 1 x 3 scale.
Mesh cloud() {
    Mesh mesh;
    addEllipsoid(mesh, {0, 0, 0}, {1.0f, 0.3f, 1.0f}, 30, 40, 0.08f, 5);
    addEllipsoid(mesh, {-0.4f, 0.15f, 0.2f}, {0.35f, 0.25f, 0.35f}, 10, 12, 0.05f, 2);
    addEllipsoid(mesh, {0.35f, 0.12f, -0.3f}, {0.3f, 0.22f, 0.3f}, 10, 12, 0.05f, 2);
    addEllipsoid(mesh, {0.2f, 0.18f, 0.45f}, {0.25f, 0.2f, 0.25f}, 10, 12, 0.05f, 2);
    return mesh;
}

// About 50,000 triangles: a bumpy unit sphere.
Mesh bigSphere(int lobes) {
    Mesh mesh;
    addEllipsoid(mesh, {0, 0, 0}, {1, 1, 1}, 126, 200, 0.03f, lobes);
    return mesh;
}

std::unique_ptr<CollisionModel3DImpl> modelOf(const Mesh& mesh) {
    auto model = std::make_unique<CollisionModel3DImpl>();
    model->reserveTriangles(mesh.triangleCount());
    for (std::size_t i = 0; i < mesh.indices.size(); i += 3)
        model->addTriangle(&mesh.vertices[mesh.indices[i]].x, &mesh.vertices[mesh.indices[i + 1]].x,
                           &mesh.vertices[mesh.indices[i + 2]].x);
    model->finalize();
    return model;
}

// The peer takes rigid transforms only, so a scaled platform has its scale baked into the mesh.
template <typename Bv>
std::shared_ptr<fcl::BVHModel<Bv>> peerModelOf(const Mesh& mesh, Vector3D scale = {1, 1, 1}) {
    std::vector<fcl::Vector3d> points;
    for (const Vector3D& v : mesh.vertices)
        points.emplace_back(double(v.x) * scale.x, double(v.y) * scale.y, double(v.z) * scale.z);
    std::vector<fcl::Triangle> triangles;
    for (std::size_t i = 0; i < mesh.indices.size(); i += 3)
        triangles.emplace_back(mesh.indices[i], mesh.indices[i + 1], mesh.indices[i + 2]);
    auto model = std::make_shared<fcl::BVHModel<Bv>>();
    model->beginModel();
    model->addSubModel(points, triangles);
    model->endModel();
    return model;
}

// A rigid placement: rotation by `angle` about the unit `axis`, then translation.
struct Placement {
    Vector3D axis{0, 1, 0};
    double angle = 0;
    Vector3D position;

    Matrix3D matrix(Vector3D scale = {1, 1, 1}) const {
        const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
        const double x = axis.x, y = axis.y, z = axis.z;
        const double r[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                                {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                                {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
        Matrix3D m;
        for (int col = 0; col < 3; ++col)
            for (int row = 0; row < 3; ++row)
                m.m[4 * col + row] = static_cast<float>(r[row][col] * scale[col]);
        m.m[12] = position.x, m.m[13] = position.y, m.m[14] = position.z;
        return m;
    }

    fcl::Transform3d peer() const {
        fcl::Transform3d tf = fcl::Transform3d::Identity();
        tf.linear() =
            fcl::AngleAxisd(angle, fcl::Vector3d(axis.x, axis.y, axis.z)).toRotationMatrix();
        tf.translation() = fcl::Vector3d(position.x, position.y, position.z);
        return tf;
    }
};

struct Query {
    Matrix3D mine, others;                  // our transforms (the platform may scale)
    fcl::Transform3d peerMine, peerOthers;  // the peer's rigid transforms
};

enum class Pairing { FigureOnCloud, BigOnBig };

struct Scenario {
    std::string name;
    Pairing pairing;
    std::vector<Query> queries;
};

const Vector3D cloudScale{3, 1, 3};

// The world: both pairs of models, for us and for the peer in its two tree kinds.
struct World {
    Mesh figureMesh = figure(), cloudMesh = cloud(), bigMeshA = bigSphere(7),
         bigMeshB = bigSphere(9);
    std::unique_ptr<CollisionModel3DImpl> figureModel = modelOf(figureMesh);
    std::unique_ptr<CollisionModel3DImpl> cloudModel = modelOf(cloudMesh);
    std::unique_ptr<CollisionModel3DImpl> bigA = modelOf(bigMeshA), bigB = modelOf(bigMeshB);
    std::shared_ptr<fcl::BVHModel<fcl::OBBRSSd>> obbFigure = peerModelOf<fcl::OBBRSSd>(figureMesh),
                                                 obbCloud = peerModelOf<fcl::OBBRSSd>(cloudMesh,
                                                                                      cloudScale),
                                                 obbBigA = peerModelOf<fcl::OBBRSSd>(bigMeshA),
                                                 obbBigB = peerModelOf<fcl::OBBRSSd>(bigMeshB);
    std::shared_ptr<fcl::BVHModel<fcl::AABBd>> aabbFigure = peerModelOf<fcl::AABBd>(figureMesh),
                                               aabbCloud =
                                                   peerModelOf<fcl::AABBd>(cloudMesh, cloudScale),
                                               aabbBigA = peerModelOf<fcl::AABBd>(bigMeshA),
                                               aabbBigB = peerModelOf<fcl::AABBd>(bigMeshB);
    std::vector<Scenario> scenarios;

    World();

    bool ours(Pairing pairing, const Query& q) {
        CollisionModel3DImpl& mine = pairing == Pairing::FigureOnCloud ? *cloudModel : *bigA;
        CollisionModel3DImpl& others = pairing == Pairing::FigureOnCloud ? *figureModel : *bigB;
        mine.setTransform(q.mine.m);
        others.setTransform(q.others.m);
        return mine.collide(&others);
    }

    template <typename Bv>
    static bool peer(const fcl::BVHModel<Bv>& mine, const fcl::BVHModel<Bv>& others,
                     const Query& q) {
        const fcl::CollisionRequestd request(1, false);
        fcl::CollisionResultd result;
        fcl::collide(&mine, q.peerMine, &others, q.peerOthers, request, result);
        return result.isCollision();
    }

    bool peerObb(Pairing pairing, const Query& q) const {
        return pairing == Pairing::FigureOnCloud ? peer(*obbCloud, *obbFigure, q)
                                                 : peer(*obbBigA, *obbBigB, q);
    }
    bool peerAabb(Pairing pairing, const Query& q) const {
        return pairing == Pairing::FigureOnCloud ? peer(*aabbCloud, *aabbFigure, q)
                                                 : peer(*aabbBigA, *aabbBigB, q);
    }

    // Height of the cloud's top surface below (x, z), or -1e9 where there is none.
    float cloudTop(float x, float z) {
        cloudModel->setTransform(Placement{}.matrix(cloudScale).m);
        const float origin[3] = {x, 50, z}, down[3] = {0, -1, 0};
        if (!cloudModel->collideRay(origin, down, true))
            return -1e9f;
        float point[3];
        cloudModel->lastHitPoint(point, false);
        return point[1];
    }
};

World::World() {
    std::mt19937 rng(scenarioSeed);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    const Placement cloudPlace;
    // The figure stands upright, turned about y, its feet at `height` above (x, z).
    auto figureQuery = [&](float x, float z, double yaw, float height) {
        Placement p{{0, 1, 0}, yaw, {x, height, z}};
        return Query{cloudPlace.matrix(cloudScale), p.matrix(), cloudPlace.peer(), p.peer()};
    };
    // Highest cloud surface under either foot, or nothing.
    auto surfaceUnderFeet = [&](float x, float z, double yaw) {
        float top = -1e9f;
        for (float side : {-1.0f, 1.0f}) {
            const float fx = x + static_cast<float>(side * 0.13 * std::cos(yaw));
            const float fz = z - static_cast<float>(side * 0.13 * std::sin(yaw));
            top = std::max(top, cloudTop(fx, fz));
        }
        return top;
    };
    // Standing scenarios: the feet a given depth into (positive) or above (negative) the surface.
    auto standing = [&](const char* name, double depthLo, double depthHi, bool mustMiss) {
        Scenario s{name, Pairing::FigureOnCloud, {}};
        while (static_cast<int>(s.queries.size()) < queriesPerScenario) {
            const float x = static_cast<float>(uniform(-2.2, 2.2));
            const float z = static_cast<float>(uniform(-2.2, 2.2));
            const double yaw = uniform(0, 2 * pi);
            const float top = surfaceUnderFeet(x, z, yaw);
            if (top < -1e8f)
                continue;
            const Query q =
                figureQuery(x, z, yaw, top - static_cast<float>(uniform(depthLo, depthHi)));
            if (mustMiss && ours(Pairing::FigureOnCloud, q))
                continue;
            s.queries.push_back(q);
        }
        scenarios.push_back(std::move(s));
    };
    standing("deep overlap", 0.3, 0.8, false);
    standing("shallow contact", 0.05, 0.05, false);
    standing("near miss", -0.08, -0.005, true);

    Scenario far{"far apart", Pairing::FigureOnCloud, {}};
    for (int i = 0; i < queriesPerScenario; ++i) {
        const double heading = uniform(0, 2 * pi), distance = uniform(8, 30);
        far.queries.push_back(figureQuery(static_cast<float>(distance * std::cos(heading)),
                                          static_cast<float>(distance * std::sin(heading)),
                                          uniform(0, 2 * pi), static_cast<float>(uniform(-3, 3))));
    }
    scenarios.push_back(std::move(far));

    // Two bumpy unit spheres, centres 1.9 to 2.1 apart in random directions, randomly turned.
    Scenario big{"big against big", Pairing::BigOnBig, {}};
    for (int i = 0; i < queriesPerScenario; ++i) {
        auto randomAxis = [&]() {
            Vector3D v;
            double length;
            do {
                v = {float(uniform(-1, 1)), float(uniform(-1, 1)), float(uniform(-1, 1))};
                length = std::sqrt(double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z);
            } while (length < 0.1 || length > 1);
            return v * static_cast<float>(1 / length);
        };
        const Placement a{randomAxis(), uniform(0, 2 * pi), {}};
        const Vector3D direction = randomAxis();
        const Placement b{randomAxis(), uniform(0, 2 * pi),
                          direction * static_cast<float>(uniform(1.9, 2.1))};
        big.queries.push_back({a.matrix(), b.matrix(), a.peer(), b.peer()});
    }
    scenarios.push_back(std::move(big));
}

World& world() {
    static World instance;
    return instance;
}

enum class Engine { Ours, PeerObb, PeerAabb };
const char* engineName(Engine e) {
    return e == Engine::Ours ? "coldet" : (e == Engine::PeerObb ? "fcl_obbrss" : "fcl_aabb");
}

void runQueries(benchmark::State& state, int scenarioIndex, Engine engine) {
    World& w = world();
    const Scenario& scenario = w.scenarios[scenarioIndex];
    std::size_t next = 0;
    int touching = 0;
    for (auto _ : state) {
        const Query& q = scenario.queries[next];
        next = next + 1 == scenario.queries.size() ? 0 : next + 1;
        bool hit = false;
        switch (engine) {
            case Engine::Ours:
                hit = w.ours(scenario.pairing, q);
                break;
            case Engine::PeerObb:
                hit = w.peerObb(scenario.pairing, q);
                break;
            case Engine::PeerAabb:
                hit = w.peerAabb(scenario.pairing, q);
                break;
        }
        touching += hit;
        benchmark::DoNotOptimize(touching);
    }
    state.SetItemsProcessed(state.iterations());
}

void finalizeLargeMesh(benchmark::State& state) {
    const Mesh& mesh = world().bigMeshA;
    for (auto _ : state)
        benchmark::DoNotOptimize(modelOf(mesh));
    // Seconds per iteration divided by thousands of triangles.
    state.counters["s_per_1000_triangles"] = benchmark::Counter(
        mesh.triangleCount() / 1000.0,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["tree_bytes_per_triangle"] =
        static_cast<double>(world().bigA->treeMemoryBytes()) / world().bigA->triangleCount();
}

// Largest distance, in double precision, by which the corners of one reported triangle stay on one
// side of the other's plane; 0 when the pair really crosses or touches.
double reportedGap(CollisionModel3DImpl& model) {
    float t[2][9];
    model.lastHitTriangles(t[0], t[1], true);
    double gap = 0;
    for (int p = 0; p < 2; ++p) {
        const float* a = t[p];
        const float* b = t[1 - p];
        double e1[3], e2[3];
        for (int k = 0; k < 3; ++k)
            e1[k] = double(a[3 + k]) - a[k], e2[k] = double(a[6 + k]) - a[k];
        const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                             e1[0] * e2[1] - e1[1] * e2[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        double lo = 1e300, hi = -1e300;
        for (int c = 0; c < 3; ++c) {
            double d = 0;
            for (int k = 0; k < 3; ++k)
                d += n[k] * (double(b[3 * c + k]) - a[k]);
            lo = std::min(lo, d / length), hi = std::max(hi, d / length);
        }
        if (lo > 0)
            gap = std::max(gap, lo);
        if (hi < 0)
            gap = std::max(gap, -hi);
    }
    return gap;
}

// Runs the queries through each engine and counts touching answers and disagreements: "ours only"
// are contacts we report and the peer does not, with the largest plane gap of our reported pair.
// The peer's AABB tree copies and refits both models on every rotated query, so on the large
// meshes it checks every tenth query only.
void compareAnswers() {
    World& w = world();
    std::printf("%-16s %7s %8s | obbrss: %9s %9s | aabb: %7s %9s %9s | %s\n", "scenario", "queries",
                "touching", "ours only", "peer only", "checked", "ours only", "peer only",
                "largest gap of ours-only pairs");
    for (const Scenario& s : w.scenarios) {
        int touching = 0, oursOnlyObb = 0, peerOnlyObb = 0, checkedAabb = 0, oursOnlyAabb = 0,
            peerOnlyAabb = 0;
        double largestGap = 0;
        const int aabbStride = s.pairing == Pairing::BigOnBig ? 10 : 1;
        for (std::size_t i = 0; i < s.queries.size(); ++i) {
            const Query& q = s.queries[i];
            const bool ours = w.ours(s.pairing, q);
            touching += ours;
            const bool obb = w.peerObb(s.pairing, q);
            oursOnlyObb += ours && !obb;
            peerOnlyObb += obb && !ours;
            if (ours && !obb) {
                CollisionModel3DImpl& m =
                    s.pairing == Pairing::FigureOnCloud ? *w.cloudModel : *w.bigA;
                largestGap = std::max(largestGap, reportedGap(m));
            }
            if (i % aabbStride == 0) {
                ++checkedAabb;
                const bool aabb = w.peerAabb(s.pairing, q);
                oursOnlyAabb += ours && !aabb;
                peerOnlyAabb += aabb && !ours;
            }
        }
        std::printf("%-16s %7zu %8d | obbrss: %9d %9d | aabb: %7d %9d %9d | %.3g\n", s.name.c_str(),
                    s.queries.size(), touching, oursOnlyObb, peerOnlyObb, checkedAabb, oursOnlyAabb,
                    peerOnlyAabb, largestGap);
    }
    std::printf("figure %d, cloud %d, big %d and %d triangles\n\n", w.figureModel->triangleCount(),
                w.cloudModel->triangleCount(), w.bigA->triangleCount(), w.bigB->triangleCount());
}

// Collects queries per second by benchmark name for the closing ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        // With repetitions the median stands for the benchmark; it is reported after the runs.
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            const auto it = run.counters.find("items_per_second");
            if (it != run.counters.end())
                rates[run.run_name.str()] = it->second.value;
        }
    }
    std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // --skip_answer_check: timings only (the check runs the peer's slow AABB path for a minute).
    const bool checkAnswers = !(argc > 1 && std::string(argv[1]) == "--skip_answer_check");
    if (checkAnswers)
        compareAnswers();
    World& w = world();
    for (std::size_t i = 0; i < w.scenarios.size(); ++i)
        for (Engine e : {Engine::Ours, Engine::PeerObb, Engine::PeerAabb}) {
            std::string name = w.scenarios[i].name + "/" + engineName(e);
            std::replace(name.begin(), name.end(), ' ', '_');
            benchmark::RegisterBenchmark(name.c_str(), runQueries, static_cast<int>(i), e);
        }
    benchmark::RegisterBenchmark("finalize_50k_triangles", finalizeLargeMesh)
        ->Unit(benchmark::kMillisecond);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-18s %14s %14s %14s %10s\n", "scenario", "coldet q/s", "obbrss q/s", "aabb q/s",
                "ratio");
    for (const Scenario& s : w.scenarios) {
        std::string key = s.name;
        std::replace(key.begin(), key.end(), ' ', '_');
        const auto rate = [&](const char* engine) {
            const auto it = reporter.rates.find(key + "/" + engine);
            return it == reporter.rates.end() ? 0.0 : it->second;
        };
        const double ours = rate("coldet"), obb = rate("fcl_obbrss"), aabb = rate("fcl_aabb");
        const double best = std::max(obb, aabb);
        if (ours > 0 && best > 0)
            std::printf("%-18s %14.0f %14.0f %14.0f %9.2fx\n", s.name.c_str(), ours, obb, aabb,
                        ours / best);
    }
    std::printf("tree memory: %.1f bytes per triangle\n",
                static_cast<double>(w.bigA->treeMemoryBytes()) / w.bigA->triangleCount());
    benchmark::Shutdown();
    return 0;
}
