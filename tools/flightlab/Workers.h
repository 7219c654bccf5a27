// Worker processes that each hold one flight engine and fly the jobs handed to them.
#pragma once
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Engine.h"
#include "Flight.h"

namespace flightlab {

// A worker process ended, or its pipe failed: restartLost() puts a new one in its place.
struct WorkerLost : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The plug-in declined a job and said why; `conflict` when another program's change, or a
// preset of that name, is in the way.
struct JobRefused : std::runtime_error {
    JobRefused(const std::string& why, bool conflictWith)
        : std::runtime_error(why), conflict(conflictWith) {}
    bool conflict;
};

// One piece of work for a worker.
struct Job {
    enum class Kind { Fly, Draw, CreatePreset };
    Kind kind = Kind::Fly;
    Launch launch;
    Setup setup;
    bool keepSamples = true;
    int drawTick = 0;                 // Draw: the tick to draw at
    std::string file;                 // Draw: the PNG; CreatePreset: where the preset is copied
    std::vector<std::string> values;  // CreatePreset: slider value texts in slider order
    bool onlyNew = false;             // CreatePreset: refused when the preset exists
};

// A job that flies one set-up.
inline Job flightJob(const Launch& launch, const Setup& setup, bool keepSamples = true) {
    Job job;
    job.launch = launch;
    job.setup = setup;
    job.keepSamples = keepSamples;
    return job;
}

struct WorkerSetup {
    std::filesystem::path plugin;
    std::filesystem::path workDir;                  // worker N works in workDir/worker-N
    std::vector<std::filesystem::path> presetFiles; // user presets every worker can fly
    int workers = 1;
    // The one worker plays in workDir itself, an existing game folder, laying nothing out.
    bool gameFolder = false;
};

class WorkerPool {
public:
    // Starts the workers (fork); each loads the plug-in in its own folder and leaves Ctrl-C
    // and SIGTERM to the lab. Throws when one cannot start, with the worker's own message.
    explicit WorkerPool(const WorkerSetup& setup);
    // Ends the workers and waits for them; after a stop request they are killed mid-flight.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Called with each result in job order as soon as it and those before it are in; it may
    // change the result (drop samples) before it is kept.
    using Arrival = std::function<void(std::size_t, Flight&)>;

    // Runs every job; result i belongs to job i whichever worker flew it. `done` is called
    // after each finished job with the count so far. Throws on a failed job (JobRefused when the
    // plug-in declined it, WorkerLost when a worker ended), and Interrupted on a stop request.
    std::vector<Flight> run(const std::vector<Job>& jobs,
                            const std::function<void(std::size_t)>& done = {},
                            const Arrival& arrived = {});
    Flight fly(const Job& job) { return run({job}).front(); }
    // Flies every set-up at one launch, each flight with every tick's samples; flight i is
    // set-up i's. `done` as for run().
    std::vector<Flight> fly(const Launch& launch, const std::vector<Setup>& setups,
                            const std::function<void(std::size_t)>& done = {},
                            const Arrival& arrived = {});

    const WorkerSetup& setup() const { return setup_; }
    const std::array<SliderRange, kSliderCount>& sliderRanges() const { return ranges_; }
    const std::vector<std::string>& baseLabels() const { return labels_; }
    int size() const { return static_cast<int>(workers_.size()); }
    // Reaps every worker that ended or lost its pipe and starts a new one in its place; throws
    // when one cannot start (it is tried again on the next call).
    void restartLost();

private:
    struct Worker {
        int pid = -1;
        int toWorker = -1, fromWorker = -1;
        char* shared = nullptr;   // the reply slots, shared with the worker; may be null
        std::size_t replies = 0;  // replies read so far
        bool lost = false;        // its pipe failed: it gets no more work
    };
    // Starts the workers and reads their greetings; throws on the first that fails.
    void startWorkers();
    // Starts worker INDEX (fork) into its slot, without reading its greeting.
    void startWorker(std::size_t index);
    // Reads worker W's greeting: the plug-in's slider ranges and base preset labels.
    void greet(const Worker& w);
    // Sends a job to worker W, marking it lost when its pipe fails.
    void send(std::size_t w, const Job& job);
    // Closes the workers' pipes and waits for them to end, killed first when `kill`.
    void endWorkers(bool kill);
    // The next reply of worker `w`, whichever way it came.
    std::string nextReply(Worker& w);
    // Reads and drops the replies to the jobs still in hand after a failure.
    void drain(std::vector<std::deque<std::size_t>>& queued);
    WorkerSetup setup_;
    std::vector<Worker> workers_;
    std::array<SliderRange, kSliderCount> ranges_{};
    std::vector<std::string> labels_;
};

}  // namespace flightlab
