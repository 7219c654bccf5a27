// Runs wingleaf-host on a console script in a fresh game folder.
#include "HostRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace flightlab {

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

int runProgram(std::vector<std::string> args, const fs::path& out, const fs::path& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args.front() + ": " + std::strerror(rc));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

HostOutput runScript(const HostProgram& program, const fs::path& root, const std::string& script,
                     const std::vector<fs::path>& presetFiles) {
    fs::remove_all(root);
    fs::create_directories(root / "bakkesmod" / "wingleaf");
    for (const auto& file : presetFiles)
        fs::copy_file(file, root / "bakkesmod" / "wingleaf" / file.filename());
    const fs::path scriptPath = fs::absolute(root.string() + ".script");
    const fs::path outPath = fs::absolute(root.string() + ".out");
    const fs::path errPath = fs::absolute(root.string() + ".err");
    {
        std::ofstream s(scriptPath, std::ios::binary | std::ios::trunc);
        s << script;
        if (!s.flush()) throw std::runtime_error("cannot write " + scriptPath.string());
    }

    HostOutput result;
    result.exitCode = runProgram({program.host.string(), "--root", fs::absolute(root).string(),
                                  "--plugin", program.plugin.string(), scriptPath.string()},
                                 outPath, errPath);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

}  // namespace flightlab
