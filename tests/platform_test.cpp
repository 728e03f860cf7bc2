#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>

#include "platform.h"
#include "support/named_case.h"

namespace {

struct WaitStatusCase : named::Case {
    int wait_status;  // as std::system returns it
    int exit_status;
};

class CommandStatus : public testing::TestWithParam<WaitStatusCase> {};

TEST_P(CommandStatus, IsDecodedAsShellsReportIt)
{
    EXPECT_EQ(exit_status_of_command(GetParam().wait_status), GetParam().exit_status);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, CommandStatus,
    testing::Values(WaitStatusCase{{"NotRun"}, -1, 1},
                    WaitStatusCase{{"Success"}, W_EXITCODE(0, 0), 0},
                    WaitStatusCase{{"Failure"}, W_EXITCODE(3, 0), 3},
                    WaitStatusCase{{"HighestExitCode"}, W_EXITCODE(255, 0), 255},
                    WaitStatusCase{{"KilledBySigterm"}, W_EXITCODE(0, SIGTERM), 143},
                    WaitStatusCase{
                        {"KilledBySigkillWithCoreDump"}, W_EXITCODE(0, SIGKILL) | WCOREFLAG, 137}),
    named::ByName());

}  // namespace
