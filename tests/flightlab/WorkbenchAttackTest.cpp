// The workbench under attack, on loopback: bodies and headers that would get round its checks,
// connections that would hold it up, names it cannot print, a held lock and dead workers.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "LabAdapter.h"
#include "WorkbenchServer.h"
#include "wltest/HostRunner.h"

using namespace flightlab::server;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// A socket to the server that gives up on a read after 20 s.
int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        ADD_FAILURE() << "cannot connect";
    const timeval wait{20, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
}

bool sendAll(int fd, const std::string& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

// What the server answers until it closes the connection (or 20 s pass).
std::string answerOf(int fd) {
    std::string answer;
    char buf[4096];
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;)
        answer.append(buf, static_cast<std::size_t>(n));
    ::close(fd);
    return answer;
}

// The workers and other children of this process: pid and state letter.
std::vector<std::pair<int, char>> children() {
    std::vector<std::pair<int, char>> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        char state = 0;
        int parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid())
            found.emplace_back(std::stoi(entry.path().filename().string()), state);
    }
    return found;
}

class WorkbenchAttack : public testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new fs::path(wltest::freshRoot("workbench-attack"));
        game_ = new fs::path(*root_ / "game");
        ASSERT_EQ(wltest::runHost(*game_, {}).exitCode, 0);
        // A copy of the plug-in, which a test takes away to break the lab.
        plugin_ = new fs::path(*root_ / "wingleaf.so");
        fs::copy_file(WL_PLUGIN_PATH, *plugin_);
        lab_ = new LabAdapter(*plugin_, *root_ / "work", *game_, 1);
        server_ = new WorkbenchServer(*lab_, {"127.0.0.1", 0, ""});
        port_ = server_->bind();
        thread_ = new std::thread([] { server_->serve(); });
    }
    static void TearDownTestSuite() {
        server_->stop();
        thread_->join();
        delete thread_;
        delete server_;
        delete lab_;
        fs::remove_all(root_->parent_path());
        delete plugin_;
        delete game_;
        delete root_;
    }
    static std::string host() { return "127.0.0.1:" + std::to_string(port_); }
    static httplib::Result post(const std::string& path, const json& body) {
        httplib::Client c("127.0.0.1", port_);
        c.set_read_timeout(300, 0);
        return c.Post(path.c_str(), body.dump(), "application/json");
    }
    static inline fs::path *root_ = nullptr, *game_ = nullptr, *plugin_ = nullptr;
    static inline LabAdapter* lab_ = nullptr;
    static inline WorkbenchServer* server_ = nullptr;
    static inline std::thread* thread_ = nullptr;
    static inline int port_ = 0;
};

const json kFly = {{"launch", {{"timeLimit", 0.5}}}, {"setups", {json::object()}}};

}  // namespace

TEST_F(WorkbenchAttack, ChunkedBodiesAndRepeatedHeadersAreRefusedAndEveryAnswerIsMarked) {
    // A chunked body stops being read at the bound, whatever follows: 413, connection closed.
    int fd = connectTo(port_);
    ASSERT_TRUE(sendAll(
        fd, "POST /api/fly HTTP/1.1\r\nHost: " + host() +
                "\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n"));
    const std::string chunk = "4000\r\n" + std::string(0x4000, ' ') + "\r\n";
    for (int i = 0; i < 256 && sendAll(fd, chunk); ++i) {
    }
    std::string answer = answerOf(fd);
    EXPECT_EQ(answer.rfind("HTTP/1.1 413", 0), 0u) << answer.substr(0, 200);

    struct Case {
        const char* what;
        std::string request;
        const char* status;
    };
    const std::string get = "GET /api/vocabulary HTTP/1.1\r\n";
    const std::string origin = "Origin: http://" + host() + "\r\n";
    for (const Case& c :
         {Case{"two Hosts", get + "Host: " + host() + "\r\nHost: evil.example\r\n\r\n", "400"},
          Case{"two Origins", get + "Host: " + host() + "\r\n" + origin + origin + "\r\n", "400"},
          Case{"foreign Host", get + "Host: evil.example\r\n\r\n", "403"},
          Case{"no such page",
               "GET /nothing HTTP/1.1\r\nConnection: close\r\nHost: " + host() + "\r\n\r\n", "404"},
          Case{"answered", get + "Host: " + host() + "\r\nConnection: close\r\n\r\n", "200"}}) {
        fd = connectTo(port_);
        ASSERT_TRUE(sendAll(fd, c.request));
        answer = answerOf(fd);
        EXPECT_EQ(answer.rfind(std::string("HTTP/1.1 ") + c.status, 0), 0u)
            << c.what << ": " << answer;
        EXPECT_NE(answer.find("X-Content-Type-Options: nosniff\r\n"), std::string::npos) << c.what;
        EXPECT_NE(answer.find("Content-Security-Policy: default-src 'self';"), std::string::npos)
            << c.what;
    }
}

