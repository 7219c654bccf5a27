// Worker processes that each hold one flight engine, and how the lab hands them work.
#include "Workers.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <deque>
#include <thread>
#include <stdexcept>
#include <utility>

#include "Core.h"
#include "Interrupt.h"
#include "WorkerMessages.h"
#include "common/AtomicFile.h"

#ifdef WINGLEAF_COVERAGE
// GCC's coverage runtime: writes this process's counters, which _exit would otherwise drop.
extern "C" void __gcov_dump();
#endif

namespace flightlab {

namespace fs = std::filesystem;
using namespace wire;

namespace {

constexpr std::size_t kJobsInHand = 2;

// Each worker hands its replies over in memory it shares with the lab: one slot per job in
// hand, used in turn, so that a slot is written again only after the lab has read it (the job
// that reuses it is sent after that read). Pages once touched stay, where a pipe would take
// and give back fresh ones for every flight. A reply too large for its slot takes the pipe.
constexpr std::size_t kSlotBytes = std::size_t{1} << 20;
constexpr std::uint8_t kReplyInSlot = 2;

char* slotOf(char* shared, std::size_t job) { return shared + (job % kJobsInHand) * kSlotBytes; }

// The reply to the worker's job number `job`: put in its slot with a short note through the
// pipe, or whole through the pipe.
void sendReply(int out, char* shared, std::size_t job, const std::string& frame) {
    const std::size_t fields = frame.size() - sizeof(std::uint32_t);
    if (shared == nullptr || fields > kSlotBytes) return writeAll(out, frame);
    std::memcpy(slotOf(shared, job), frame.data() + sizeof(std::uint32_t), fields);
    Writer note;
    note.put(kReplyInSlot);
    note.put(static_cast<std::uint32_t>(fields));
    writeAll(out, std::move(note).frame());
}

std::string encodeHello(const FlightEngine& engine) {
    Writer w;
    w.put(static_cast<std::uint8_t>(1));
    for (const SliderRange& r : engine.sliderRanges())
        for (float v : {r.min, r.max, r.defaultValue}) w.put(v);
    const auto labels = baseLabelsIn(".");
    w.put(static_cast<std::uint32_t>(labels.size()));
    for (const auto& label : labels) w.put(label);
    return std::move(w).frame();
}

Flight handle(FlightEngine& engine, const Job& job) {
    switch (job.kind) {
        case Job::Kind::Fly:
            return engine.fly(job.launch, job.setup, job.keepSamples);
        case Job::Kind::Draw:
            engine.drawAt(job.launch, job.setup, job.drawTick, job.file);
            return {};
        case Job::Kind::ReadPreset: {
            Flight read;
            read.sliders = job.setup.preset.empty() ? engine.readPreset(job.content) : engine.sliders(job.setup);
            return read;
        }
        case Job::Kind::ListPresets: {
            Flight listed;
            listed.presets = userPresetsIn(".", job.most);
            return listed;
        }
        case Job::Kind::CreatePreset:
            break;
    }
    const fs::path created = engine.createPreset(job.values, job.setup.preset, job.onlyNew);
    std::string error;
    if (!job.file.empty() && !host::copyReplacing(created, job.file, error))
        throw std::runtime_error(error);
    return {};
}

[[noreturn]] void workerMain(const WorkerSetup& setup, int index, int in, int out, char* shared) {
    ignoreStopSignals();
    int status = 0;
    try {
        FlightEngine engine(setup.plugin,
                            setup.gameFolder ? setup.workDir
                                             : setup.workDir / ("worker-" + std::to_string(index)),
                            setup.presetFiles, !setup.gameFolder);
        writeAll(out, encodeHello(engine));
        std::string bytes;
        for (std::size_t job = 0; readFrame(in, bytes); ++job) {
            Reader r(std::move(bytes));
            std::string reply;
            try {
                reply = encodeFlight(handle(engine, decodeJob(r)));
            } catch (const JobRefused& e) {
                reply =
                    encodeError(e.what(), e.conflict ? ErrorKind::Conflict : ErrorKind::Refused);
            } catch (const std::exception& e) {
                reply = encodeError(e.what());
            }
            sendReply(out, shared, job, reply);
        }
    } catch (const std::exception& e) {
        try {
            writeAll(out, encodeError(e.what()));
        } catch (...) {
        }
        status = 1;
    }
    // Leaves without the parent's exit handlers and buffered output.
#ifdef WINGLEAF_COVERAGE
    __gcov_dump();
#endif
    ::_exit(status);
}

// The lab decodes every flight's samples into new memory and frees a batch's flights at once.
// The C library would hand that memory back to the system and zero-fill fresh pages for the next
// batch (about fourteen a flight with trajectories); kept, it serves the next batch as it is.
void keepFreedMemory() {
#if defined(__GLIBC__)
    constexpr int kKeptBytes = 1 << 30;
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, kKeptBytes);
#endif
}

}  // namespace

