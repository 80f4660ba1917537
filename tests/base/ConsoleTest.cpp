#include "OConsole.h"
#include "StrFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

// Runs writes against the console and returns what reached its output.
template <typename F> std::string Captured(F&& writes)
{
    int pipeFds[2];
    EXPECT_EQ(::pipe(pipeFds), 0);
    const int saved = Console().Output();
    Console().SetOutput(pipeFds[1]);
    writes(Console());
    Console().SetOutput(saved);
    ::close(pipeFds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    return text;
}

} // namespace

TEST(Console, FormatsEachKindOfValueAndChains)
{
    const std::string text = Captured([](OConsole& console) {
        console.Write("Пропускаю ").WriteHexByte(0x1A5).Write(" ").WriteInt(-7).Write(" ").WriteHex(255);
        console.Write(" ").WriteUInt(4000000000u).Write(" ").WriteFloat(1.5).Write("\n");
    });
    EXPECT_EQ(text, "Пропускаю A5 -7 FF 4000000000 1.500000\n");
}

TEST(Console, WriteDoesNotInterpretFormats)
{
    EXPECT_EQ(Captured([](OConsole& console) { console.Write("%d%s%n"); }), "%d%s%n");
}

TEST(StrFormat, ProducesTextsLongerThanAnyFixedBuffer)
{
    const std::string longText(100000, 'x');
    EXPECT_EQ(StrFormat("<%s>", longText.c_str()).size(), 100002u);
    EXPECT_EQ(StrFormat("0x%08x", 0x10000u), "0x00010000");
}
