#include "cli/list_commands.h"

#include "app/commands.h"
#include "app/platform_calls.h"
#include "base/text_util.h"
#include "cli/exit_status.h"
#include "objectives/unused_ids.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <set>

namespace vantor::cli {

bool loadList(CliSession& session, const std::string& path) {
    if (path.empty()) {
        std::fprintf(stderr, "Error: no CSV file given\n");
        return false;
    }
    session.io.answerFile(FileRequestRole::Source, path);
    const int shownBefore = session.io.messagesShown;
    const bool loaded = session.run(cmd::OpenSourceCsv);
    session.io.fileAnswers.clear();
    const bool listed = loaded && session.state.list.model.window.has_value();
    if (!listed && session.io.messagesShown == shownBefore) {
        std::fprintf(stderr, "Error: %s could not be read as a CSV file of objects or reports\n",
                     path.c_str());
    }
    return listed;
}

namespace {

// "ID#", "id#:asc", "3:desc" (1-based column numbers) -> column index and direction.
bool parseSort(const std::string& spec, ListMode listMode, int& column, bool& ascending) {
    std::string name = spec;
    ascending = false; // a first click on a header sorts descending
    if (const std::size_t colon = spec.rfind(':'); colon != std::string::npos) {
        const std::string direction = spec.substr(colon + 1);
        if (equalsIgnoreCase(direction, "asc")) {
            ascending = true;
        } else if (!equalsIgnoreCase(direction, "desc")) {
            return false;
        }
        name = spec.substr(0, colon);
    }
    const std::vector<ListColumn> columns = listColumns(listMode);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (equalsIgnoreCase(columns[i].title, name)) {
            column = static_cast<int>(i);
            return true;
        }
    }
    const std::optional<std::int32_t> number = parseLeadingInt(name);
    if (number && *number >= 1 && static_cast<std::size_t>(*number) <= columns.size() &&
        std::to_string(*number) == trimBlanks(name)) {
        column = *number - 1;
        return true;
    }
    return false;
}

int printList(const GlobalOptions& options, const ListCommands& c) {
    CliSession session;
    if (!session.start(options) || !loadList(session, c.file)) {
        return exitFailed;
    }
    ApplicationState& state = session.state;
    ListWindow& window = *state.list.model.window;
    if (!c.sort.empty()) {
        int column = 0;
        bool ascending = false;
        if (!parseSort(c.sort, window.listMode, column, ascending)) {
            std::fprintf(stderr, "Error: cannot sort by \"%s\": name a column (e.g. ID#:asc)\n",
                         c.sort.c_str());
            return exitUsage;
        }
        sortRows(window, column, ascending);
    }
    const std::vector<ListColumn> columns = listColumns(window.listMode);
    std::string out;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        out += std::string(i == 0 ? "" : "\t") + columns[i].title;
    }
    out += '\n';
    for (std::size_t p = 0; p < window.display.size(); ++p) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            out += (i == 0 ? "" : "\t") + cellText(window, p, static_cast<int>(i),
                                                   state.list.listKind, state.scan.scanAll);
        }
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return exitOk;
}

