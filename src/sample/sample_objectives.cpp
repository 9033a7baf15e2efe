// The sample theater's objective export: our own synthetic objectives on the generated land,
// written as the tactical editor writes its exports.

#include "analysis/radar_profile.h"
#include "analysis/radar_rewrite.h"
#include "base/text_file.h"
#include "objectives/export_format.h"
#include "sample/sample_theater.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace vantor {

namespace {

struct Kind {
    const char* type;
    const char* subtype;
    std::int32_t objective;
    std::int32_t priority;
};

// The objective kinds of the sample, by the classes of its class file; bridges take the
// objective types of the bridge script.
constexpr Kind city{"City", "1", sample_classes::city, 90};
constexpr Kind town{"Town", "2", sample_classes::town, 60};
constexpr Kind village{"Village", "3", sample_classes::village, 30};
constexpr Kind junction{"Junction", "4", sample_classes::junction, 20};
constexpr Kind airbases[] = {{"Airbase", "5", sample_classes::airbase, 100},
                             {"Airbase", "5", sample_classes::kimpo, 100},
                             {"Airbase", "5", sample_classes::highwayStrip, 80}};
constexpr Kind radar{"Radar", "6", sample_classes::radar, 70};
constexpr Kind oneTileBridge{"Bridge", "7", 7, 40};
constexpr Kind twoTileBridge{"Bridge", "9", 9, 40};

struct SampleObject {
    const Kind* kind;
    std::int32_t id;
    std::int32_t x;
    std::int32_t y;
    std::int32_t parent = 0;
    std::vector<std::int32_t> links;
};

std::int64_t distance2(const SampleObject& a, const SampleObject& b) {
    const std::int64_t dx = a.x - b.x;
    const std::int64_t dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// The nearest object of one of the kinds, other than o itself.
const SampleObject* nearest(const std::vector<SampleObject>& objects, const SampleObject& o,
                            std::initializer_list<const Kind*> kinds) {
    const SampleObject* best = nullptr;
    for (const SampleObject& c : objects) {
        if (&c == &o || std::find(kinds.begin(), kinds.end(), c.kind) == kinds.end()) {
            continue;
        }
        if (best == nullptr || distance2(o, c) < distance2(o, *best)) {
            best = &c;
        }
    }
    return best;
}

std::string objectLine(const SampleObject& o) {
    std::ostringstream s;
    s << o.kind->type << ' ' << o.id << ", " << o.kind->type << ", " << o.kind->subtype << ", "
      << o.id << ", " << o.kind->objective << ", " << o.x << ", " << o.y << ", 0, 0, 0, 0, 2, "
      << o.id << ", 0, 0, 100, 100, 0, 1, " << o.kind->priority << ", " << o.parent << ", 2, "
      << o.links.size() << ", 1, ";
    for (const std::int32_t target : o.links) {
        s << "0, 0, 0, 0, 0, 0, 0, 0, " << target << ", ";
    }
    for (int i = 0; i < 8; ++i) {
        s << "0.019,";
        s << (i < 7 ? " " : "");
    }
    s << "\r\n";
    return s.str();
}

} // namespace

namespace {

// Towns, villages and junctions stand on the blocks laid for them, except that (with faults)
// every fourth town is missing, every third village stands one post west of its block, every
// fifth junction one post north of its crossroads, and cities, towns, villages and junctions
// stand where no block could be laid. Without faults those have no object.
void placeSiteObjects(const TerrainMatrix& m, std::vector<SampleObject>& objects,
                      std::int32_t& nextId, SampleFaults faults) {
    const bool planted = faults == SampleFaults::Planted;
    std::size_t towns = 0;
    std::size_t villages = 0;
    std::size_t junctions = 0;
    std::size_t airfields = 0;
    for (const SampleSite& site : sampleSites(m)) {
        const bool onBlock = m.at(site.x, site.y).tileId >= sample_tiles::cityBlock;
        std::int32_t x = site.x;
        std::int32_t y = site.y;
        const Kind* kind = nullptr;
        switch (site.kind) {
        case SampleSiteKind::City:
            kind = &city;
            break;
        case SampleSiteKind::Town:
            kind = &town;
            if (planted && onBlock && ++towns % 4 == 0) {
                continue;
            }
            break;
        case SampleSiteKind::Village:
            kind = &village;
            if (planted && onBlock && ++villages % 3 == 0) {
                --x;
            }
            break;
        case SampleSiteKind::Junction:
            kind = &junction;
            if (planted && onBlock && ++junctions % 5 == 0) {
                ++y;
            }
            break;
        case SampleSiteKind::Radar:
            kind = &radar;
            break;
        case SampleSiteKind::Airbase:
            kind = &airbases[airfields++ % std::size(airbases)];
            break;
        }
        const bool urban = kind == &city || kind == &town || kind == &village || kind == &junction;
        if (!planted && urban && !onBlock) {
            continue;
        }
        objects.push_back({kind, nextId++, x, y, 0, {}});
    }
}

// Bridges stand on the bridge tiles.
void placeBridgeObjects(const TerrainMatrix& m, std::vector<SampleObject>& objects,
                        std::int32_t& nextId) {
    for (std::int32_t y = 0; y < m.height; ++y) {
        for (std::int32_t x = 0; x < m.width; ++x) {
            const std::uint32_t tile = m.at(x, y).tileId;
            if (tile == sample_tiles::bridge || tile == sample_tiles::bridgeWest) {
                objects.push_back({tile == sample_tiles::bridge ? &oneTileBridge : &twoTileBridge,
                                   nextId++,
                                   x,
                                   y,
                                   0,
                                   {}});
            }
        }
    }
}

// Towns belong to their nearest city, villages to their nearest town or city; one village in
// five names another village, as broken theaters do, and cities, airbases and radar sites have
// Parent 0. Without faults every object belongs to its nearest town or city (a city to another
// one).
void assignParents(std::vector<SampleObject>& objects, SampleFaults faults) {
    std::size_t villageParents = 0;
    for (SampleObject& o : objects) {
        const SampleObject* parent = nullptr;
        if (faults == SampleFaults::None) {
            parent = nearest(objects, o, {&town, &city});
        } else if (o.kind == &town) {
            parent = nearest(objects, o, {&city});
        } else if (o.kind == &village) {
            parent = ++villageParents % 5 == 0 ? nearest(objects, o, {&village})
                                               : nearest(objects, o, {&town, &city});
        } else if (o.kind == &oneTileBridge || o.kind == &twoTileBridge || o.kind == &junction) {
            parent = nearest(objects, o, {&town, &city});
        }
        o.parent = parent != nullptr ? parent->id : 0;
    }
}

// Cities and towns link to their two nearest neighbours.
void linkNeighbours(std::vector<SampleObject>& objects) {
    for (SampleObject& o : objects) {
        if (o.kind != &city && o.kind != &town) {
            continue;
        }
        std::vector<const SampleObject*> others;
        for (const SampleObject& c : objects) {
            if (&c != &o) {
                others.push_back(&c);
            }
        }
        const std::size_t count = std::min<std::size_t>(2, others.size());
        std::partial_sort(others.begin(), others.begin() + static_cast<std::ptrdiff_t>(count),
                          others.end(), [&](const SampleObject* a, const SampleObject* b) {
                              return distance2(o, *a) < distance2(o, *b) ||
                                     (distance2(o, *a) == distance2(o, *b) && a->id < b->id);
                          });
        for (std::size_t i = 0; i < count; ++i) {
            o.links.push_back(others[i]->id);
        }
    }
}

} // namespace

std::string sampleObjectiveExport(const TerrainMatrix& m, SampleFaults faults) {
    std::vector<SampleObject> objects;
    std::int32_t nextId = 10;
    placeSiteObjects(m, objects, nextId, faults);
    placeBridgeObjects(m, objects, nextId);
    assignParents(objects, faults);
    linkNeighbours(objects);
    std::string text =
        std::string(exportTitle) + "  Mon Dec 07 12:00:00 2026\r\n" + exportColumnLine + "\r\n";
    if (faults == SampleFaults::Planted) {
        for (const SampleObject& o : objects) {
            text += objectLine(o);
        }
        return text;
    }
    // Every object with the profile of its post, as the radar rewrite would give it now.
    std::vector<RadarSite> sites;
    for (const SampleObject& o : objects) {
        sites.push_back({o.x, o.y});
    }
    std::vector<RadarProfile> profiles(sites.size());
    radarProfiles(makeRadarWalk(defaultRadarSettings, m.width - 1, m), sites, profiles);
    for (std::size_t i = 0; i < objects.size(); ++i) {
        text += withoutLineEnd(radarObjectLine(objectLine(objects[i]), profiles[i]));
        text += "\r\n";
    }
    return text;
}

} // namespace vantor
