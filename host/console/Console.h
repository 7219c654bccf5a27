// The simulated console: variables, plug-in commands, host commands, line execution and output.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/StopSignal.h"
#include "console/Variable.h"

namespace host {

struct PluginContext;

using Words = std::vector<std::string>;
// A host command gets every word of its command, its own name first. It returns false for
// malformed arguments (after printing its diagnostic with Console::err): the session's exit
// status becomes 1.
using HostCommand = std::function<bool(const Words& words)>;
// A plug-in command (notifier), as registered through CVarManagerWrapper.
using Notifier = std::function<void(std::vector<std::string>)>;

class Console {
public:
    using Words = host::Words;
    using HostCommand = host::HostCommand;

    // Output goes to the given streams (standard output and error by default).
    Console();
    Console(std::ostream& out, std::ostream& err);
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // ---- output ----------------------------------------------------------------------
    // One line on standard output (a plug-in's log line or a host command's answer).
    void out(const std::string& line);
    // One diagnostic line on standard error.
    void err(const std::string& line);

    // ---- host commands ---------------------------------------------------------------
    // Replaces a host command of the same name.
    void addHostCommand(std::string name, std::string help, HostCommand fn);
    // Host command names with their help texts, sorted by name.
    std::vector<std::pair<std::string, std::string>> hostCommands() const;
    // Every name a line can start with: host commands, plug-in commands and variables.
    std::vector<std::string> names() const;
    // The plug-ins' commands with their descriptions, sorted by name.
    std::vector<std::pair<std::string, std::string>> pluginCommands() const;

    // ---- executing lines -------------------------------------------------------------
    // Runs one console line (blanks split words, double quotes group, ';' separates
    // commands, empty lines and "//" comments are ignored). Returns false when some
    // command of the line named nothing known or failed; the failure is also remembered
    // for the exit status.
    bool execute(const std::string& line);
    // Runs one already split command. Same result as execute.
    bool executeWords(const Words& words);
    // True once any executed line failed (unknown name, malformed arguments).
    bool failed() const { return failed_; }
    void markFailed() { failed_ = true; }
    // Set by the `quit` command or a stop signal; the session stops reading lines and long
    // commands stop at their next step.
    bool quitRequested() const { return quit_ || stopSignal() != 0; }
    void requestQuit() { quit_ = true; }

    // Runs a plug-in callback; anything it throws is reported on standard error as
    // "WHAT threw: MESSAGE" and swallowed, and the session's exit status becomes 1.
    // Returns false when it threw.
    bool guarded(const std::string& what, const std::function<void()>& fn);
    // Depth of plug-in callbacks currently running (a plug-in must not be unloaded from
    // inside its own callback).
    int callbackDepth() const { return callbackDepth_; }

    // ---- variables -------------------------------------------------------------------
    // Registers a variable, or returns the existing one of that name unchanged. A value
    // kept from the configuration file for this name is applied at once (no handler runs).
    Variable& registerVariable(const VariableDef& def, const PluginContext* owner);
    // Null when no variable has the name.
    Variable* findVariable(const std::string& name);
    // Unregisters a variable (its handlers and cells are dropped). False when unknown.
    bool removeVariable(const std::string& name);
    // Sets a variable as the console does: clamp, write every bound cell, then run every
    // change handler with the previous value. False (with a diagnostic) when the value is
    // rejected (a non-finite number for a variable with a range).
    bool setVariable(Variable& var, const std::string& value);
    // Sets without running change handlers (restoring saved values).
    bool restoreVariable(Variable& var, const std::string& value);
    // Runs every change handler of the variable as if its current value had just been set.
    void notifyVariable(Variable& var);
    // Every registered variable, sorted by name.
    std::vector<Variable*> variables();

    // Saved values: variables with the save flag, plus values kept from the configuration
    // file (or from unloaded plug-ins) whose variable is not registered now. Sorted by name.
    std::map<std::string, std::string> savedValues() const;
    // Keeps a saved value for NAME: applied now if the variable exists (no handler runs),
    // else when it is registered.
    void restoreSaved(const std::string& name, const std::string& value);

    // ---- plug-in commands (notifiers) ------------------------------------------------
    void addNotifier(std::string name, Notifier fn, std::string description,
                     const PluginContext* owner);
    bool removeNotifier(const std::string& name);
    bool hasNotifier(const std::string& name) const;

    // ---- ownership -------------------------------------------------------------------
    // Drops everything the plug-in registered: its variables (their saved values are kept
    // for the configuration file), its notifiers, and its change handlers and bound cells
    // on any variable. Call before the plug-in's library is closed.
    void dropOwner(const PluginContext* owner);

    // Unregistered variables still kept because a loaded plug-in holds a handle to them.
    std::size_t retiredVariables() const { return removed_.size(); }

    // The handle value (CVarWrapper::memory_address) of VAR as seen by OWNER.
    std::uintptr_t handleFor(Variable& var, const PluginContext* owner);

private:
    struct CommandEntry {
        std::string help;
        HostCommand fn;
    };
    struct NotifierEntry {
        Notifier fn;
        std::string description;
        const PluginContext* owner = nullptr;
    };
    bool applyValue(Variable& var, const std::string& value, bool runHandlers);
    void runHandlers(Variable& var, const std::string& previous);
    // Unregisters the variable (a saved one's value is kept for the configuration); it lives
    // on only while a handle refers to it.
    void retire(std::unique_ptr<Variable> var);
    // Frees the retired variables no handle refers to any more.
    void freeUnreferenced();

    std::ostream* out_;
    std::ostream* err_;
    std::map<std::string, CommandEntry> commands_;
    std::map<std::string, NotifierEntry> notifiers_;
    std::map<std::string, std::unique_ptr<Variable>> variables_;
    // Removed variables stay alive while a loaded plug-in holds a handle to them, so a stale
    // handle never dangles.
    std::vector<std::unique_ptr<Variable>> removed_;
    std::map<std::string, std::string> pendingSaved_;
    std::map<std::pair<const Variable*, const PluginContext*>, std::unique_ptr<VariableRef>> refs_;
    bool failed_ = false;
    // The first unknown name of a session also says where the names are listed.
    bool namesHinted_ = false;
    bool quit_ = false;
    int callbackDepth_ = 0;
};

}  // namespace host