int workerCount(int requested, std::size_t jobs) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int wanted = requested > 0 ? requested : cores;
    return std::max(1, std::min<int>(wanted, static_cast<int>(std::max<std::size_t>(jobs, 1))));
}

WorkerPool::WorkerPool(const WorkerSetup& setup) : setup_(setup) {
    // A worker that dies shows as the end of its pipe, not as a signal to the lab.
    ::signal(SIGPIPE, SIG_IGN);
    keepFreedMemory();
    fs::create_directories(setup.workDir);
    // A start that fails ends the workers already started before it says why: left running, a
    // slower one would lay its game folder out again after the work folder is gone.
    try {
        startWorkers();
    } catch (...) {
        endWorkers(true);
        throw;
    }
}

void WorkerPool::startWorkers() {
    const int count = setup_.gameFolder ? 1 : std::max(1, setup_.workers);
    workers_.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < workers_.size(); ++i) startWorker(i);
    for (const Worker& w : workers_) greet(w);
}

void WorkerPool::startWorker(std::size_t index) {
    int down[2], up[2];
    if (::pipe(down) != 0)
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(errno));
    if (::pipe(up) != 0) {
        const int error = errno;
        ::close(down[0]);
        ::close(down[1]);
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(error));
    }
    void* mapped = ::mmap(nullptr, kJobsInHand * kSlotBytes, PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    char* shared = mapped == MAP_FAILED ? nullptr : static_cast<char*>(mapped);
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        for (int fd : {down[0], down[1], up[0], up[1]}) ::close(fd);
        if (shared != nullptr) ::munmap(shared, kJobsInHand * kSlotBytes);
        throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(error));
    }
    if (pid == 0) {
        // The worker keeps its two pipe ends and the standard streams only. Another worker's
        // pipe, or the server's socket, held open here would outlive its owner: that worker
        // would never see the end of its work, the port never close.
        const unsigned in = static_cast<unsigned>(std::min(down[0], up[1]));
        const unsigned out = static_cast<unsigned>(std::max(down[0], up[1]));
        ::close_range(3, in - 1, 0);
        ::close_range(in + 1, out - 1, 0);
        ::close_range(out + 1, ~0u, 0);
        workerMain(setup_, static_cast<int>(index), down[0], up[1], shared);
    }
    ::close(down[0]);
    ::close(up[1]);
    workers_[index] = {pid, down[1], up[0], shared, 0, false};
}

void WorkerPool::greet(const Worker& w) {
    std::string bytes;
    if (!readFrame(w.fromWorker, bytes)) throw std::runtime_error("a worker ended at its start");
    Reader r(std::move(bytes));
    if (r.get<std::uint8_t>() == 0) throw std::runtime_error(r.text());
    for (SliderRange& range : ranges_)
        for (float* v : {&range.min, &range.max, &range.defaultValue}) *v = r.get<float>();
    labels_.resize(r.get<std::uint32_t>());
    for (std::string& label : labels_) label = r.text();
}

void WorkerPool::restartLost() {
    for (std::size_t i = 0; i < workers_.size(); ++i) {
        Worker& w = workers_[i];
        int status = 0;
        if (w.pid > 0) {
            const pid_t reaped = ::waitpid(w.pid, &status, WNOHANG);
            if (reaped == 0 && !w.lost) continue;  // running and answering
            if (reaped == 0) {
                ::kill(w.pid, SIGKILL);
                while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
                }
            }
            ::close(w.toWorker);
            ::close(w.fromWorker);
            if (w.shared != nullptr) ::munmap(w.shared, kJobsInHand * kSlotBytes);
        }
        // Until the new one has started, the slot holds no worker.
        w = Worker{};
        w.lost = true;
        startWorker(i);
        try {
            greet(w);
        } catch (...) {
            workers_[i].lost = true;
            throw;
        }
    }
}

WorkerPool::~WorkerPool() {
    // Their game folders are removed with the work folder: nothing in a worker needs saving.
    endWorkers(stopSignal() != 0);
}

void WorkerPool::endWorkers(bool kill) {
    std::erase_if(workers_, [](const Worker& w) { return w.pid <= 0; });
    if (kill)
        for (Worker& w : workers_) ::kill(w.pid, SIGKILL);
    for (Worker& w : workers_) ::close(w.toWorker);
    for (Worker& w : workers_) {
        ::close(w.fromWorker);
        int status = 0;
        while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (w.shared != nullptr) ::munmap(w.shared, kJobsInHand * kSlotBytes);
    }
    workers_.clear();
}