TEST_F(WorkbenchAttack, HundredsOfSlowOrIdleConnectionsLeaveThePageAnswering) {
    std::vector<int> held;
    for (int i = 0; i < 240; ++i) {
        held.push_back(connectTo(port_));
        if (i % 2 == 1) sendAll(held.back(), "POST /api/fly HTTP/1.1\r\nHost: " + host() + "\r\n");
    }
    httplib::Client page("127.0.0.1", port_);
    page.set_connection_timeout(5, 0);
    page.set_read_timeout(5, 0);
    const auto r = page.Get("/api/vocabulary");
    ASSERT_TRUE(r) << "the page waits behind idle connections";
    EXPECT_EQ(r->status, 200);
    for (int fd : held) ::close(fd);

    // A request trickled a header line at a time is dropped once its whole time is up.
    const int fd = connectTo(port_);
    const auto start = std::chrono::steady_clock::now();
    bool open = sendAll(fd, "GET /api/vocabulary HTTP/1.1\r\n");
    for (int i = 0; i < 40 && open; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        open = sendAll(fd, "X-Slow: " + std::to_string(i) + "\r\n");
        char byte;
        open = open && ::recv(fd, &byte, 1, MSG_DONTWAIT) < 0 && errno == EAGAIN;
    }
    ::close(fd);
    EXPECT_FALSE(open);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

TEST_F(WorkbenchAttack, NamesThatAreNotUtf8AreShownEscapedAndUsable) {
    // The plug-in takes any byte from 0x80 up in a name; the page names it escaped.
    auto r = post("/api/save", {{"name", "Caf\\xE9"}, {"sliders", {{"wl_speed", 3.5}}}});
    ASSERT_TRUE(r);
    ASSERT_EQ(r->status, 200) << r->body;
    EXPECT_EQ(json::parse(r->body)["saved"], "Caf\\xE9");
    EXPECT_TRUE(fs::exists(*game_ / "bakkesmod/wingleaf/Caf\xe9.txt"));
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(300, 0);
    r = c.Get("/api/presets");
    ASSERT_TRUE(r);
    ASSERT_EQ(r->status, 200) << r->body;
    bool listed = false;
    const json presets = json::parse(r->body);
    for (const json& p : presets["user"])
        listed = listed || (p["preset"] == "Caf\\xE9" && p["sliders"]["wl_speed"] == 3.5);
    EXPECT_TRUE(listed) << r->body;
    // The shown name reaches the preset it stands for.
    const std::string before = wltest::readFile(*game_ / "bakkesmod/wingleaf/Caf\xe9.txt");
    r = post("/api/save",
             {{"name", "Caf\\xE9"}, {"sliders", {{"wl_speed", 2}}}, {"overwrite", true}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200) << r->body;
    EXPECT_NE(wltest::readFile(*game_ / "bakkesmod/wingleaf/Caf\xe9.txt"), before);
}

TEST_F(WorkbenchAttack, ASaveThePluginDidNotMakeIsNotReportedSaved) {
    ASSERT_EQ(post("/api/save", {{"name", "Held"}, {"sliders", {{"wl_lift", 2}}}})->status, 200);
    const fs::path file = *game_ / "bakkesmod/wingleaf/Held.txt";
    const std::string before = wltest::readFile(file);
    // Another program holds the presets' lock for the whole of the plug-in's wait.
    const int lock =
        ::open((*game_ / "bakkesmod/wingleaf/wingleaf.lock").c_str(), O_RDONLY | O_CREAT, 0644);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    const auto r =
        post("/api/save", {{"name", "Held"}, {"sliders", {{"wl_lift", 7}}}, {"overwrite", true}});
    ::close(lock);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 409) << r->body;
    EXPECT_NE(json::parse(r->body)["error"].get<std::string>().find(
                  "Another program is changing the presets"),
              std::string::npos)
        << r->body;
    EXPECT_EQ(wltest::readFile(file), before);
}

TEST_F(WorkbenchAttack, DeadWorkersAreReplacedAndABrokenLabSaysSo) {
    auto killWorkers = [] {
        for (const auto& [pid, state] : children()) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    };
    killWorkers();
    auto r = post("/api/fly", kFly);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200) << r->body;
    r = post("/api/save", {{"name", "After"}, {"sliders", json::object()}});
    EXPECT_EQ(r->status, 200) << r->body;
    // Killed mid-flight: the request flies again on a new worker.
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        killWorkers();
    });
    r = post("/api/fly",
             {{"launch", {{"timeLimit", 20}}}, {"setups", {json::object(), json::object()}}});
    killer.join();
    EXPECT_EQ(r->status, 200) << r->body;
    ASSERT_EQ(post("/api/fly", kFly)->status, 200);
    for (const auto& [pid, state] : children())
        EXPECT_NE(state, 'Z') << "worker " << pid << " left a zombie";

    // Workers that cannot start again: the answer says the lab is broken, and it mends once
    // they can.
    fs::rename(*plugin_, *root_ / "away.so");
    killWorkers();
    r = post("/api/fly", kFly);
    EXPECT_EQ(r->status, 503) << r->body;
    EXPECT_EQ(json::parse(r->body)["error"].get<std::string>().rfind("the lab is broken: ", 0), 0u)
        << r->body;
    fs::rename(*root_ / "away.so", *plugin_);
    r = post("/api/fly", kFly);
    EXPECT_EQ(r->status, 200) << r->body;
}
