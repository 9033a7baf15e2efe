#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The theater's files as a git repository holds them, read with git itself (so that its
// filters, LFS among them, apply as they do on checkout).

namespace vantor {

// The top folder of the git work tree that holds `folder`, into `top`; false with the reason in
// error when it is in none or git cannot be run.
bool gitWorkTreeOf(const std::filesystem::path& folder, std::filesystem::path& top,
                   std::string& error);

// `file` (in the work tree `top`) as it was at `revision` ("HEAD", "v1.2", "HEAD~3", a commit),
// written into `to`. False with git's own reason when the revision or the file is not there.
bool gitFileAt(const std::filesystem::path& top, const std::string& revision,
               const std::filesystem::path& file, const std::filesystem::path& to,
               std::string& error);

// The repository's own configuration (.git/config).
std::optional<std::string> gitConfigValue(const std::filesystem::path& top,
                                          const std::string& name);
bool setGitConfig(const std::filesystem::path& top, const std::string& name,
                  const std::string& value, std::string& error);

// The repository's own folder (.git, or where a linked work tree's is), for its info/exclude.
bool gitFolderOf(const std::filesystem::path& top, std::filesystem::path& folder,
                 std::string& error);

// What git-setup did, a line per file or setting: "added", "already there", "set".
struct GitSetup {
    std::string error;
    std::vector<std::string> lines;
};

// Sets up the repository that holds `folder` for reviewing theaters: the .gitattributes lines
// that send the terrain files and the exports to the driver "vantor", the driver's textconv (the
// program `program`, by its absolute path, naming the version of its text forms) with its cache,
// and the program's working files and history in the repository's own exclude list. Run again,
// it adds nothing twice.
GitSetup setUpGitRepository(const std::filesystem::path& folder,
                            const std::filesystem::path& program, int textForm);

} // namespace vantor
