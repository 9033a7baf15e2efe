#include "objectives/references.h"

#include "base/text_util.h"
#include "objectives/export_format.h"

#include <optional>
#include <string_view>
#include <vector>

namespace vantor {

namespace {

// Each link takes nine fields from field 24 on, its target last.
constexpr int firstLinkField = firstLinkTargetField - (fieldsPerLink - 1);

struct Edit {
    std::size_t begin;
    std::size_t end;
    std::string text;
};

std::size_t lineEndLength(std::string_view line) {
    std::size_t n = 0;
    while (n < line.size() &&
           (line[line.size() - 1 - n] == '\n' || line[line.size() - 1 - n] == '\r')) {
        ++n;
    }
    return n;
}

// Writes value into the field that starts at `at`. A last field is replaced with the rest of the
// line, which then ends in "\r\n".
Edit numberEdit(std::string_view line, std::size_t at, std::int64_t value, NumberSpacing spacing) {
    std::size_t begin = at;
    if (spacing == NumberSpacing::AsRead) {
        while (begin < line.size() && (line[begin] == ' ' || line[begin] == '\t')) {
            ++begin;
        }
    }
    const std::size_t comma = line.find(',', at);
    if (comma == std::string_view::npos) {
        return {std::min(begin, line.size()), line.size(), std::to_string(value) + "\r\n"};
    }
    return {std::min(begin, comma), comma, std::to_string(value)};
}

} // namespace

ReferenceChanges& ReferenceChanges::operator+=(const ReferenceChanges& other) {
    parentsMoved += other.parentsMoved;
    parentsCleared += other.parentsCleared;
    linksMoved += other.linksMoved;
    linksDropped += other.linksDropped;
    return *this;
}

ReferenceChanges translateReferences(std::string& line, const ReferenceMap& map,
                                     NumberSpacing spacing) {
    ReferenceChanges changes;
    const std::string_view text(line);
    std::vector<Edit> edits;

    if (const std::optional<std::size_t> at = fieldAfterCommas(ParentField, text)) {
        const ReferenceFate fate = map(readIntField(ParentField, text));
        if (fate.kind == ReferenceFate::Kind::Moved) {
            edits.push_back(numberEdit(text, *at, fate.to, spacing));
            ++changes.parentsMoved;
        } else if (fate.kind == ReferenceFate::Kind::Gone) {
            edits.push_back(numberEdit(text, *at, 0, spacing));
            ++changes.parentsCleared;
        }
    }
    const std::size_t linkCountEdit = edits.size();

    // One walk over the links, however many LCount claims.
    const std::int32_t links = readIntField(LCountField, text);
    std::optional<std::size_t> linkStart = fieldAfterCommas(firstLinkField, text);
    for (std::int32_t i = 0; i < links && linkStart; ++i) {
        const std::optional<std::size_t> fromLink =
            fieldAfterCommas(fieldsPerLink - 1, text.substr(*linkStart));
        if (!fromLink) {
            break; // the line holds no more links than this
        }
        const std::size_t targetAt = *linkStart + *fromLink;
        const std::size_t comma = text.find(',', targetAt);
        const std::string_view field = text.substr(
            targetAt, comma == std::string_view::npos ? std::string_view::npos : comma - targetAt);
        const ReferenceFate fate = map(parseLeadingInt(field).value_or(0));
        if (fate.kind == ReferenceFate::Kind::Moved) {
            edits.push_back(numberEdit(text, targetAt, fate.to, spacing));
            ++changes.linksMoved;
        } else if (fate.kind == ReferenceFate::Kind::Gone) {
            // The link's nine fields go with the comma that ends them; a last link takes the
            // comma before it instead, and the line keeps its end.
            if (comma != std::string_view::npos) {
                edits.push_back({*linkStart, comma + 1, {}});
            } else {
                edits.push_back({*linkStart - 1, text.size() - lineEndLength(text), {}});
            }
            ++changes.linksDropped;
        }
        linkStart =
            comma == std::string_view::npos ? std::nullopt : std::optional<std::size_t>(comma + 1);
    }
    if (changes.linksDropped > 0) {
        const std::size_t at = *fieldAfterCommas(LCountField, text);
        edits.insert(edits.begin() + static_cast<std::ptrdiff_t>(linkCountEdit),
                     numberEdit(text, at, std::int64_t{links} - changes.linksDropped, spacing));
    }
    if (edits.empty()) {
        return changes;
    }
    std::string out;
    out.reserve(line.size() + 16 * edits.size());
    std::size_t copied = 0;
    for (const Edit& e : edits) {
        out.append(text.substr(copied, e.begin - copied));
        out += e.text;
        copied = e.end;
    }
    out.append(text.substr(copied));
    line = std::move(out);
    return changes;
}

} // namespace vantor
