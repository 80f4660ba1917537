#include "Fatal.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(SystemErrorText, GivesTheSystemTextOrAQuestionMark)
{
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
    EXPECT_EQ(SystemErrorText(987654), "?");
    EXPECT_EQ(SystemErrorText(0xFFFFFFFFu), "?");
}

TEST(FatalDeathTest, HaltEndsWithExitCodeMinusOneAfterItsMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TestDialogs dialogs;
            Halt("OMedFilter::OMedFilter() - запрошенный размер слишком велик");
        },
        testing::ExitedWithCode(255), "HALTY OMedFilter::OMedFilter\\(\\) - запрошенный размер слишком велик");
}

TEST(FatalDeathTest, WinApiFatalNamesTheStepAndTheSystemText)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(WinApiFatal("SetWindowsHookEx", ENOMEM), testing::ExitedWithCode(255),
                "Ошибка при вызове Win API\nSetWindowsHookEx\nCannot allocate memory");
}
