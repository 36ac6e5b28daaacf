// Runs the tests against the ALSA default device named by CORVANE_TEST_DEVICE.
#include "support/alsa_test_config.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const corvane::test::TestAlsaConfig alsa(corvane::test::CORVANE_TEST_DEVICE);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
