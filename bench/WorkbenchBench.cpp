// The workbench's answer to a slider move: a fly request of the current values and stock, from
// the request's bytes to the flights as JSON, through a server on a loopback port.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <filesystem>
#include <thread>

#include "LabAdapter.h"
#include "WorkbenchServer.h"

namespace fs = std::filesystem;
using namespace flightlab::server;

namespace {

constexpr const char* kTwoSetups =
    R"({"setups": [{"label": "current", "sliders": {"wl_lift": 3}}, {"label": "stock", "model": false}]})";

void BM_WorkbenchFlyTwoSetups(benchmark::State& state) {
    const fs::path work = fs::temp_directory_path() / ("wingleaf-workbench-bench-" + std::to_string(::getpid()));
    {
        LabAdapter lab(WL_PLUGIN_PATH, work, {}, 2);
        WorkbenchServer server(lab, {"127.0.0.1", 0, ""});
        const int port = server.bind();
        std::thread serving([&] { server.serve(); });
        httplib::Client client("127.0.0.1", port);
        client.set_keep_alive(true);
        client.set_tcp_nodelay(true);
        const httplib::Headers origin{{"Origin", "http://127.0.0.1:" + std::to_string(port)}};
        std::size_t bytes = 0;
        for (auto _ : state) {
            auto r = client.Post("/api/fly", origin, kTwoSetups, "application/json");
            if (!r || r->status != 200) {
                state.SkipWithError("the fly request failed");
                break;
            }
            bytes += r->body.size();
        }
        state.SetItemsProcessed(state.iterations());
        state.counters["answer_KiB"] = static_cast<double>(bytes) / 1024.0 / std::max<double>(1, static_cast<double>(state.iterations()));
        server.stop();
        serving.join();
    }
    fs::remove_all(work);
}
BENCHMARK(BM_WorkbenchFlyTwoSetups)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