int exportList(const GlobalOptions& options, const ListCommands& c) {
    if (options.out.empty() || (c.select.empty() == c.remove.empty())) {
        std::fprintf(stderr,
                     "Error: export needs --source, --out and either --select or --delete\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !loadList(session, options.source)) {
        return exitFailed;
    }
    ListWindow& window = *session.state.list.model.window;
    if (window.listMode != ListMode::Objects) {
        std::fprintf(stderr, "Error: %s is a report, not an objective export\n",
                     options.source.c_str());
        return exitFailed;
    }
    const std::vector<std::int32_t>& wanted = c.select.empty() ? c.remove : c.select;
    std::set<std::int32_t> missing(wanted.begin(), wanted.end());
    for (std::size_t row = 0; row < window.objectRows.size(); ++row) {
        const std::int32_t id = window.objectRows[row].identifier;
        if (std::find(wanted.begin(), wanted.end(), id) != wanted.end()) {
            window.highlighted[row] = 1;
            missing.erase(id);
        }
    }
    if (!missing.empty()) {
        std::fprintf(stderr, "Error: no object with ID# %d in the list; nothing was written\n",
                     *missing.begin());
        return exitFailed;
    }
    session.run(c.select.empty() ? cmd::DeleteSelected : cmd::SelectObjects);
    session.io.answerFile(FileRequestRole::Output, options.out);
    const int shownBefore = session.io.messagesShown;
    if (!session.run(cmd::ExportObjects)) {
        if (session.io.messagesShown == shownBefore) {
            std::fprintf(stderr, "Error: the export was not written\n");
        }
        return exitFailed;
    }
    if (!options.quiet) {
        std::printf("Wrote %s\n", session.state.files.outputPath.c_str());
    }
    return exitOk;
}

int writeText(const GlobalOptions& options, const ListCommands& c) {
    if (options.out.empty()) {
        std::fprintf(stderr, "Error: text-version needs --out FILE.txt\n");
        return exitUsage;
    }
    CliSession session;
    if (!session.start(options) || !loadList(session, c.report)) {
        return exitFailed;
    }
    if (session.state.list.model.window->listMode != ListMode::Reports) {
        std::fprintf(stderr, "Error: %s is not a report; only reports have a text version\n",
                     c.report.c_str());
        return exitFailed;
    }
    session.io.answerFile(FileRequestRole::Output, options.out);
    if (!session.run(cmd::OutputTextVersion)) {
        std::fprintf(stderr, "Error: the text version was not written\n");
        return exitFailed;
    }
    return exitOk;
}

int printUnusedIds(const GlobalOptions& options, const ListCommands& c) {
    CliSession session;
    if (!session.start(options) || !loadList(session, options.source)) {
        return exitFailed;
    }
    if (session.state.list.model.window->listMode != ListMode::Objects) {
        std::fprintf(stderr, "Error: %s is a report, not an objective export\n",
                     options.source.c_str());
        return exitFailed;
    }
    // Written as it is listed: the identifiers of a file may leave billions free.
    bool any = false;
    std::vector<std::int32_t> ids;
    std::string error;
    if (!identifiersInExport(session.state.list.model.sourcePath, ids, error)) {
        std::fprintf(stderr, "Error: the identifiers of %s cannot be read: %s\n",
                     session.state.list.model.sourcePath.c_str(), error.c_str());
        return exitFailed;
    }
    forEachUnusedPiece(ids, c.ranges, [&any](std::string_view piece) {
        any = true;
        return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
    });
    if (!c.ranges && any) {
        std::fputc('\n', stdout);
    }
    if (!any) {
        showMessage(session.platform, noUnusedIdsText(ids), unusedIdsTitle,
                    MessageIcon::Information);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "Error: the listing could not be written to standard output\n");
        return exitFailed;
    }
    return exitOk;
}

} // namespace

void addListCommands(CLI::App& app, ListCommands& c) {
    c.list = app.add_subcommand("list", "Print the rows of an objective export or report as the "
                                        "list window shows them, tab-separated, with a header");
    c.list->add_option("FILE", c.file, "The CSV file")->required();
    c.list->add_option("--sort", c.sort,
                       "Sort by a column, by title or number: COLUMN[:asc|desc] (default desc, "
                       "as a first click on the header)");

    c.exportCommand = app.add_subcommand(
        "export", "Write the export of --source to --out as the list window would after "
                  "selecting (--select) or marking for deletion (--delete) those objects");
    c.exportCommand->add_option("--select", c.select, "Identifiers (ID#) to export")
        ->delimiter(',');
    c.exportCommand->add_option("--delete", c.remove, "Identifiers (ID#) to leave out")
        ->delimiter(',');

    c.textVersion = app.add_subcommand("text-version",
                                       "Write the tab-separated text version of a report to --out");
    c.textVersion->add_option("--report", c.report, "The report CSV file")->required();

    c.unusedIds = app.add_subcommand(
        "unused-ids", "List the identifiers between the lowest and highest of --source that no "
                      "object uses (no length limit here)");
    c.unusedIds->add_flag("--ranges", c.ranges, "List ranges, one per line (default: one by one)");
}

int runListCommands(const GlobalOptions& options, const ListCommands& c) {
    if (c.list->parsed()) {
        return printList(options, c);
    }
    if (c.exportCommand->parsed()) {
        return exportList(options, c);
    }
    if (c.textVersion->parsed()) {
        return writeText(options, c);
    }
    if (c.unusedIds->parsed()) {
        return printUnusedIds(options, c);
    }
    return -1;
}

} // namespace vantor::cli
