// Test helper for the Windows build: runs a wingleaf-host.exe session on a script again and again,
// ends each with TerminateProcess at a random instant and checks the preset files after each.
// Prints one line per problem found, then "kills N checked M".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "wltest/PresetChecks.h"

namespace {

using namespace wltest::presets;

HANDLE outputFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Waits up to a minute for the session to write its first line.
void waitForOutput(HANDLE file) {
    for (int waited = 0; waited < 60000; ++waited) {
        LARGE_INTEGER size{};
        if (GetFileSizeEx(file, &size) && size.QuadPart > 0) return;
        Sleep(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 9) {
        std::fprintf(stderr,
                     "usage: kill-loop HOST PLUGIN ROOT SCRIPT KILLS SEED LOAD_MS CHANGE_MS\n");
        return 2;
    }
    const std::string host = argv[1], plugin = argv[2], root = argv[3], script = argv[4];
    const int kills = std::atoi(argv[5]);
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[6], nullptr, 10)));
    // Kills land up to LOAD_MS after the start, or up to CHANGE_MS after the first line.
    const unsigned loadMs = static_cast<unsigned>(std::strtoul(argv[7], nullptr, 10));
    const unsigned changeMs = static_cast<unsigned>(std::strtoul(argv[8], nullptr, 10));
    const std::string installed = contentOf(root + "\\bakkesmod\\plugins\\settings\\wingleaf.set");
    const std::string outPath = root + "\\..\\kill-loop-out.txt";
    const std::string errPath = root + "\\..\\kill-loop-err.txt";
    std::string command =
        "\"" + host + "\" --root \"" + root + "\" --plugin \"" + plugin + "\" \"" + script + "\"";

    int checked = 0, problems = 0;
    for (int kill = 0; kill < kills; ++kill) {
        const HANDLE out = outputFile(outPath), err = outputFile(errPath);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                            &startup, &process)) {
            std::printf("kill %d: cannot start the host: error %lu\n", kill, GetLastError());
            return 1;
        }
        // One kill in eight lands anywhere in loading, the others while presets change.
        if (random() % 8 == 0) {
            Sleep(random() % (loadMs + 1));
        } else {
            waitForOutput(out);
            Sleep(random() % (changeMs + 1));
        }
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        CloseHandle(out);
        CloseHandle(err);

        std::vector<std::string> found = faultLines(contentOf(outPath));
        for (const std::string& line : unexpectedErrorLines(contentOf(errPath)))
            found.push_back("standard error: " + line);
        if (code != 1) found.push_back("the session ended before its kill");
        const std::string files = listedPresetsComplete(root, installed, &checked);
        if (!files.empty()) found.push_back(files);
        for (const std::string& line : found) std::printf("kill %d: %s\n", kill, line.c_str());
        problems += static_cast<int>(found.size());
        std::fflush(stdout);
    }
    std::printf("kills %d checked %d\n", kills, checked);
    return problems == 0 ? 0 : 1;
}
