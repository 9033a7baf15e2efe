#include "cli/render_command.h"

#include "base/text_util.h"
#include "cli/exit_status.h"
#include "cli/list_commands.h"
#include "cli/png_file.h"
#include "map/map_overlay.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace vantor::cli {

namespace {

// The markers of a CSV file as the list window would show them.
bool markersOf(CliSession& session, const std::string& path, std::vector<MapMarker>& markers) {
    if (!loadList(session, path)) {
        std::fprintf(stderr, "Error: %s could not be read as an export or report\n", path.c_str());
        return false;
    }
    const ApplicationState& state = session.state;
    const std::vector<MapMarker> more =
        listMarkers(*state.list.model.window, state.list.listKind, state.scan.scanAll,
                    markerClassList(state.reference));
    markers.insert(markers.end(), more.begin(), more.end());
    return true;
}

int render(const GlobalOptions& options, const RenderCommand& c) {
    if (options.out.empty()) {
        std::fprintf(stderr, "Error: render needs --out FILE.png\n");
        return exitUsage;
    }
    if (c.mode != "relief" && c.mode != "tiles") {
        std::fprintf(stderr, "Error: --mode is relief or tiles, not %s\n", c.mode.c_str());
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !session.openTerrain(options.terrain)) {
        return exitFailed;
    }
    const TerrainMatrix& m = session.state.terrain.matrix;
    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x1 = m.width - 1;
    std::int32_t y1 = m.height - 1;
    if (!c.area.empty()) {
        x0 = std::min(c.area[0], c.area[2]);
        x1 = std::max(c.area[0], c.area[2]);
        y0 = std::min(c.area[1], c.area[3]);
        y1 = std::max(c.area[1], c.area[3]);
        if (x0 < 0 || y0 < 0 || x1 >= m.width || y1 >= m.height) {
            std::fprintf(stderr, "Error: --area must lie within 0,0,%d,%d\n", m.width - 1,
                         m.height - 1);
            return exitUsage;
        }
    }
    const std::int64_t pixels = std::int64_t{x1 - x0 + 1} * c.scale * (y1 - y0 + 1) * c.scale;
    if (pixels > std::int64_t{1} << 28) {
        std::fprintf(stderr,
                     "Error: a picture of %lld pixels is too large; choose a smaller "
                     "--area or --scale\n",
                     static_cast<long long>(pixels));
        return exitUsage;
    }
    std::vector<MapMarker> markers;
    if (!options.source.empty() && !markersOf(session, options.source, markers)) {
        return exitFailed;
    }
    if (!c.report.empty() && !markersOf(session, c.report, markers)) {
        return exitFailed;
    }
    MapWindow window;
    window.left = x0;
    window.top = y1;
    window.width = (x1 - x0 + 1) * c.scale;
    window.height = (y1 - y0 + 1) * c.scale;
    window.scale = c.scale;
    const MapMode mode = c.mode == "tiles" ? MapMode::Tiles : MapMode::Relief;
    const TileClassifier classes = loadTileClassifier(session.state.folders.startDirectory);
    std::string error;
    // Drawn a row at a time into the picture as it is compressed: never held whole.
    PngBytes file;
    if (!encodeTerrainPng(m, classes, mode, window, markers, file, error) ||
        !writePngFile(file, options.out, error)) {
        std::fprintf(stderr, "Error: cannot write %s: %s\n", options.out.c_str(), error.c_str());
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("Wrote %s: %d x %d pixels, %s\n", options.out.c_str(), window.width,
                    window.height, countText(markers.size(), "marker", "markers").c_str());
    }
    return exitOk;
}

} // namespace

void addRenderCommand(CLI::App& app, RenderCommand& c) {
    c.app = app.add_subcommand(
        "render", "Draw the --terrain map (north up) with the objectives of --source and the "
                  "breaks of --report as a PNG picture into --out");
    c.app->add_option("--report", c.report, "A report CSV of the scans to mark on the map");
    c.app->add_option("--area", c.area, "Map area X0,Y0,X1,Y1, inclusive (default: the whole map)")
        ->delimiter(',')
        ->expected(4);
    c.app->add_option("--scale", c.scale, "Pixels per post, 1 to 32; from 4 on with section lines")
        ->check(CLI::Range(1, 32))
        ->capture_default_str();
    c.app
        ->add_option("--mode", c.mode,
                     "relief (shaded, coloured by height) or tiles (coloured "
                     "by the tile classes of the scripts in --dir)")
        ->capture_default_str();
}

int runRenderCommand(const GlobalOptions& options, const RenderCommand& c) {
    return c.app->parsed() ? render(options, c) : -1;
}

} // namespace vantor::cli
