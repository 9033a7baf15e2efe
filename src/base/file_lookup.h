#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor {

// Paths travel through the program as UTF-8 text, the way users type and see them; these
// convert at the file system boundary.
std::filesystem::path toFsPath(std::string_view utf8);
std::string fromFsPath(const std::filesystem::path& path);
// The path with text added to its last name ("T.L2" and ".bak": "T.L2.bak").
std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix);
// The same with '/' between its parts on every system (for git, URIs and journals).
std::string fromFsPathGeneric(const std::filesystem::path& path);

// The folder part of a path: everything up to and including its last separator ('\' or '/'),
// or empty when it has none.
std::string folderPart(std::string_view path);

// A fixed file name (a script, a list, the ini file) inside a folder. The suite's files come
// from a platform whose file names ignore case, so the exact spelling is tried first and then
// any entry of the folder whose name matches without regard to case. When nothing matches the
// exactly spelled path is returned, so that the caller's "cannot open" message names it.
// An empty folder stands for the root of the current drive.
std::filesystem::path findInFolder(std::string_view folder, std::string_view name);

// As findInFolder, but where the exact spelling is not there and several names of the folder
// match without regard to case (Theater.O2 and THEATER.O2 beside theater.L2), none is guessed:
// the names that match are listed in `ambiguity` and the exact path is returned.
std::filesystem::path findOneInFolder(std::string_view folder, std::string_view name,
                                      std::string& ambiguity);

// Whether two paths name the same file: the same file on disk when both exist, else the same
// text without regard to letter case.
bool sameFile(std::string_view a, std::string_view b);

} // namespace vantor
