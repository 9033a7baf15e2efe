#include "objectives/export_format.h"
#include "objectives/references.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <vector>

namespace vantor {
namespace {

// An object line with its Parent and links where the export puts them; each link is eight
// zero fields and its target.
std::string linked(std::int32_t parent, const std::vector<std::int32_t>& links,
                   const char* lcount = nullptr) {
    std::string s = "Obj, Town, 2, 40, 102, 1, 1, 0, 0, 0, 0, 2, 40, 0, 0, 100, 100, 0, 1, 60, " +
                    std::to_string(parent) + ", 2, " +
                    (lcount != nullptr ? std::string(lcount) : std::to_string(links.size())) +
                    ", 1, ";
    for (std::int32_t target : links) {
        s += "0, 0, 0, 0, 0, 0, 0, 0, " + std::to_string(target) + ", ";
    }
    return s + "0.019, 0.019, 0.019, 0.019, 0.019, 0.019, 0.019, 0.019,\r\n";
}

TEST(References, ParentsAndLinksFollowTheirObjects) {
    // 10 moves to 20, 11 is gone, every other identifier stays.
    const ReferenceMap map = [](std::int32_t id) {
        return id == 10   ? ReferenceFate::moved(20)
               : id == 11 ? ReferenceFate::gone()
                          : ReferenceFate::kept();
    };
    struct Case {
        const char* what;
        std::string line;
        NumberSpacing spacing;
        std::string expected;
        ReferenceChanges changes;
    };
    std::string lastLink = linked(0, {5, 11});
    lastLink = lastLink.substr(0, lastLink.find(", 0.019")) + "\r\n"; // the target ends the line
    std::string lastLinkMoved = linked(0, {5, 10});
    lastLinkMoved = lastLinkMoved.substr(0, lastLinkMoved.find(", 0.019")) + "\n";
    std::string overstated = linked(7, {11}, "2000000000");
    std::string overstatedAfter = linked(7, {}, "1999999999");
    const Case cases[] = {
        {"a moved Parent keeps its blank",
         linked(10, {}),
         NumberSpacing::AsRead,
         linked(20, {}),
         {1, 0, 0, 0}},
        {"bare, as the identifier tools write",
         linked(10, {}),
         NumberSpacing::Bare,
         [] {
             std::string s = linked(20, {});
             s.replace(s.find(", 20, 2,"), 8, ",20, 2,");
             return s;
         }(),
         {1, 0, 0, 0}},
        {"a Parent that is gone becomes 0",
         linked(11, {}),
         NumberSpacing::AsRead,
         linked(0, {}),
         {0, 1, 0, 0}},
        {"a moved link target",
         linked(0, {5, 10}),
         NumberSpacing::AsRead,
         linked(0, {5, 20}),
         {0, 0, 1, 0}},
        {"a link to a gone object is taken out whole",
         linked(10, {5, 11, 10, 11, 6}),
         NumberSpacing::AsRead,
         linked(20, {5, 20, 6}),
         {1, 0, 1, 2}},
        {"the last link of a line that ends with it",
         lastLink,
         NumberSpacing::AsRead,
         [&] {
             std::string s = linked(0, {5}, "1");
             return s.substr(0, s.find(", 0.019")) + "\r\n";
         }(),
         {0, 0, 0, 1}},
        {"a moved last field ends the line as replaceIntField does",
         lastLinkMoved,
         NumberSpacing::Bare,
         [&] {
             std::string s = linked(0, {5}, "2");
             return s.substr(0, s.find(", 0.019")) + ", 0, 0, 0, 0, 0, 0, 0, 0,20\r\n";
         }(),
         {0, 0, 1, 0}},
        {"LCount beyond the line: the walk ends with the links present",
         overstated,
         NumberSpacing::AsRead,
         overstatedAfter,
         {0, 0, 0, 1}},
        {"nothing to translate leaves every byte",
         linked(7, {5, 6}),
         NumberSpacing::Bare,
         linked(7, {5, 6}),
         {}},
        {"a line without a Parent field",
         "A, Town, 2, 10, 5, 1, 1\r\n",
         NumberSpacing::Bare,
         "A, Town, 2, 10, 5, 1, 1\r\n",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string line = c.line;
        const ReferenceChanges changes = translateReferences(line, map, c.spacing);
        EXPECT_EQ(line, c.expected);
        EXPECT_EQ(changes.parentsMoved, c.changes.parentsMoved);
        EXPECT_EQ(changes.parentsCleared, c.changes.parentsCleared);
        EXPECT_EQ(changes.linksMoved, c.changes.linksMoved);
        EXPECT_EQ(changes.linksDropped, c.changes.linksDropped);
        // The links that remain are those LCount counts.
        std::vector<std::int32_t> targets;
        forEachLinkTarget(line, [&](std::int32_t, std::int32_t t) { targets.push_back(t); });
        std::vector<std::int32_t> expected;
        forEachLinkTarget(c.expected, [&](std::int32_t, std::int32_t t) { expected.push_back(t); });
        EXPECT_EQ(targets, expected);
    }
}

TEST(References, AHugeLinkCountOnALongLineIsOneWalk) {
    // Every link moves: a walk per link would take minutes here.
    std::vector<std::int32_t> links(200000, 10);
    std::string line = linked(10, links);
    const ReferenceChanges changes = translateReferences(
        line, [](std::int32_t) { return ReferenceFate::moved(11); }, NumberSpacing::AsRead);
    EXPECT_EQ(changes.linksMoved, 200000);
    EXPECT_EQ(line, linked(11, std::vector<std::int32_t>(200000, 11)));
}

} // namespace
} // namespace vantor
