// The saved variables file: what is written, atomically, and what restoring does.
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

#include "ConsoleFixture.h"
#include "console/ConfigFile.h"
#include "console/LineReader.h"
#include "wltest/HostRunner.h"

namespace {

class ConfigFileTest : public ConsoleFixture {};

TEST_F(ConfigFileTest, WritesSavedValuesAndRestoresWithoutHandlers) {
    const auto dir = wltest::freshRoot("config-file");
    const auto file = dir / "cfg" / "config.cfg";
    cvars.registerCvar("b_saved", "1", "", true, true, 0, true, 10, true);
    cvars.registerCvar("a_saved", "x", "", true, false, 0, false, 0, true);
    cvars.registerCvar("unsaved", "1", "", true, false, 0, false, 0, false);
    console.execute("b_saved 2.5; a_saved \"two words\"; unsaved 9");
    console.restoreSaved("later", "7");  // not registered: kept and written back
    std::string error;
    ASSERT_TRUE(host::writeConfig(console, file, error)) << error;
    EXPECT_EQ(wltest::readFile(file), "a_saved \"two words\"\nb_saved \"2.5\"\nlater \"7\"\n");
    // Nothing but the file: no temporary left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "cfg"), {}), 1);

    std::ostringstream out2, err2;
    host::Console fresh(out2, err2);
    host::PluginContext ctx2{&fresh, nullptr, "p", "", "", "", 1};
    CVarManagerWrapper cvars2(reinterpret_cast<std::uintptr_t>(&ctx2), typeid(int));
    CVarWrapper b = cvars2.registerCvar("b_saved", "1", "", true, true, 0, true, 10, true);
    int handled = 0;
    b.addOnValueChanged([&handled](std::string, CVarWrapper) { ++handled; });
    auto cell = std::make_shared<float>(0.0f);
    b.bindTo(cell);
    ASSERT_TRUE(host::restoreConfig(fresh, file, error)) << error;
    EXPECT_EQ(b.getStringValue(), "2.5");
    EXPECT_EQ(*cell, 2.5f);
    EXPECT_EQ(handled, 0);
    // Registered after restoring: the saved value applies at registration.
    EXPECT_EQ(cvars2.registerCvar("later", "0", "", true, true, 0, true, 5).getStringValue(), "5");
    EXPECT_EQ(cvars2.registerCvar("a_saved", "").getStringValue(), "two words");
}

TEST_F(ConfigFileTest, AnUnwritableTargetLeavesTheOldFile) {
    const auto dir = wltest::freshRoot("config-unwritable");
    // A name so long that its temporary's name is too long to create.
    const auto file = dir / std::string(245, 'c').append(".cfg");
    wltest::writeFile(file, "old \"1\"\n");
    cvars.registerCvar("v", "1");
    std::string error;
    EXPECT_FALSE(host::writeConfig(console, file, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(wltest::readFile(file), "old \"1\"\n");
}

TEST_F(ConfigFileTest, AValueTheFormatCannotHoldIsLeftOutWithAWarning) {
    const auto file = wltest::freshRoot("config-breaks") / "config.cfg";
    for (const char* name : {"a_break", "b_quote", "c_plain"})
        cvars.registerCvar(name, "0", "", true, false, 0, false, 0, true);
    cvars.getCvar("a_break").setValue("1\nc_plain 5");
    cvars.getCvar("b_quote").setValue("2\"x");
    console.execute("c_plain \"x;y\"");
    std::string error;
    ASSERT_TRUE(host::writeConfig(console, file, error)) << error;
    EXPECT_EQ(wltest::readFile(file), "c_plain \"x;y\"\n");
    EXPECT_EQ(err.str(),
              "writeconfig: a_break not saved: a line break or a double quote cannot be stored in config.cfg\n"
              "writeconfig: b_quote not saved: a line break or a double quote cannot be stored in config.cfg\n");
}

TEST(LineReader, LinesEndsByteOrderMarkAndTheLengthBound) {
    const std::size_t max = host::LineReader::kMaxLineBytes;
    struct Case {
        std::string text;
        std::vector<std::string> lines;
        host::LineReader::Status last;
        long lastNumber;
    };
    // Texts are appended, not concatenated: GCC 12 at -O3 warns falsely about the latter here.
    const auto text = [](std::initializer_list<std::string_view> parts) {
        std::string joined;
        for (const std::string_view part : parts) joined.append(part);
        return joined;
    };
    const std::string full(max, 'x'), over(max + 1, 'x'), far(3 * max, 'x');
    const Case cases[] = {
        {"a\r\n\nb c", {"a", "", "b c"}, host::LineReader::Status::End, 3},
        {text({full, "\nok\n"}), {full, "ok"}, host::LineReader::Status::End, 2},
        {text({"ok\n", over, "\nlost\n"}), {"ok"}, host::LineReader::Status::TooLong, 2},
        {text({"ok\n", far}), {"ok"}, host::LineReader::Status::TooLong, 2},
        // A byte-order mark is dropped before the first line only.
        {"\xEF\xBB\xBF" "a\r\n\xEF\xBB\xBF\n", {"a", "\xEF\xBB\xBF"}, host::LineReader::Status::End, 2},
        {"\xEF\xBB\xBF", {""}, host::LineReader::Status::End, 1},
    };
    for (const Case& c : cases) {
        host::LineReader reader;
        reader.setText(c.text);
        std::vector<std::string> lines;
        std::string line;
        auto status = host::LineReader::Status::Line;
        while ((status = reader.next(line)) == host::LineReader::Status::Line) lines.push_back(line);
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(status, c.last);
        EXPECT_EQ(reader.lineNumber(), c.lastNumber);
    }
}

}  // namespace
