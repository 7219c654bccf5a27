// The saved variables file's line format: `NAME "VALUE"`, one variable a line.
#pragma once
#include <functional>
#include <string>

namespace host {

class LineReader;

// True when NAME and VALUE come back unchanged, as one variable, from their line: the name
// is one plain word, and the value holds no line break and no double quote.
bool fitsConfigLine(const std::string& name, const std::string& value);
// The line of one variable, line end included. Only for pairs that fit.
std::string configLine(const std::string& name, const std::string& value);

using RestoreFn = std::function<void(const std::string& name, const std::string& value)>;
// Hands every `NAME VALUE...` line of the reader to RESTORE (extra words are ignored; a pair
// that does not fit a line, such as an empty name, is skipped). False,
// with ERROR set (naming FILE_NAME and the line), when the source failed or held a line
// too long to be a console line; the lines before it have been restored.
bool readConfig(LineReader& reader, const std::string& fileName, const RestoreFn& restore,
                std::string& error);

}  // namespace host
