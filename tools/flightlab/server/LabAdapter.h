// The one place where the workbench meets the lab's engine, workers, figures and tuner: requests
// in, JSON out. Changes to the engine stay here.
#pragma once
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>

#include "Requests.h"

namespace flightlab {
class WorkerPool;
struct Job;
}

namespace flightlab::server {

// A refusal that is not about one field of the request: the HTTP status and the message.
struct WorkError {
    int status;
    std::string message;
};

// Told of each flight of a tune: flights so far, most flights, best error. False stops it.
using TuneProgress = std::function<bool(int done, int budget, double bestError)>;

class LabAdapter {
public:
    // Starts the workers in WORK (a folder of its own): FLYWORKERS for flights, one for tunes,
    // one for pictures and files, and with GAME one that plays in that game folder for its user
    // presets. Throws
    // std::runtime_error when a worker cannot start.
    LabAdapter(const std::filesystem::path& plugin, const std::filesystem::path& work,
               const std::filesystem::path& game, int flyWorkers);
    ~LabAdapter();
    LabAdapter(const LabAdapter&) = delete;
    LabAdapter& operator=(const LabAdapter&) = delete;

    const SliderRanges& ranges() const { return ranges_; }
    bool hasGame() const { return !game_.empty(); }

    // The sliders as the plug-in registered them, the bodies and the default launch.
    nlohmann::json vocabulary() const;
    // Base presets (index, label, values) and, with a game folder, its user presets.
    nlohmann::json presets();
    // Flies every set-up; a request with a ticket older than the newest one CLIENT took is
    // dropped before it flies (WorkError 409). Other clients' requests never supersede it.
    std::string fly(const FlyRequest& request, const std::string& client, std::uint64_t ticket);
    // The set-up and stock over a grid of launch speeds and pitches.
    nlohmann::json grid(const GridRequest& request);
    // Claims the one tune slot; false when a tune runs already.
    bool claimTune() { return !tuneRunning_.exchange(true); }
    void releaseTune() { tuneRunning_ = false; }
    bool tuneRunning() const { return tuneRunning_; }
    // Runs a tune in the claimed slot.
    nlohmann::json tune(const TuneRequest& request, const TuneProgress& progress);
    // Installs the values as a user preset of the game folder through the plug-in.
    nlohmann::json save(const SaveRequest& request);
    // The plug-in's HUD at one tick of a flight, as PNG bytes.
    std::string hudPng(const HudRequest& request);
    // A preset file of the values, as the plug-in writes it.
    std::string presetFile(const PresetFileRequest& request);
    // The slider values the plug-in reads from a preset file's text.
    nlohmann::json readPresetText(const PresetTextRequest& request);

    // Replaces the dead workers of every pool not in use, so that a worker killed while idle
    // leaves no zombie and fails no request.
    void reapIdle();

    // A ticket for a fly request of CLIENT; its newer tickets supersede its older ones.
    std::uint64_t nextTicket(const std::string& client);

private:
    // Runs JOB on the side worker, writing to a scratch file STEM-N.EXTENSION, and returns that
    // file's bytes; the file goes once read.
    std::string sideJobFile(Job job, const std::string& stem, const std::string& extension);
    std::filesystem::path work_, game_;
    // Flights of the plots; one tune; HUD pictures and preset files, so that they never hold up
    // a flight; the game folder's presets.
    std::unique_ptr<WorkerPool> flyPool_, tunePool_, sidePool_, gamePool_;
    std::mutex flyMutex_, sideMutex_, gameMutex_;
    std::mutex ticketMutex_;
    std::uint64_t lastTicket_ = 0;
    std::map<std::string, std::uint64_t> clientTickets_;  // each client's newest ticket
    std::atomic<bool> tuneRunning_{false};
    std::atomic<int> scratch_{0};
    SliderRanges ranges_{};
    std::vector<std::string> baseLabels_;
};

}  // namespace flightlab::server