void WorkerPool::send(std::size_t w, const Job& job) {
    try {
        writeAll(workers_[w].toWorker, encodeJob(job));
    } catch (const std::runtime_error& e) {
        workers_[w].lost = true;
        throw WorkerLost(e.what());
    }
}

std::string WorkerPool::nextReply(Worker& w) {
    std::string bytes;
    bool ended = false;
    try {
        ended = !readFrame(w.fromWorker, bytes);
    } catch (const std::runtime_error& e) {
        w.lost = true;
        throw WorkerLost(e.what());
    }
    if (ended) {
        w.lost = true;
        throw WorkerLost("a worker ended unexpectedly");
    }
    const std::size_t job = w.replies++;
    if (bytes.empty() || static_cast<std::uint8_t>(bytes[0]) != kReplyInSlot) return bytes;
    Reader note(std::move(bytes));
    note.get<std::uint8_t>();
    const auto size = note.get<std::uint32_t>();
    if (w.shared == nullptr || size > kSlotBytes) {
        w.lost = true;
        throw WorkerLost("a worker's reply does not fit its slot");
    }
    return std::string(slotOf(w.shared, job), size);
}

void WorkerPool::drain(std::vector<std::deque<std::size_t>>& queued) {
    for (std::size_t w = 0; w < workers_.size(); ++w) {
        try {
            for (; !queued[w].empty() && !workers_[w].lost; queued[w].pop_front())
                nextReply(workers_[w]);
        } catch (const std::exception&) {
            // A worker that cannot answer any more is lost: the next run fails, or restartLost()
            // replaces it.
            workers_[w].lost = true;
        }
    }
}

std::vector<Flight> WorkerPool::fly(const Launch& launch, const std::vector<Setup>& setups,
                                    const std::function<void(std::size_t)>& done,
                                    const Arrival& arrived) {
    std::vector<Job> jobs;
    jobs.reserve(setups.size());
    for (const Setup& s : setups) jobs.push_back(flightJob(launch, s));
    return run(jobs, done, arrived);
}

std::vector<Flight> WorkerPool::run(const std::vector<Job>& jobs,
                                    const std::function<void(std::size_t)>& done,
                                    const Arrival& arrived) {
    std::vector<Flight> results(jobs.size());
    std::vector<bool> in(jobs.size());
    std::size_t handedOn = 0;  // results before this one went to `arrived`
    // The jobs each worker holds, oldest first: its replies come back in this order.
    std::vector<std::deque<std::size_t>> queued(workers_.size());
    std::size_t next = 0, finished = 0;
    for (const Worker& w : workers_)
        if (w.lost) throw WorkerLost("a worker ended earlier and was not started again");
    auto dispatch = [&](std::size_t w, std::size_t depth) {
        try {
            for (; next < jobs.size() && queued[w].size() < depth; queued[w].push_back(next++))
                send(w, jobs[next]);
        } catch (const WorkerLost&) {
            queued[w].clear();
            drain(queued);
            throw;
        }
    };
    // One job each first, then a second in hand, so that a worker starts its next flight while
    // the lab reads the last one.
    for (std::size_t w = 0; w < workers_.size(); ++w) dispatch(w, 1);
    for (std::size_t w = 0; w < workers_.size(); ++w) dispatch(w, kJobsInHand);
    std::vector<pollfd> fds(workers_.size());
    while (finished < jobs.size()) {
        throwIfStopped();
        for (std::size_t w = 0; w < workers_.size(); ++w)
            fds[w] = {queued[w].empty() ? -1 : workers_[w].fromWorker, POLLIN, 0};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("waiting for the workers failed: ") + std::strerror(errno));
        }
        for (std::size_t w = 0; w < workers_.size(); ++w) {
            if (queued[w].empty() || fds[w].revents == 0) continue;
            const std::size_t index = queued[w].front();
            std::string reply;
            try {
                reply = nextReply(workers_[w]);
            } catch (const WorkerLost& e) {
                queued[w].clear();
                drain(queued);
                throw WorkerLost(jobs[index].setup.label + ": " + e.what());
            }
            queued[w].pop_front();
            try {
                Reader r(std::move(reply));
                results[index] = decodeFlight(r);
            } catch (const JobRefused&) {
                drain(queued);
                throw;
            } catch (const std::exception& e) {
                drain(queued);
                throw std::runtime_error(jobs[index].setup.label + ": " + e.what());
            }
            results[index].setup = jobs[index].setup;
            in[index] = true;
            for (; handedOn < jobs.size() && in[handedOn]; ++handedOn)
                if (arrived) arrived(handedOn, results[handedOn]);
            ++finished;
            if (done) done(finished);
            dispatch(w, kJobsInHand);
        }
    }
    return results;
}

}  // namespace flightlab
