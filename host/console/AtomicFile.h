// Replacing a file as a whole: the old content stays until the new one is complete.
#pragma once
#include <filesystem>
#include <string>

namespace host {

// Creates TEMP as a new file of ours and opens it for writing: a leftover file or link of that
// name is removed first (a link is never followed). The descriptor, or -1 with errno set.
int createFreshFile(const std::filesystem::path& temp);

// Writes CONTENT to a new temporary file beside FILE (a leftover of that name is removed
// first; a link there is removed, never followed), syncs it and renames it over FILE. False,
// with ERROR set, when any step fails; FILE is then as it was and the temporary is gone.
bool replaceFile(const std::filesystem::path& file, const std::string& content, std::string& error);

}  // namespace host
