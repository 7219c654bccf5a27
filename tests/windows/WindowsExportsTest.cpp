// The cross-built DLLs: PE files of the build's architecture (32- or 64-bit) whose export tables
// the real host can bind to.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "WineRunner.h"

namespace {

using wltest::windowsBuild;

std::string objdump(const std::string& flag, const std::filesystem::path& file) {
    const auto r = wltest::runProgram({windowsBuild().objdump, flag, file.string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

// Names of the export table's [Ordinal/Name Pointer] section of `objdump -p`.
std::set<std::string> exportedNames(const std::string& dump) {
    std::set<std::string> names;
    std::istringstream in(dump);
    std::string line;
    bool inTable = false;
    while (std::getline(in, line)) {
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inTable = true;
            continue;
        }
        if (!inTable) continue;
        const auto close = line.find("] ");
        if (line.find('[') == std::string::npos || close == std::string::npos) break;
        names.insert(line.substr(close + 2));
    }
    return names;
}

// Member names the module imports from one DLL, from the import tables of `objdump -p`.
std::set<std::string> importedNames(const std::string& dump, const std::string& dll) {
    std::set<std::string> names;
    std::istringstream in(dump);
    std::string line;
    bool inDll = false;
    while (std::getline(in, line)) {
        if (line.find("DLL Name: ") != std::string::npos) {
            inDll = line.substr(line.find("DLL Name: ") + 10) == dll;
            continue;
        }
        if (!inDll) continue;
        if (line.find_first_not_of(" \t") == std::string::npos) {
            inDll = false;
            continue;
        }
        // "\t   2a7c\t   12  _ZN12ArrayWrapper...": hex address, hint, name.
        std::istringstream words(line);
        std::string vma, hint, name;
        if (words >> vma >> hint >> name && vma != "vma:") names.insert(name);
    }
    return names;
}

TEST(WindowsExports, PluginIsADllOfTheTargetWithPlainExportNames) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    const auto dll = windowsBuild().pluginDll();
    ASSERT_TRUE(std::filesystem::exists(dll)) << dll << " missing: scripts/windows-prepare.sh builds it";

    const bool is64 = windowsBuild().is64Bit;
    const std::string header = objdump("-f", dll);
    EXPECT_NE(header.find(is64 ? "file format pei-x86-64" : "file format pei-i386"), std::string::npos)
        << header;
    EXPECT_NE(header.find(is64 ? "architecture: i386:x86-64," : "architecture: i386,"),
              std::string::npos)
        << header;
    const std::string dump = objdump("-p", dll);
    EXPECT_NE(dump.find(is64 ? "Magic\t\t\t020b\t(PE32+)" : "Magic\t\t\t010b\t(PE32)"),
              std::string::npos)
        << "not " << (is64 ? "PE32+" : "PE32");
    const auto characteristics = dump.substr(0, dump.find("Time/Date"));
    EXPECT_NE(characteristics.find("\tDLL\n"), std::string::npos) << characteristics;

    const auto names = exportedNames(dump);
    for (const char* entry : {"getPlugin", "deleteMe", "exports"}) {
        EXPECT_EQ(names.count(entry), 1u) << entry << " not exported under its plain name";
        for (const std::string& decorated : {std::string("_") + entry, std::string(entry) + "@0"})
            EXPECT_EQ(names.count(decorated), 0u) << decorated;
    }
}

TEST(WindowsExports, EverySdkImportOfThePluginIsExportedByTheHostDll) {
    WL_REQUIRE_WINDOWS_TOOLCHAIN();
    ASSERT_TRUE(std::filesystem::exists(windowsBuild().hostDll()));
    const auto hostExports = exportedNames(objdump("-p", windowsBuild().hostDll()));
    const auto imports = importedNames(objdump("-p", windowsBuild().pluginDll()), "bakkesmod.dll");
    for (const auto& name : imports)
        EXPECT_EQ(hostExports.count(name), 1u) << name << " is imported but not exported";
    // The explicit instantiations the plug-in relies on come from the host DLL as well.
    for (const std::string prefix : {"_ZN11GameWrapper19HookEventWithCallerI10CarWrapper",
                                     "_ZN12ArrayWrapperI10CarWrapperE5CountEv",
                                     "_ZN12ArrayWrapperI12WheelWrapperE3GetEi"}) {
        EXPECT_TRUE(std::any_of(imports.begin(), imports.end(),
                                [&](const std::string& n) { return n.rfind(prefix, 0) == 0; }))
            << prefix << " not imported from bakkesmod.dll";
    }
}

}  // namespace
