// Fuzzing the console line splitter and the saved variables reader with arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/ConfigFormat.h"
#include "console/LineReader.h"
#include "console/LineSplitter.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Every line of a config text restores at most one variable per command, never an empty name.
void readAsConfig(const std::string& text) {
    host::LineReader reader;
    reader.setText(text);
    std::string error;
    const bool ok = host::readConfig(
        reader, "config.cfg", [](const std::string& name, const std::string&) { check(!name.empty()); }, error);
    check(ok == error.empty());
}

// A pair that the format accepts comes back from its line as exactly that pair.
void roundTrip(const std::string& name, const std::string& value) {
    if (!host::fitsConfigLine(name, value)) return;
    host::LineReader reader;
    reader.setText(host::configLine(name, value));
    std::string line, rest;
    check(reader.next(line) == host::LineReader::Status::Line);
    check(reader.next(rest) == host::LineReader::Status::End);
    const auto commands = host::splitLine(line);
    check(commands.size() == 1 && commands[0].size() == 2);
    check(commands[0][0] == name && commands[0][1] == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const auto& words : host::splitLine(text)) check(!words.empty());
    readAsConfig(text);
    const std::size_t cut = text.find('\x01');
    if (cut != std::string::npos) roundTrip(text.substr(0, cut), text.substr(cut + 1));
    return 0;
}
