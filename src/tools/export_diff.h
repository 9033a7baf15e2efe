#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantor {

// An objective of an export as the comparison of two versions sees it.
struct DiffObject {
    std::size_t line = 0; // in its file, from 0 (the title line)
    std::int32_t id = 0;
    std::string name;
    std::int32_t objectiveClass = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t parent = 0;
    std::vector<std::int32_t> links; // the targets, in order
    std::vector<std::string> fields; // every field up to the links, blanks trimmed
    std::string radar;               // the radar values, as the radar check reads them
};

// The objectives of an export's lines (without their line ends, the title and column lines
// first): every line after them with an ID field.
std::vector<DiffObject> diffObjectsOf(const std::vector<std::string_view>& lines);

// An objective of both versions, and how it changed.
struct ObjectChange {
    std::size_t before = 0; // positions among the objects of each version
    std::size_t after = 0;
    bool renumbered = false;         // its ID (and XID) differ
    bool moved = false;              // its X or Y
    bool reclassed = false;          // its Objective class
    std::vector<std::string> fields; // the names of the other columns whose text changed
    std::vector<std::pair<std::string, std::string>> fieldValues; // each one's text before, after
    bool parentChanged = false; // it names another objective (or none) as Parent
    std::string parentBefore;   // "17 Town 17", "0", "12 (no objective)"
    std::string parentAfter;
    std::vector<std::string> linksAdded; // linked objectives, as the Parents are named
    std::vector<std::string> linksRemoved;
};

// What differs between two versions of an export. Objectives are matched by ID where the two
// agree on the name or on the post and class; what renumbering (a checked export) leaves, by
// post and class, then by a name that each file gives only once. Parents and links are
// compared by the objectives they name, so a renumbering alone changes neither.
struct ExportDiff {
    std::vector<DiffObject> before;
    std::vector<DiffObject> after;
    std::vector<std::size_t> added;    // positions in after
    std::vector<std::size_t> deleted;  // positions in before
    std::vector<ObjectChange> changed; // in the order of the later version
    std::size_t unchanged = 0;
    std::size_t renumbered = 0;
    std::size_t moved = 0;
    std::size_t reclassed = 0;
    std::size_t fieldsChanged = 0; // objectives with other columns changed
    std::size_t parentsChanged = 0;
    std::size_t linksChanged = 0; // objectives whose links name other objectives

    bool same() const {
        return added.empty() && deleted.empty() && changed.empty() && renumbered == 0;
    }
};

// The later version's column line names the fields changed.
ExportDiff diffExports(const std::vector<std::string_view>& before,
                       const std::vector<std::string_view>& after);

} // namespace vantor
