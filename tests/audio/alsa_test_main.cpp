// SPDX-License-Identifier: MIT
// Runs the tests against the ALSA default device named by CORVANE_TEST_DEVICE.
#include "support/alsa_test_config.h"

#include <gtest/gtest.h>

#include <csignal>

int main(int argc, char** argv)
{
    // As the program does: a device writing into a pipe that lost its reader fails, not kills.
    std::signal(SIGPIPE, SIG_IGN);
    const corvane::test::TestAlsaConfig alsa(corvane::test::CORVANE_TEST_DEVICE);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
