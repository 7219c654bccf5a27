// The saved variables file's line format: `NAME "VALUE"`, one variable a line.
#include "console/ConfigFormat.h"

#include "console/LineReader.h"
#include "console/LineSplitter.h"
#include "console/StopSignal.h"

namespace host {

bool fitsConfigLine(const std::string& name, const std::string& value) {
    // A name that starts with a byte-order mark would lose it when the file is read back, as
    // the first line of the file.
    return !name.empty() && name.find_first_of(" \t\r\n\";") == std::string::npos &&
           name.rfind("//", 0) != 0 && name.rfind("\xEF\xBB\xBF", 0) != 0 &&
           value.find_first_of("\r\n\"") == std::string::npos;
}

std::string configLine(const std::string& name, const std::string& value) {
    return name + " \"" + value + "\"\n";
}

bool readConfig(LineReader& reader, const std::string& fileName, const RestoreFn& restore,
                std::string& error) {
    std::string line;
    for (;;) {
        switch (reader.next(line)) {
            case LineReader::Status::Line:
                // Only what this format writes: anything else could not be written back.
                for (const auto& words : splitLine(line))
                    if (words.size() >= 2 && fitsConfigLine(words[0], words[1])) restore(words[0], words[1]);
                break;
            case LineReader::Status::End:
                return true;
            case LineReader::Status::Interrupted:
                if (stopSignal() == 0) break;
                error = "reading " + fileName + " was interrupted";
                return false;
            case LineReader::Status::TooLong:
                error = fileName + ":" + std::to_string(reader.lineNumber()) +
                        ": line longer than 1 MiB; the rest of the file was not read";
                return false;
            case LineReader::Status::Error:
                error = "cannot read " + fileName + ": " + reader.error();
                return false;
        }
    }
}

}  // namespace host
