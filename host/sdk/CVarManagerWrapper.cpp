// CVarManagerWrapper: a plug-in's handle on the console; memory_address is its PluginContext.
#include <utility>

#include "bakkesmod/wrappers/cvarmanagerwrapper.h"
#include "console/Console.h"
#include "sdk/PluginContext.h"

using host::contextAt;
using host::consoleAt;

namespace {

// UTF-16 (Windows wchar_t) or UTF-32 (elsewhere) to UTF-8; invalid units become U+FFFD.
std::string toUtf8(const std::wstring& text) {
    std::string out;
    auto put = [&out](char32_t c) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        put(c);
    }
    return out;
}

}  // namespace

CVarWrapper CVarManagerWrapper::registerCvar(std::string cvar, std::string defaultValue,
                                             std::string desc, bool searchAble, bool hasMin,
                                             float min, bool hasMax, float max, bool saveToCfg) {
    host::Console* console = consoleAt(memory_address);
    if (!console || cvar.empty()) return CVarWrapper(0, pluginIdx_);
    host::VariableDef def{std::move(cvar), std::move(defaultValue), std::move(desc), searchAble,
                            hasMin, min, hasMax, max, saveToCfg};
    const host::PluginContext* ctx = contextAt(memory_address);
    host::Variable& var = console->registerVariable(def, ctx);
    return CVarWrapper(console->handleFor(var, ctx), pluginIdx_);
}

void CVarManagerWrapper::registerNotifier(std::string cvar, commandNotifier notifier,
                                          std::string description, unsigned char permissions) {
    if (!notifier) return;
    registerNotifier(std::move(cvar), std::function<void(std::vector<std::string>)>(notifier),
                     std::move(description), permissions);
}

void CVarManagerWrapper::registerNotifier(std::string cvar,
                                          std::function<void(std::vector<std::string>)> notifier,
                                          std::string description, unsigned char /*permissions*/) {
    host::Console* console = consoleAt(memory_address);
    if (!console || !notifier || cvar.empty()) return;
    console->addNotifier(std::move(cvar), std::move(notifier), std::move(description),
                         contextAt(memory_address));
}

bool CVarManagerWrapper::removeNotifier(std::string cvar) {
    host::Console* console = consoleAt(memory_address);
    return console && console->removeNotifier(cvar);
}

bool CVarManagerWrapper::removeCvar(std::string cvar) {
    host::Console* console = consoleAt(memory_address);
    return console && console->removeVariable(cvar);
}

CVarWrapper CVarManagerWrapper::getCvar(std::string cvar) {
    host::Console* console = consoleAt(memory_address);
    host::Variable* var = console ? console->findVariable(cvar) : nullptr;
    if (!var) return CVarWrapper(0, pluginIdx_);
    return CVarWrapper(console->handleFor(*var, contextAt(memory_address)), pluginIdx_);
}

void CVarManagerWrapper::executeCommand(std::string command, bool /*log*/) {
    // Only the commands' own answers reach the output: the line itself is not echoed.
    if (host::Console* console = consoleAt(memory_address)) console->execute(command);
}

void CVarManagerWrapper::log(std::string text) {
    if (host::Console* console = consoleAt(memory_address)) console->out(text);
}

void CVarManagerWrapper::log(std::wstring text) {
    if (host::Console* console = consoleAt(memory_address)) console->out(toUtf8(text));
}
